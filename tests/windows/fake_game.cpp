// Stand-in for the game's executables: records its working folder and command
// line in "game-started.txt" in that folder, then exits.
#include <filesystem>
#include <fstream>

int main(int argc, char** argv) {
    std::ofstream out("game-started.txt", std::ios::binary);
    out << std::filesystem::current_path().string() << '\n';
    for (int i = 0; i < argc; ++i) out << argv[i] << '\n';
    return 0;
}

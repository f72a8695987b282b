#include "tests/support/PipelineTestEnv.h"

#include <sstream>

#include "app/AppPaths.h"
#include "app/FileProbes.h"
#include "settings/Settings.h"

void InstallFakeCompiler() {
    const fs::path target = FsPath(AppPaths.programFolder + u"fxc");
    fs::copy_file(ToolPath("fake_fxc"), target, fs::copy_options::overwrite_existing);
    fs::permissions(target, fs::perms::owner_all, fs::perm_options::add);
}

fs::path SetUpPipeline(const TempDir& root) {
    UseTempAppPaths(root);
    Settings::Instance().TSPath = MakeFakeGameFolder(root.path / "game");
    InstallFakeCompiler();
    return root.path / "game";
}

void AddWeatherPack(const fs::path& game) {
    WriteText(game / "Assets" / "AP" / "WeatherEP" / "TrackMarkers" / "Weather" / "weather.bin", "marker");
}

std::string CrLf(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out.push_back('\r');
        out.push_back(c);
    }
    return out;
}

std::vector<std::string> CompilerCalls() {
    std::vector<std::string> calls;
    std::istringstream in(ReadText(FsPath(AppPaths.programFolder + u"fxc-calls.txt")));
    std::string line;
    while (std::getline(in, line)) calls.push_back(line);
    return calls;
}

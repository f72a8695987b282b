// Steam's library list from any bytes: reading never faults, and a folder is
// only ever reported when it really holds the game. The scratch folder holds
// a library "lib" with the game and a library "old" with only the folder an
// uninstalled game leaves; a '~' in the input stands for the scratch folder,
// so that inputs can name them.
#include <cstdint>

#include "app/FileIo.h"
#include "app/FileProbes.h"
#include "game/GameFolder.h"
#include "tests/fuzz/FuzzScratch.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::u16string& scratch = FuzzScratch();
    static const bool made = CreateDirectories(scratch + u"lib/steamapps/common/RailWorks") &&
                             WriteFileBytes(scratch + u"lib/steamapps/common/RailWorks/RailWorks.exe", "game") &&
                             CreateDirectories(scratch + u"old/steamapps/common/RailWorks") &&
                             CreateDirectories(scratch + u"root/steamapps");
    static const std::string folder = WideToUtf8(scratch.substr(0, scratch.size() - 1));
    std::string vdf;
    for (const char c : FuzzInput(data, size)) vdf += c == '~' ? folder : std::string(1, c);
    if (!made || !WriteFileBytes(scratch + u"root/steamapps/libraryfolders.vdf", vdf)) std::abort();
    const std::u16string found = FindGameInSteamLibraries({scratch + u"root"});
    if (!found.empty() && !IsValidGamePath(found)) std::abort();
    return 0;
}

// Steam's library list from any bytes: reading never faults, and a folder is
// only ever reported when it really holds the game. The scratch folder holds
// a library "lib" with the game and a library "old" with only the folder an
// uninstalled game leaves; a '~' in the input stands for the scratch folder,
// so that inputs can name them.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/FileIo.h"
#include "app/FileProbes.h"
#include "app/Text.h"
#include "game/GameFolder.h"
#include "tests/fuzz/FuzzScratch.h"

namespace {
bool MakeLibraries() {
    const std::u16string game = FuzzScratch() + u"lib/steamapps/common/RailWorks";
    const std::u16string leftover = FuzzScratch() + u"old/steamapps/common/RailWorks";
    return !CreateDirectories(game) && WriteFileBytes(game + u"/RailWorks.exe", "game") &&
           !CreateDirectories(leftover) && !CreateDirectories(FuzzScratch() + u"root/steamapps");
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool made = MakeLibraries();
    static const std::string scratch = WideToUtf8(FuzzScratch().substr(0, FuzzScratch().size() - 1));
    std::string vdf;
    for (const char c : FuzzInput(data, size)) {
        if (c == '~') {
            vdf += scratch;
        } else {
            vdf += c;
        }
    }
    if (!made || !WriteFileBytes(FuzzScratch() + u"root/steamapps/libraryfolders.vdf", vdf)) {
        std::abort();
    }
    const std::u16string found = FindGameInSteamLibraries({FuzzScratch() + u"root"});
    if (!found.empty() && !IsValidGamePath(found)) std::abort();
    return 0;
}

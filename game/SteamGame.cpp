#include "game/SteamGame.h"

#include <vector>

#include "app/FileProbes.h"

namespace {

bool SameLetters(std::u16string text, const std::u16string& lower) {
    for (auto& c : text) {
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    }
    return text == lower;
}

}  // namespace

bool IsInSteamLibrary(const std::u16string& gamePath) {
    std::u16string path = gamePath;
    while (!path.empty() && (path.back() == u'/' || path.back() == u'\\')) path.pop_back();
    // The positions where the last three components start.
    std::vector<size_t> starts;
    for (size_t i = path.size(); i > 0 && starts.size() < 3; --i) {
        if (path[i - 1] == u'/' || path[i - 1] == u'\\') starts.push_back(i);
    }
    if (starts.size() < 3) return false;
    const std::u16string common = path.substr(starts[1], starts[0] - 1 - starts[1]);
    const std::u16string steamapps = path.substr(starts[2], starts[1] - 1 - starts[2]);
    if (!SameLetters(common, u"common") || !SameLetters(steamapps, u"steamapps")) return false;
    return PathExists(path.substr(0, starts[1]) + u"appmanifest_" + kSteamAppId + u".acf");
}

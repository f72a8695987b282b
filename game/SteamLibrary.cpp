// The game inside the Steam library folders: the first guess where there is
// no registry. Steam's roots and the paths in its library list are the
// platform's own paths, so they are joined with '/' here.
#include <cstddef>
#include <string>
#include <vector>

#include "app/FileIo.h"
#include "app/FileProbes.h"
#include "app/Text.h"
#include "game/GameFolder.h"

namespace {

struct VdfToken {
    enum Kind { String, Open, Close } kind;
    std::string text;
};

// Steam's KeyValues text: quoted strings with backslash escapes, braces,
// "//" comments; unquoted words are accepted as strings.
std::vector<VdfToken> TokenizeVdf(const std::string& text) {
    std::vector<VdfToken> tokens;
    size_t i = 0;
    const size_t n = text.size();
    while (i < n) {
        const char c = text[i];
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            ++i;
        } else if (c == '/' && i + 1 < n && text[i + 1] == '/') {
            while (i < n && text[i] != '\n') ++i;
        } else if (c == '{') {
            tokens.push_back({VdfToken::Open, {}});
            ++i;
        } else if (c == '}') {
            tokens.push_back({VdfToken::Close, {}});
            ++i;
        } else if (c == '"') {
            std::string value;
            for (++i; i < n && text[i] != '"'; ++i) {
                if (text[i] == '\\' && i + 1 < n) {
                    ++i;
                    value += text[i] == 'n' ? '\n' : text[i] == 't' ? '\t' : text[i];
                } else {
                    value += text[i];
                }
            }
            ++i;  // closing quote
            tokens.push_back({VdfToken::String, value});
        } else {
            std::string value;
            while (i < n && text[i] != ' ' && text[i] != '\t' && text[i] != '\r' && text[i] != '\n' &&
                   text[i] != '{' && text[i] != '}' && text[i] != '"') {
                value += text[i++];
            }
            tokens.push_back({VdfToken::String, value});
        }
    }
    return tokens;
}

bool IsNumber(const std::string& text) {
    if (text.empty()) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

bool IsPathKey(const std::string& key) {
    if (key.size() != 4) return false;
    std::string lower = key;
    for (auto& c : lower) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return lower == "path";
}

// Library folders in file order: the "path" entry of each numbered block
// (current format), or numbered string entries of the root block (older one).
// Nesting is not trusted, since a stray brace would shift every level after
// it: any "path" value and any numbered value that looks like a path is a
// candidate, and every candidate is checked on disk before it is used.
std::vector<std::string> LibraryPaths(const std::string& vdf) {
    std::vector<std::string> paths;
    const auto tokens = TokenizeVdf(vdf);
    for (size_t i = 0; i + 1 < tokens.size(); ++i) {
        if (tokens[i].kind != VdfToken::String || tokens[i + 1].kind != VdfToken::String) continue;
        const std::string& key = tokens[i].text;
        const std::string& value = tokens[i + 1].text;
        const bool looksLikePath = value.find_first_of("/\\") != std::string::npos;
        if (IsPathKey(key) || (IsNumber(key) && looksLikePath)) paths.push_back(value);
        ++i;  // the value of this key
    }
    return paths;
}

std::u16string WithoutTrailingSlash(std::u16string path) {
    while (path.size() > 1 && (path.back() == u'/' || path.back() == u'\\')) path.pop_back();
    return path;
}

std::u16string GameIn(const std::u16string& library) {
    if (library.empty()) return std::u16string();  // not valid UTF-8
    const std::u16string folder = WithoutTrailingSlash(library) + u"/steamapps/common/RailWorks";
    return IsValidGamePath(folder) ? folder : std::u16string();
}

// Steam's own file is a few kilobytes; anything far larger is not one.
constexpr std::size_t kLibraryListLimit = std::size_t(1) << 20;

}  // namespace

std::u16string FindGameInSteamLibraries(const std::vector<std::u16string>& steamRoots) {
    for (const auto& root : steamRoots) {
        if (root.empty()) continue;
        std::string vdf;
        if (ReadFileBytes(WithoutTrailingSlash(root) + u"/steamapps/libraryfolders.vdf", vdf, kLibraryListLimit)) {
            for (const auto& library : LibraryPaths(vdf)) {
                std::u16string game = GameIn(Utf8ToWide(library));
                if (!game.empty()) return game;
            }
        }
        std::u16string game = GameIn(root);
        if (!game.empty()) return game;
    }
    return std::u16string();
}

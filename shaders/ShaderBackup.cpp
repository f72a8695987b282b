#include "shaders/ShaderBackup.h"

#include <cstdint>
#include <cstdio>

#include "app/AppPaths.h"
#include "app/FileIo.h"
#include "app/FileProbes.h"
#include "app/Log.h"
#include "app/Text.h"

namespace {

// The same game folder written with or without a trailing separator (and, on
// Windows, in another letter case) must map to the same backup folder.
std::u16string NormalisedGamePath(const std::u16string& gamePath) {
    std::u16string path = gamePath;
    for (auto& c : path) {
        if (c == u'/') c = u'\\';
#ifdef _WIN32
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
#endif
    }
    while (path.size() > 1 && path.back() == u'\\') path.pop_back();
    return path;
}

// 64-bit FNV-1a over the UTF-16 code units: stable across runs and builds.
std::u16string HashText(const std::u16string& text) {
    std::uint64_t hash = 14695981039346656037ull;
    for (char16_t c : text) {
        hash ^= static_cast<std::uint64_t>(c & 0xFF);
        hash *= 1099511628211ull;
        hash ^= static_cast<std::uint64_t>(c >> 8);
        hash *= 1099511628211ull;
    }
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
    return Utf8ToWide(hex);
}

const char16_t kGameFolderNote[] = u"GameFolder.txt";

}  // namespace

std::u16string ShaderBackupFolder(const std::u16string& gamePath) {
    return AppPaths.preferenceFolder + u"Backups\\" + HashText(NormalisedGamePath(gamePath)) + u"\\";
}

bool BackUpGameShader(const std::u16string& gamePath, const std::u16string& fileName) {
    const std::u16string original = gamePath + u"\\dev\\Shaders\\" + fileName;
    const std::u16string folder = ShaderBackupFolder(gamePath);
    const std::u16string backup = folder + fileName;
    if (PathExists(backup)) return true;  // the first copy is the game's own file
    if (!PathExists(original)) return true;

    if (AppPaths.preferenceFolder.empty() || CreateDirectories(folder)) {
        Log(u"ERROR: Can't create the backup folder " + folder);
        return false;
    }
    // A note telling a person which game folder this hash stands for.
    if (!PathExists(folder + kGameFolderNote)) {
        WriteTextFileCrLf(folder + kGameFolderNote,
                          "Backups of the game's own shader files, taken from:\n" + WideToUtf8(gamePath) + "\n");
    }
    std::string bytes;
    // Written under a temporary name and renamed, so a half-written backup can
    // never stand in for the game's file.
    if (!ReadFileBytes(original, bytes) || !WriteFileReplacingSafely(backup, bytes)) {
        Log(u"ERROR: Can't back up " + original + u" to " + backup);
        return false;
    }
    Log(u"Backed up original shader: " + fileName);
    return true;
}

bool ListShaderBackups(const std::u16string& gamePath, std::vector<std::u16string>& fileNames) {
    fileNames.clear();
    const std::u16string folder = ShaderBackupFolder(gamePath);
    if (!PathExists(folder)) return true;
    std::vector<DirectoryEntry> entries;
    if (!ListDirectory(folder, entries)) {
        Log(u"ERROR: Can't read the backup folder " + folder);
        return false;
    }
    for (const DirectoryEntry& entry : entries) {
        if (entry.isDirectory || entry.name == kGameFolderNote) continue;
        // Only files of the shader set: leftovers of an interrupted backup
        // (".new") and the note are not game files.
        if (entry.name.size() < 5 || entry.name.compare(entry.name.size() - 5, 5, u".fx.o") != 0) continue;
        fileNames.push_back(entry.name);
    }
    return true;
}

#include "shaders/EarlierBackups.h"

#include <cstdint>
#include <cstdio>

#include "app/AppPaths.h"
#include "app/FileIo.h"
#include "app/FileProbes.h"
#include "app/Log.h"
#include "app/Platform.h"
#include "app/Sha256.h"
#include "app/Text.h"

namespace {

// The same game folder written with or without a trailing separator (and, on
// Windows, in another letter case) mapped to the same backup folder.
std::u16string NormalisedGamePath(const std::u16string& gamePath) {
    std::u16string path = PathCaseKey(gamePath);
    for (auto& c : path) {
        if (c == u'/') c = u'\\';
    }
    while (path.size() > 1 && path.back() == u'\\') path.pop_back();
    return path;
}

// 64-bit FNV-1a over the UTF-16 code units, as the earlier releases named the folders.
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

bool IsShaderFileName(const std::u16string& name) {
    return name.size() > 5 && name.compare(name.size() - 5, 5, u".fx.o") == 0;
}

// Once no backup is left, the folder (with the note telling which game it
// belonged to) goes too.
void RetireEarlierBackup(const std::u16string& gamePath, const std::u16string& fileName) {
    const std::u16string folder = EarlierBackupFolder(gamePath);
    RemoveFileIfExists(folder + fileName);
    if (!ListEarlierBackups(gamePath).empty()) return;
    std::vector<DirectoryEntry> entries;
    if (!ListDirectory(folder, entries)) return;
    for (const DirectoryEntry& entry : entries) {
        if (!entry.isDirectory && !IsShaderFileName(entry.name)) RemoveFileIfExists(folder + entry.name);
    }
    RemoveFileIfExists(folder);
    const std::u16string parent = AppPaths.preferenceFolder + u"Backups\\";
    if (ListDirectory(parent, entries) && entries.empty()) RemoveFileIfExists(parent);
}

}  // namespace

std::u16string EarlierBackupFolder(const std::u16string& gamePath) {
    return AppPaths.preferenceFolder + u"Backups\\" + HashText(NormalisedGamePath(gamePath)) + u"\\";
}

std::vector<std::u16string> ListEarlierBackups(const std::u16string& gamePath) {
    std::vector<std::u16string> names;
    if (AppPaths.preferenceFolder.empty()) return names;
    std::vector<DirectoryEntry> entries;
    ListDirectory(EarlierBackupFolder(gamePath), entries);
    for (const DirectoryEntry& entry : entries) {
        if (!entry.isDirectory && IsShaderFileName(entry.name)) names.push_back(entry.name);
    }
    return names;
}

bool AdoptEarlierBackup(const std::u16string& gamePath, const std::u16string& fileName, const ShaderFileState& current,
                        ChangeManifest& manifest) {
    if (manifest.Find(fileName) || !current.exists || AppPaths.preferenceFolder.empty()) return true;
    const std::u16string backup = EarlierBackupFolder(gamePath) + fileName;
    if (!PathExists(backup)) return true;
    std::string bytes;
    if (!ReadFileBytes(backup, bytes)) {
        Log(u"ERROR: Can't read the earlier backup " + backup);
        return false;
    }
    ShaderChange change;
    change.fileName = fileName;
    change.existed = true;
    change.originalHash = Sha256Hex(bytes);
    change.writtenHash = current.hash;
    manifest.changes.push_back(change);
    if (!SaveOriginalCopy(gamePath, fileName, bytes) || !SaveChangeManifest(gamePath, manifest)) {
        manifest.Remove(fileName);
        return false;
    }
    Log(u"Took the earlier backup " + backup + u" as the game's own " + fileName);
    RetireEarlierBackup(gamePath, fileName);
    return true;
}

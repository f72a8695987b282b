#pragma once
// Whole-file reads and writes used by the settings, shader and game modules.
// Nothing here throws: every failure is a false result.
#include <cstddef>
#include <string>
#include <vector>

// Far above any file the program reads whole, far below what would exhaust memory.
constexpr std::size_t kDefaultReadLimit = std::size_t(64) << 20;

// Reads a regular file (or a link to one) whole. False when nothing is there,
// when the path is a folder, device or pipe, when the file holds more than
// maxBytes, or when reading fails; each of these but a missing file is logged
// as "ERROR: Can't read <path>: <cause>".
bool ReadFileBytes(const std::u16string& path, std::string& bytes, std::size_t maxBytes = kDefaultReadLimit);
// Writes the bytes unchanged, replacing the file.
bool WriteFileBytes(const std::u16string& path, const std::string& bytes);
// Writes text with every LF as CR LF (the on-disk form of generated text files).
bool WriteTextFileCrLf(const std::u16string& path, const std::string& text);
// Copies a file, replacing the destination.
bool CopyFileReplacing(const std::u16string& from, const std::u16string& to);
// Renames, replacing the destination; falls back to copy and delete.
bool MoveFileReplacing(const std::u16string& from, const std::u16string& to);

struct DirectoryEntry {
    std::u16string name;  // last path component
    bool isDirectory = false;
};
// Lists a folder without recursing; names the program cannot spell (not
// UTF-8) are left out. Returns false when it cannot be listed.
bool ListDirectory(const std::u16string& folder, std::vector<DirectoryEntry>& entries);

// ---- replacing a file safely (app/FileReplace.cpp)

// Writes to a uniquely named temporary file beside the target, flushes it to
// disk and renames it over the target only when everything was written, then
// flushes the folder: a failure or a crash at any point leaves the complete
// old file or the complete new one. A symbolic link is written through to its
// target. A target that is read-only, a folder or not a regular file is
// refused. Failures are logged as "ERROR: Can't save <path>: <cause>".
bool WriteFileReplacingSafely(const std::u16string& path, const std::string& bytes);
// Removes what interrupted saves of this file left behind: the temporaries
// beside it (or beside its link target), and the "<file>.new" of older versions.
void RemoveInterruptedSaves(const std::u16string& path);

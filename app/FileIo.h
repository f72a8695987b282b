#pragma once
// Whole-file reads and writes used by the settings, shader and game modules.
#include <string>
#include <vector>

bool ReadFileBytes(const std::u16string& path, std::string& bytes);
// Writes the bytes unchanged, replacing the file.
bool WriteFileBytes(const std::u16string& path, const std::string& bytes);
// Writes text with every LF as CR LF (the on-disk form of generated text files).
bool WriteTextFileCrLf(const std::u16string& path, const std::string& text);
// Writes to a temporary file beside the target, flushes it, and renames it over
// the target only when everything was written: a failure leaves the old file.
bool WriteFileReplacingSafely(const std::u16string& path, const std::string& bytes);
// Copies a file, replacing the destination.
bool CopyFileReplacing(const std::u16string& from, const std::u16string& to);
// WriteFileReplacingSafely, tried again while the target is busy (held open
// by the game or a virus scanner): attempts times in all, waitMs apart.
bool WriteFileWhenFree(const std::u16string& path, const std::string& bytes, int attempts, unsigned waitMs);
// Renames, replacing the destination; falls back to copy and delete.
bool MoveFileReplacing(const std::u16string& from, const std::u16string& to);

struct DirectoryEntry {
    std::u16string name;  // last path component
    bool isDirectory = false;
};
// Lists a folder without recursing. Returns false when it cannot be listed.
bool ListDirectory(const std::u16string& folder, std::vector<DirectoryEntry>& entries);

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
// Copies a file over another without ever leaving a part of it there: the
// bytes go to a temporary file beside the destination, which is then renamed
// over it. A rename refused because the destination is busy (held open by
// the game or a virus scanner) is tried again, attempts times in all, waitMs
// apart. False with the reason in error; the temporary file is removed.
bool CopyFileWhenFree(const std::u16string& from, const std::u16string& to, int attempts, unsigned waitMs,
                      std::string& error);
// Renames, replacing the destination; falls back to copy and delete.
bool MoveFileReplacing(const std::u16string& from, const std::u16string& to);

struct DirectoryEntry {
    std::u16string name;  // last path component
    bool isDirectory = false;
};
// Lists a folder without recursing. Returns false when it cannot be listed.
bool ListDirectory(const std::u16string& folder, std::vector<DirectoryEntry>& entries);

#pragma once
// Whole-file reads and writes used by the settings, shader and game modules.
// Nothing here throws: every failure is a false result.
#include <cstddef>
#include <string>
#include <system_error>
#include <vector>

// Far above any file the program reads whole, far below what would exhaust memory.
constexpr std::size_t kDefaultReadLimit = std::size_t(64) << 20;

// Reads a regular file (or a link to one) whole. False when nothing is there,
// when the path is a folder, device or pipe, when the file holds more than
// maxBytes, or when reading fails; each of these but a missing file is logged
// as "ERROR: Can't read <path>: <cause>". The cause of a failure goes to cause
// when given (no such file for a missing one).
bool ReadFileBytes(const std::u16string& path, std::string& bytes, std::size_t maxBytes = kDefaultReadLimit,
                   std::error_code* cause = nullptr);
// Writes the bytes unchanged, replacing the file.
bool WriteFileBytes(const std::u16string& path, const std::string& bytes);
// The text with every LF as CR LF: the on-disk form of generated text files.
std::string WithCrLf(const std::string& text);
// Writes text in that form.
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
// refused. Failures are logged as "ERROR: Can't save <path>: <cause>", and the
// cause goes to cause when given (a read-only file: permission denied).
bool WriteFileReplacingSafely(const std::u16string& path, const std::string& bytes, std::error_code* cause = nullptr);
// Removes what interrupted saves of this file left behind: the temporaries
// beside it (or beside its link target), and the "<file>.new" of older versions.
void RemoveInterruptedSaves(const std::u16string& path);
// Removes the temporaries that interrupted saves of any file left in the
// folder (not below it). True when none is left; the cause of the first that
// could not be removed goes to cause when given.
bool RemoveInterruptedSavesIn(const std::u16string& folder, std::error_code* cause = nullptr);

// ---- staying inside a folder

// True when the path, every link in it followed (also one whose target does
// not exist yet), lies in the folder (itself resolved) or is the folder; false
// when either cannot be resolved. A write, copy or delete of such a path
// cannot land outside the folder.
bool ResolvesInsideFolder(const std::u16string& path, const std::u16string& folder);

#pragma once
// The platform's file operations under the file readers and writers:
// opening, creating, flushing to disk, permissions and the atomic rename.
// Implemented by the platform layer (app/linux/LinuxFiles.cpp,
// app/win32/WinFiles.cpp).
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

// fopen with a narrow mode ("rb", "wb", ...).
FILE* OpenFileHandle(const std::filesystem::path& path, const char* mode);
// Creates the file only when nothing is there yet, for writing.
FILE* CreateNewFileHandle(const std::filesystem::path& path);
// Flushes the stream and asks the system to put the data on the disk.
bool FlushToDisk(FILE* file);
// True when the open file is a regular file (not a folder, device or pipe).
bool IsRegularFileHandle(FILE* file);
// The cause of the last failed C library call (errno; on Windows the
// system's own code where errno would hide a sharing violation).
std::error_code LastCError();

// What a failed file operation met, in the kinds the program acts on: a file
// another program holds open for a moment (a sharing or lock violation, a
// busy file) is worth another try; the rest never clear by waiting.
enum class FileErrorKind { None, Busy, ReadOnly, NoSpace, Other };
// ReadOnly covers access denied and read-only files and file systems; the
// platform's own codes (Windows error codes, errno) are both understood.
FileErrorKind ClassifyFileError(const std::error_code& error);
// The kind of a C library error number, as both platforms' C libraries use
// them (app/FileIo.cpp).
FileErrorKind ClassifyErrno(int value);

// True when the path itself is a symbolic link or a junction (not followed).
bool IsLink(const std::filesystem::path& path);
// The path with every link (symbolic link, junction) followed, also one whose
// target does not exist yet; the part after the last existing folder is
// appended as it is. False when a link cannot be read or leads in a circle.
bool ResolveLinksOf(const std::filesystem::path& path, std::filesystem::path& resolved);

// True when the user made the file read-only (its mode or attribute), or the
// file system refuses writes to it; an administrator may write any file, but
// such a file is not to be replaced behind the user's back.
bool IsWriteProtected(const std::filesystem::path& file, const std::filesystem::file_status& status);
// Gives an open new file the permissions of the file it will replace (where
// the platform has permission bits).
void KeepPermissions(FILE* file, const std::filesystem::file_status& old);
// Renames the temporary over the target, replacing it in one step, and makes
// the rename durable where the platform allows.
std::error_code ReplaceFileWith(const std::filesystem::path& temporary, const std::filesystem::path& target);

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
// The cause of the last failed C library call (errno).
std::error_code LastCError();

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

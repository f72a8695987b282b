#pragma once
// C stdio on the platform's path type, for the file readers and writers:
// opening, checking, flushing to disk, and the cause of a failure.
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

#pragma once
// File-system probes on the program's wide paths. Paths are built by string
// concatenation with backslashes (TSPath + "\dev\Shaders\"); FsPath is the one
// place where they become the platform's path type.
#include <filesystem>
#include <string>
#include <system_error>

// Converts a program path to the platform path: on Linux backslashes become
// slashes; on Windows the text is used as it is.
std::filesystem::path FsPath(const std::u16string& path);

bool PathExists(const std::u16string& path);
bool DirectoryExists(const std::u16string& path);
// Creates the folder and every missing parent. Errors are returned, never thrown.
std::error_code CreateDirectories(const std::u16string& path);

struct FileError {
    std::error_code code;
    std::string operation;  // "remove"
    std::u16string path;
    explicit operator bool() const { return static_cast<bool>(code); }
};
// Deletes the file when something exists at the path; a missing file is no error.
FileError RemoveFileIfExists(const std::u16string& path);

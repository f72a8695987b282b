#pragma once
// The fuzzing harnesses' shared set-up: one scratch folder per process (in
// memory where /dev/shm exists), removed at exit, and the program's paths
// pointed into it with the log switched off.
#include <string>

// The scratch folder, ending with '/'.
const std::u16string& FuzzScratch();
// The fuzzer's input as a byte string.
inline std::string FuzzInput(const unsigned char* data, unsigned long size) {
    return std::string(reinterpret_cast<const char*>(data), size);
}

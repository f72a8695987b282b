#pragma once
// Strict conversions between the program's two encodings: narrow strings are
// UTF-8, wide strings are UTF-16 (std::u16string on every platform).
#include <string>

// Invalid UTF-8 gives an empty string; nothing is replaced or thrown.
std::u16string Utf8ToWide(std::string text);
// An unpaired surrogate gives an empty string.
std::string WideToUtf8(std::u16string text);

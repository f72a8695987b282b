#pragma once
// SHA-256 of a byte string, as 64 lower-case hexadecimal digits: the content
// identity of files the program compares across runs.
#include <string>
#include <string_view>

std::string Sha256Hex(std::string_view bytes);

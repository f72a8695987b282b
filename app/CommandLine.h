#pragma once
// Command-line text as the Windows process API takes it, shared by the
// platform layers so that every platform runs tools with the same words.
#include <string>
#include <vector>

// "\"" + program + "\"" then " " + each argument verbatim.
std::u16string BuildCommandLine(const std::u16string& program, const std::vector<std::u16string>& arguments);
// Splits a command line into argv words with the Windows parsing rules
// (white space separates, double quotes group, backslashes before quotes).
std::vector<std::u16string> SplitCommandLine(const std::u16string& commandLine);

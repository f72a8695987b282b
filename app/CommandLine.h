#pragma once
// Command-line text as the Windows process API takes it: the Windows build
// runs its tools with it; the Linux build hands words over as they are.
#include <string>
#include <vector>

// One argument as the C runtime and CommandLineToArgvW read it back: left as
// it is unless it is empty or holds white space or a quote; otherwise quoted,
// with the backslashes that precede a quote (or the closing quote) doubled.
std::u16string QuoteArgument(const std::u16string& argument);
// "\"" + program + "\"", then " " + each argument quoted as above.
std::u16string BuildCommandLine(const std::u16string& program, const std::vector<std::u16string>& arguments);

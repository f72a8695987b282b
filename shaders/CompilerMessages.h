#pragma once
// A compiler's words as text for the log and the popups. Compilers write in
// the system's code page, and their output may be cut at any byte: each line
// is kept as it is where it is UTF-8 and read in the compilers' code page
// (Windows-1252 where there is no Windows) where it is not, a character cut
// at the end is dropped, and control characters become visible marks
// ("<NUL>", "<0x1B>") instead of cutting or hiding the text.
#include <cstddef>
#include <string>
#include <string_view>

// The most of a compiler's words that is kept, as the process service keeps.
inline constexpr std::size_t kCompilerMessagesLimit = 64 * 1024;

// UTF-8 with LF line ends, at most limit bytes, cut at a character boundary.
std::string CompilerMessagesAsText(std::string_view bytes, std::size_t limit = kCompilerMessagesLimit);

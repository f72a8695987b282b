// Linux has no system effect compiler: fxc.exe runs through wine instead.
#include "app/SystemEffectCompiler.h"

namespace {
// Windows-1252 from 0x80 to 0x9F; the five bytes it leaves undefined read as U+FFFD.
const char16_t kHighControls[32] = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};
}  // namespace

bool FindSystemEffectCompiler(std::u16string& location, std::u16string& problem) {
    location.clear();
    problem = u"this system has no effect compiler of its own";
    return false;
}

bool CompileWithSystemEffectCompiler(const std::string&, const std::string&, const std::u16string&,
                                     const std::u16string&, std::string& messages) {
    messages = "no system effect compiler";
    return false;
}

bool SystemEffectCompilerIsWines() { return false; }

std::string WineVersion() { return std::string(); }

std::u16string CompilerCodePageToWide(std::string_view bytes) {
    std::u16string wide;
    wide.reserve(bytes.size());
    for (char b : bytes) {
        const auto c = static_cast<unsigned char>(b);
        wide.push_back(c >= 0x80 && c < 0xA0 ? kHighControls[c - 0x80] : static_cast<char16_t>(c));
    }
    return wide;
}

std::u16string EffectCompilerAdvice(const std::u16string& programFolder) {
    return u"What works instead: fxc.exe from the Windows SDK beside Vantrel (" + programFolder +
           u") or on the PATH, run through wine; or Vantrel for Windows in the game's Wine prefix with "
           u"Microsoft's d3dcompiler_47.dll (for Steam's Proton: protontricks 24010 d3dcompiler_47).";
}

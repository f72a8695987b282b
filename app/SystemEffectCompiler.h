#pragma once
// The effect compiler that Windows 10 and 11 ship, d3dcompiler_47.dll from
// the system folder, run in-process when no fxc.exe is at hand. It is loaded
// on first use only, so the program starts without it; other platforms have
// none.
#include <string>
#include <string_view>

// Loads the compiler once. True with the DLL's full path in location; false
// with a log line's worth of reason in problem.
bool FindSystemEffectCompiler(std::u16string& location, std::u16string& problem);

// Compiles source (sourceName names it in messages) as an fx_2_0 effect with
// the options of fxc's /Gec /O3; #include "x" is read from includeFolder + x.
// On success the effect is written to outputFile. The compiler's messages
// (warnings too) go to messages. Safe to call from several threads at once.
bool CompileWithSystemEffectCompiler(const std::string& source, const std::string& sourceName,
                                     const std::u16string& includeFolder, const std::u16string& outputFile,
                                     std::string& messages);

// True when the system's compiler that FindSystemEffectCompiler loaded is
// Wine's own (built in, not Microsoft's DLL put into the prefix): it cannot
// write fx_2_0 effects.
bool SystemEffectCompilerIsWines();

// The version of Wine this program runs under ("8.0"); empty when it runs on
// Windows itself, and always on Linux, where the program is native.
std::string WineVersion();

// Bytes in the code page compilers write their messages in: the system's
// ANSI code page on Windows, Windows-1252 elsewhere (fxc.exe under wine).
std::u16string CompilerCodePageToWide(std::string_view bytes);

// What works instead, as a log line for the player, when this platform's
// effect compiler is missing or cannot build the effects; programFolder is
// where the program looks for fxc.exe first.
std::u16string EffectCompilerAdvice(const std::u16string& programFolder);

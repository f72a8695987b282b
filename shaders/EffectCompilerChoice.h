#pragma once
// Which effect compiler an install uses: fxc.exe where it is found (beside
// the program, then on the search path), else the one Windows ships, else none.
#include <string>

enum class EffectCompilerKind { None, Fxc, System };

struct EffectCompilerChoice {
    EffectCompilerKind kind = EffectCompilerKind::None;
    std::u16string location;     // full path of fxc.exe or of the DLL
    std::u16string description;  // the log line that names the choice
    std::string identity;        // what, besides the source, decides the output
    std::u16string problem;      // kind None: the log line that says why, with the advice
    // What works instead (a log line for the player) when this choice cannot
    // build the effects: set for Wine's own d3dcompiler_47.dll, which cannot
    // write fx_2_0 effects, and for kind None; empty otherwise.
    std::u16string advice;
};

EffectCompilerChoice ChooseEffectCompiler();

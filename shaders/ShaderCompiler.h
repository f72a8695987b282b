#pragma once
// Compiles one effect in the work folder with the chosen compiler: the source
// is written to work folder + name + ".fx", the effect to name + ".fx.o".
// Touches nothing but these two files, so several effects can compile at once.
#include <string>

#include "shaders/EffectCompilerChoice.h"

struct EffectCompileResult {
    bool ok = false;
    std::string messages;  // the compiler's own words, warnings included
};

// sourceCrLf is the effect source in its on-disk form (CR LF line ends).
EffectCompileResult CompileEffectSource(const EffectCompilerChoice& compiler, const std::u16string& name,
                                        const std::string& sourceCrLf);

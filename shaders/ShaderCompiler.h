#pragma once
// Compiles one effect in the work folder with the chosen compiler: the source
// is written to work folder + name + ".fx", the effect to name + ".fx.o".
// Touches nothing but these two files, so several effects can compile at once.
// Only a whole effect counts: an output that does not read as an fx_2_0
// effect, or lacks a technique or pass its source declares, is a failure,
// and the output is removed.
#include <string>

#include <vector>

#include "shaders/DeclaredTechniques.h"
#include "shaders/EffectCompilerChoice.h"

struct EffectCompileResult {
    bool ok = false;
    // The compiler's own words, warnings included, as UTF-8 lines; on a
    // failure also why the program does not take the output.
    std::string messages;
    // On a failure of Wine's own compiler: what works instead (one UTF-8
    // line for the player); empty otherwise.
    std::string advice;
};

// sourceCrLf is the effect source in its on-disk form (CR LF line ends).
EffectCompileResult CompileEffectSource(const EffectCompilerChoice& compiler, const std::u16string& name,
                                        const std::string& sourceCrLf);

// The techniques and passes the source declares, the headers it includes
// read from the work folder; false when the source cannot be followed.
bool DeclaredTechniquesOf(const std::string& sourceCrLf, std::vector<DeclaredTechnique>& techniques);

// Why the compiled effect in file is not the whole effect the source
// declares (the headers it includes are read from the work folder), as a
// line of text; empty when it is whole.
std::string IncompleteEffectProblem(const std::string& sourceCrLf, const std::u16string& file);

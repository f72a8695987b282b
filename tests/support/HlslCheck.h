#pragma once
// The HLSL check's toolchain: vkd3d-compiler (the HLSL compiler for Direct3D 9
// shader models that Wine ships; scripts/setup-vkd3d.sh puts its wrapper in
// the build folder) run over effect files, the passes read from an effect's
// text, each pass's shaders compiled under their profiles and checked for
// linking and instruction slots.
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tests/support/TestEnv.h"

inline const fs::path kVkd3dCompiler = VANTREL_VKD3D_COMPILER;

struct Output {
    std::string out, err;
    std::string problem;  // the messages of a failed run
};

// The compiler run on file in its folder (vkd3d resolves quoted includes
// against the current folder, as fxc runs beside the work folder).
Output Run(const fs::path& file, const std::string& arguments);

// "compile <profile> <entry>(<arguments>)" in a pass.
struct ShaderUse {
    std::string profile, entry;
    std::vector<std::string> arguments;  // literal values of the uniform parameters
    std::string Label() const;
};

struct Pass {
    std::string name;  // "technique/pass"
    std::vector<ShaderUse> shaders;
};

std::vector<Pass> FindPasses(const std::string& text);
std::vector<std::string> TechniqueNames(const std::string& text);  // in text order

struct Slots {
    int arithmetic = 0, texture = 0;  // flow control counts as arithmetic
    std::string unknown;              // an opcode without a known weight
};
double SlotFill(const std::string& profile, const Slots& s);  // above 1: over the limit
// The slots of an assembly listing (-b d3d-asm), by the macro-instruction
// weights of the Direct3D 9 assembly reference.
Slots CountSlots(const std::string& assembly);

struct EffectBuild {
    std::string effect, configuration;
    fs::path file;             // the headers it includes lie beside it
    bool compile = true;       // false: only preprocessed
    std::string preprocessed;  // set by the check
};
std::string Where(const EffectBuild& b);  // "effect (configuration)"

struct CheckReport {
    std::vector<std::string> failures;          // each names effect, configuration and what failed
    size_t shaders = 0;                         // compiled
    std::map<std::string, int> notImplemented;  // fx_2_0 features vkd3d does not write yet, counted
};

// Every build preprocessed and, unless only preprocessed, compiled whole as
// fx_2_0 and shader by shader, the passes' semantics linked and the slots
// held to their limits; builds run side by side, one per core.
CheckReport CheckEffects(std::vector<EffectBuild>& builds);

#pragma once
// The compile check of effects with vkd3d-compiler, the HLSL compiler for
// Direct3D 9 shader models: every shader a pass names, under its profile and
// with its uniform arguments; the semantics linking each pass; instruction
// slots against the profile's limit; the whole effect as fx_2_0.

#include "tests/support/TestEnv.h"

struct EffectBuild {
    std::string effect, configuration;
    fs::path file;             // the headers it includes lie beside it
    std::string preprocessed;  // set by PreprocessBuilds
};

struct Slots {
    int arithmetic = 0, texture = 0;  // flow control counts as arithmetic
    std::string unknown;              // an opcode without a known weight
};

struct ShaderRow {
    std::string effect, configuration, shader, profile;
    Slots slots;
};

struct CheckReport {
    std::vector<std::string> failures;        // each names effect, configuration and what failed
    std::vector<ShaderRow> rows;              // every shader compiled
    std::vector<std::string> notImplemented;  // "count x feature" of fx_2_0 that vkd3d does not write yet
};

// The wrapper script setup-vkd3d.sh writes into the build folder.
inline fs::path CompilerPath() { return VANTREL_VKD3D_COMPILER; }
// vkd3d-compiler -E over every build, several at a time; a failure is listed.
void PreprocessBuilds(std::vector<EffectBuild>& builds, std::vector<std::string>& failures);
std::vector<std::string> TechniqueNames(const std::string& preprocessed);  // in text order
// Compiles every preprocessed build and judges what the compiler says.
CheckReport CheckEffects(const std::vector<EffectBuild>& builds);

// Instruction slots of vkd3d's Direct3D 9 assembly, and the profile's limit.
Slots CountSlots(const std::string& assembly);
std::string SlotLimit(const std::string& profile);  // "64+32" (arithmetic + texture) for ps_2_0; empty: unknown
std::string SlotText(const std::string& profile, const Slots& slots);
double SlotFill(const std::string& profile, const Slots& slots);  // above 1: over the limit

#pragma once
// The compile check of the effects with vkd3d-compiler, the HLSL compiler for
// Direct3D 9 shader models: every shader a pass compiles, under its profile;
// the semantics linking each pass; instruction slots against the profile's
// limit; and the whole effect as fx_2_0.
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

// ---- the technique blocks of a preprocessed effect (EffectPasses.cpp)

// "compile <profile> <entry>(<arguments>)"
struct ShaderUse {
    std::string profile;  // "vs_3_0"
    std::string entry;
    std::vector<std::string> arguments;  // literal values of the uniform parameters
};

struct PassUse {
    std::string technique;
    std::string pass;
    std::vector<ShaderUse> shaders;
};

// The techniques (names in text order) and every pass; false with a reason
// when the blocks cannot be read.
bool FindPasses(const std::string& preprocessed, std::vector<std::string>& techniques,
                std::vector<PassUse>& passes, std::string& problem);

// An entry point taking the varying parameters of use.entry and passing the
// literal arguments for its uniform ones: "<type> name(<varying>) : <semantic>".
bool MakeEntryWrapper(const std::string& preprocessed, const ShaderUse& use, const std::string& name,
                      std::string& wrapper, std::string& problem);

std::string ShaderLabel(const ShaderUse& use);  // "PointLightPS(true)"

// ---- vkd3d's Direct3D 9 assembly (ShaderAssembly.cpp)

struct SlotCount {
    int arithmetic = 0;  // flow control included
    int texture = 0;
    std::vector<std::string> unknown;  // opcodes missing from the weight table
    int Total() const { return arithmetic + texture; }
};

SlotCount CountSlots(const std::string& assembly);
// "64+32" for ps_2_0 (arithmetic + texture), else the total, "512"; empty
// for a profile without a known limit.
std::string SlotLimitText(const std::string& profile);
std::string SlotCountText(const std::string& profile, const SlotCount& count);
bool WithinSlotLimit(const std::string& profile, const SlotCount& count);

// Semantics ("TEXCOORD0", "COLOR1") a pixel shader reads (VPOS and VFACE
// left out: the rasteriser makes them), and those a vertex shader writes.
std::vector<std::string> PixelShaderInputs(const std::string& assembly);
std::vector<std::string> VertexShaderOutputs(const std::string& assembly);

// ---- running the compiler (EffectCheck.cpp)

// A folder holding effect + ".fx" and the headers it includes, written as an
// install writes its work folder.
struct EffectBuild {
    std::string effect;
    std::string configuration;
    fs::path folder;
};

struct ShaderRow {
    std::string effect;
    std::string configuration;
    std::string shader;  // ShaderLabel
    std::string profile;
    SlotCount slots;
};

struct TechniqueList {
    std::string effect;
    std::string configuration;
    std::vector<std::string> names;
};

struct CheckReport {
    std::vector<std::string> failures;        // each names effect, configuration and what failed
    std::vector<ShaderRow> rows;              // every compiled shader
    std::vector<TechniqueList> techniques;    // per build
    std::vector<std::string> notImplemented;  // fx_2_0 messages of features vkd3d lacks, "count x text"
};

// The wrapper script setup-vkd3d.sh writes into the build folder.
fs::path CompilerPath();
// Compiles every build on all cores. Builds whose preprocessed text equals an
// earlier one of the same effect are only listed, not compiled again.
CheckReport CheckEffects(const std::vector<EffectBuild>& builds);

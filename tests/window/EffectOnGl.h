#pragma once
// A Direct3D 9 effect's technique run through OpenGL, for holding the preview
// against the shader: passes, targets and samplers read from the preprocessed
// effect; each pixel shader compiled by vkd3d (HLSL -> Direct3D 9 bytecode ->
// SPIR-V) and SPIRV-Cross (GLSL); the passes drawn in order into targets of the
// sizes the effect declares, with Direct3D 9's texel centres.
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "preview/PostChain.h"
#include "tests/support/TestEnv.h"

// The view every full-size target has.
inline constexpr int kEffectWidth = 384, kEffectHeight = 216;

// Empty when the command succeeded, else the command and what it said.
std::string RunTool(const std::string& command, const fs::path& errors);

struct Pass {
    std::string name, entry, target;  // target: a texture, empty for the back buffer
};
struct Effect {
    std::vector<Pass> passes;                                      // of the named technique
    std::map<std::string, std::pair<int, int>> sizes;              // texture -> pixels
    std::map<std::string, std::pair<std::string, bool>> samplers;  // sampler -> texture, point filter
    std::string scene;                                             // the SCENECOLOUR texture
};
Effect ReadEffect(const std::string& preprocessed, const std::string& technique);

struct Compiled {
    std::string glsl, error;
    std::map<std::string, int> registers;  // constant table: name -> register (sampler or c#)
};
// One pixel shader of the effect, its files written next to `dir / entry`.
Compiled Compile(const fs::path& source, const std::string& entry, const fs::path& dir);

// Every pass drawn in order over the scene; every target read back, the back
// buffer as "". Empty, with the reason in `error`, when a program fails.
std::map<std::string, RgbaImage> RunOnGl(const Effect& effect, const std::map<std::string, Compiled>& code,
                                         const RgbaImage& scene, std::string& error);

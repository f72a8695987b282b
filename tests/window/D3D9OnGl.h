#pragma once
// Direct3D 9 effects run through OpenGL, for holding the preview against the
// shaders the install compiles: a technique of an effect is preprocessed and
// read (its passes with their shaders, targets and blend states, its textures
// and samplers), each of its shaders compiled by the real compilers (vkd3d to
// Direct3D 9 bytecode, then to SPIR-V, SPIRV-Cross to GLSL), and the passes
// drawn in order as Direct3D 9 draws them: its texel centres, its constant
// registers, its blending and alpha test. Needs an OpenGL 3.3 context.
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "preview/RgbaImage.h"
#include "tests/support/TestEnv.h"

struct EffectPass {
    std::string name, vertexShader, pixelShader;
    std::string target;  // a texture of the effect, empty for the back buffer
    bool blend = false;
    std::string sourceBlend, destBlend;  // Direct3D names: One, SrcAlpha, InvSrcAlpha ...
    bool alphaTest = false;
    int alphaRef = 0;  // AlphaFunc Greater only
};

struct CompiledShader {
    std::string glsl, error;
    std::map<std::string, std::pair<int, int>> registers;  // constant table: name -> first register (s# or c#), count
    std::map<std::string, std::string> io;    // register (v0, o1 ...) -> semantic (texcoord0 ...)
};

// One technique of one effect source, compiled.
struct EffectBuild {
    std::vector<EffectPass> passes;
    std::map<std::string, std::pair<std::string, std::pair<int, int>>> textures;  // name -> semantic, size
    std::map<std::string, std::pair<std::string, bool>> samplers;                  // name -> texture, point filter
    std::map<std::string, CompiledShader> shaders;                                 // by entry point
    std::string error;
};

// Builds techniques of effect sources in a work folder (the include headers
// are written beside each source), compiling on two threads; a source met
// again is built once.
class EffectBuilder {
public:
    EffectBuilder(const fs::path& folder, int viewWidth, int viewHeight);
    // Registers a build; the result is ready after Run().
    const EffectBuild* Add(const std::string& effectName, const std::string& source, const std::string& technique);
    void Run();

private:
    fs::path folder_;
    int width_, height_;
    std::map<std::string, EffectBuild> builds_;  // by technique and source
    std::vector<std::tuple<fs::path, std::string, std::string, CompiledShader*>> jobs_;  // source, entry, profile
};

// What a run starts from. The back buffer holds `frame`, and the SCENECOLOUR
// texture a copy of it; the G-buffer textures hold the depth (one float per
// pixel) and the material (its alpha the emissive channel). Constants are
// given by name, four floats per register. For an effect that draws
// geometry (the sky dome), `points` are drawn instead of the full-screen
// quad: one per pixel, carrying the pixel shader's inputs by semantic.
struct GlRunInputs {
    int width = 0, height = 0;
    RgbaImage frame;
    std::vector<float> depth;
    RgbaImage material;
    std::map<std::string, std::vector<float>> constants;
    std::vector<std::pair<int, int>> points;
    std::map<std::string, std::vector<float>> pointInputs;  // semantic -> 4 floats per point
    std::set<std::string> unblended;                        // passes drawn without their blend
};

struct GlRun {
    std::vector<RgbaImage> afterPass;  // each pass's target as it left it
    RgbaImage backBuffer;              // at the end
    std::string error;
};

// Sets up the quad and the constant buffers; once per context.
void PrepareGl();
GlRun RunOnGl(const EffectBuild& build, const GlRunInputs& inputs);

// The largest difference of any colour channel, and how many differ by more
// than two steps.
struct ImageDifference {
    int largest = 0;
    size_t overTwo = 0, channels = 0;
};
ImageDifference Difference(const RgbaImage& a, const RgbaImage& b);

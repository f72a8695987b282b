#pragma once
// The post chain of Train_post_bloom.fx (technique AdaptiveBloom) computed on
// the CPU for the preview: the same steps, in the same order, with the same
// constants and 8-bit targets, so the picture is the one the installed shader
// gives for a still frame.
#include <array>
#include <cstdint>
#include <vector>

#include "settings/Settings.h"

// The ten settings the chain reads (the "hdrbloom" and "imagecolors" sections).
struct PostChainSettings {
    float HDRExposure = 1.0f;
    float BloomIntensity = 1.0f;
    float BloomColorDesaturation = 0.25f;
    float Gamma = 1.0f;
    float ImageSharpness = 1.0f;
    float ImageContrast = 1.0f;
    float ColorVibrance = 0.0f;
    float ImageGrayLevel = 0.0f;
    float ImageSepiaLevel = 0.0f;
    bool ColorBandingFix = true;
    bool operator==(const PostChainSettings&) const = default;
};
PostChainSettings PostChainSettingsFrom(const ShaderSettings& shader);

// 8-bit RGBA, rows top first.
struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;
};

inline constexpr int kBloomLevels = 8;
// Viewport ratio of each bloom target: 1/2 ... 1/256.
inline constexpr std::array<float, kBloomLevels> kBloomRatios = {0.5f,     0.25f,     0.125f,     0.0625f,
                                                                 0.03125f, 0.015625f, 0.0078125f, 0.00390625f};
// Pixels of a bloom target along an axis of the view: the ratio's share,
// truncated, at least one.
int BloomTargetSize(int viewPixels, float ratio);

// Every target of one run, for checks against the shader pass by pass.
struct PostChainTargets {
    RgbaImage reduce, luminance;
    std::array<RgbaImage, kBloomLevels> bloom;
    RgbaImage present, sharpen, hdr, final;
};

// Milliseconds spent in each step.
struct PostChainTimings {
    double reduce = 0, luminance = 0, bloom = 0, present = 0, sharpen = 0, hdr = 0, final = 0;
    double Total() const { return reduce + luminance + bloom + present + sharpen + hdr + final; }
};

// Runs the seven steps over the scene (alpha ignored) and returns what the
// last one writes into the back buffer. An empty scene gives an empty image.
// The full-size steps split their rows over up to `threads` threads; the
// result is the same for any count.
RgbaImage RunPostChain(const RgbaImage& scene, const PostChainSettings& settings, PostChainTargets* targets = nullptr,
                       PostChainTimings* timings = nullptr, int threads = 1);

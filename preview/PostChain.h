#pragma once
// The post chain of Train_post_bloom.fx (technique AdaptiveBloom) computed on
// the CPU for the preview: the same steps, in the same order, with the same
// constants and 8-bit targets, so the picture is the one the installed shader
// gives for a still frame. It reads the rows of the parameter table whose
// preview step is PreviewPass::PostChain.
#include <array>
#include <memory>
#include <vector>

#include "preview/PostTargets.h"
#include "preview/RgbaImage.h"
#include "settings/Settings.h"

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

// Milliseconds spent in each step (0 for a step taken from the state).
struct PostChainTimings {
    double reduce = 0, luminance = 0, bloom = 0, present = 0, sharpen = 0, hdr = 0, final = 0;
    double Total() const { return reduce + luminance + bloom + present + sharpen + hdr + final; }
};

namespace PostStep {
struct BandingTables;
}

// What the chain keeps from one run to the next, owned by whoever runs it
// (the preview's worker) and freed with it: the steps that read no setting
// (reduce, luminance, bloom) for the last input, and the banding pass's
// tables and working buffer.
struct PostChainState {
    bool haveBloom = false;
    PostTarget reduce, luminance;
    std::array<PostTarget, kBloomLevels> bloom;
    std::shared_ptr<PostStep::BandingTables> banding;
    std::vector<float> bandingTexels;
};

// Runs the seven steps over the frame and returns what the last one writes
// into the back buffer. The steps that read no setting are taken from the
// state unless `frameChanged` (or the state has none). The full-size steps
// split their rows over up to `threads` threads; the result is the same for
// any count. Every step's target is copied out when `targets` is given.
PostTarget RunPostChainSteps(const PostTarget& frame, bool frameChanged, const ShaderSettings& settings,
                             PostChainState& state, PostChainTimings* timings = nullptr, int threads = 1,
                             PostChainTargets* targets = nullptr);

// The whole chain from scratch over a picture (alpha ignored), with every
// target when asked for. An empty or inconsistent picture gives an empty image.
RgbaImage RunPostChain(const RgbaImage& frame, const ShaderSettings& settings, PostChainTargets* targets = nullptr,
                       PostChainTimings* timings = nullptr, int threads = 1);

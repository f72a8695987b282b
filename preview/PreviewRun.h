#pragma once
// The whole preview: the scene's effects in the order the game runs them
// (sky dome, fog, light glow, depth of field, edge smoothing), then the post
// chain. A screenshot goes through the steps that work on a picture alone.
// Each step's frame is kept with the settings it was computed from, so that
// a slider moves only its own step and those after it.
#include <array>
#include <memory>

#include "preview/PostChain.h"
#include "preview/PreviewPasses.h"
#include "preview/PreviewScene.h"

// What each step of the last run cost, in the order of kPreviewOrder.
struct PreviewTimings {
    std::array<bool, kPreviewOrder.size()> computed{};  // false where the kept frame served, or the step does not run
    std::array<double, kPreviewOrder.size()> pass{};    // milliseconds
    PostChainTimings chain;                           // the post chain's share, by step
    double Total() const;
};

// What the preview keeps from one run to the next, owned by whoever runs it
// (the preview's worker) and freed with it.
struct PreviewCache {
    struct Kept {
        bool valid = false;
        ShaderSettings settings;  // those the frame was computed from
        PostTarget frame;
    };
    std::shared_ptr<const PreviewScene> scene;  // the input of the kept frames
    std::array<Kept, kPreviewOrder.size()> steps;
    PostChainState chain;
};

// True when a step runs on this input: every step on the built-in scene,
// the picture-only ones on a screenshot.
bool PreviewRunsPass(PreviewPass pass, const PreviewScene& scene);

// The frame the back buffer holds at the end, for these settings. The steps
// split their rows over up to `threads` threads; the result is the same for
// any count, and the same as from a fresh cache.
PostTarget RunPreview(const std::shared_ptr<const PreviewScene>& scene, const ShaderSettings& settings,
                      PreviewCache& cache, PreviewTimings* timings = nullptr, int threads = 1);
// The same from scratch, as a picture.
RgbaImage RunPreviewOnce(const PreviewScene& scene, const ShaderSettings& settings, int threads = 1);

#include "preview/PreviewRun.h"

#include <chrono>

#include "preview/SceneEffects.h"

double PreviewTimings::Total() const {
    double total = 0;
    for (double ms : pass) total += ms;
    return total;
}

bool PreviewRunsPass(PreviewPass pass, const PreviewScene& scene) { return scene.hasDepth || !PassNeedsScene(pass); }

namespace {

PostTarget RunStep(PreviewPass pass, const PreviewScene& scene, const PostTarget& frame, const ShaderSettings& s,
                   int threads) {
    using namespace SceneStep;
    switch (pass) {
        case PreviewPass::SkyDome: return SkyDome(scene, frame, s, threads);
        case PreviewPass::Fog: return VolumetricFog(scene, frame, s, threads);
        case PreviewPass::LightGlow: return LightGlow(scene, frame, s);
        case PreviewPass::DepthOfField: return DofBlur(scene, frame, DofCopy(frame, s), s, threads);
        case PreviewPass::EdgeSmoothing: return Fxaa(frame, s, threads);
        case PreviewPass::PostChain:
        case PreviewPass::None: break;
    }
    return frame;
}

}  // namespace

PostTarget RunPreview(const std::shared_ptr<const PreviewScene>& scene, const ShaderSettings& settings,
                      PreviewCache& cache, PreviewTimings* timings, int threads) {
    PreviewTimings local;
    PreviewTimings& time = timings ? *timings : local;
    time = PreviewTimings();
    if (!scene || scene->width <= 0 || scene->height <= 0) return PostTarget();
    // Once a step is computed afresh, every step after it is too.
    bool changed = cache.scene != scene;
    cache.scene = scene;
    const PostTarget* frame = &scene->colour;
    for (size_t n = 0; n < kPreviewOrder.size(); ++n) {
        const PreviewPass pass = kPreviewOrder[n];
        PreviewCache::Kept& kept = cache.steps[n];
        if (!PreviewRunsPass(pass, *scene)) continue;
        const bool frameChanged = changed;
        changed = changed || !kept.valid || !SameSettingsFor(pass, kept.settings, settings);
        if (changed) {
            const auto start = std::chrono::steady_clock::now();
            kept.frame = pass == PreviewPass::PostChain
                             ? RunPostChainSteps(*frame, frameChanged, settings, cache.chain, &time.chain, threads)
                             : RunStep(pass, *scene, *frame, settings, threads);
            kept.settings = settings;
            kept.valid = true;
            time.computed[n] = true;
            time.pass[n] = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        }
        frame = &kept.frame;
    }
    return *frame;
}

RgbaImage RunPreviewOnce(const PreviewScene& scene, const ShaderSettings& settings, int threads) {
    PreviewCache cache;
    return ImageFromTarget(RunPreview(std::make_shared<const PreviewScene>(scene), settings, cache, nullptr, threads));
}

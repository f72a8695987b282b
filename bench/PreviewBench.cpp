// The preview's cost on one core, at the size the panel shows it (588 x 330)
// and at full size (1280 x 720), every switch on (the defaults). Read the CPU
// column: the machine may be shared.
//   BM_PreviewStep/<step>/<width>: one step on the frame the steps before it
//     leave (steps in kPreviewOrder: 0 sky dome, 1 fog, 2 light glow, 3 depth
//     of field, 4 edge smoothing, 5 the post chain with its bloom, 6 the post
//     chain taking its bloom from the last run, as a slider of its own moves).
//   BM_PreviewSliderMove/<step>/<width>: what the worker does when a slider of
//     that step moves: that step and those after it.
//   BM_PreviewFromScratch, BM_PreviewScene: a new picture size.
#include <benchmark/benchmark.h>

#include "preview/PreviewPicture.h"
#include "preview/PreviewRun.h"
#include "preview/SceneEffects.h"
#include "settings/SettingsTable.h"

namespace {

std::shared_ptr<const PreviewScene> Scene(int width) {
    return std::make_shared<const PreviewScene>(MakePreviewScene(width, PreviewSceneHeight(width)));
}

// Arguments: the step, the width.
void BM_PreviewStep(benchmark::State& state) {
    const size_t step = static_cast<size_t>(state.range(0));
    const auto scene = Scene(static_cast<int>(state.range(1)));
    const ShaderSettings s;
    // The frame the earlier steps leave, from a run of the whole preview.
    PreviewCache cache;
    RunPreview(scene, s, cache);
    const PostTarget& frame = step == 0 ? scene->colour : cache.steps[std::min<size_t>(step, 5) - 1].frame;
    PostChainState chain = cache.chain;
    for (auto _ : state) {
        using namespace SceneStep;
        PostTarget out;
        switch (step) {
            case 0: out = SkyDome(*scene, frame, s); break;
            case 1: out = VolumetricFog(*scene, frame, s); break;
            case 2: out = LightGlow(*scene, frame, s); break;
            case 3: out = DofBlur(*scene, frame, DofCopy(frame, s), s); break;
            case 4: out = Fxaa(frame, s); break;
            default: out = RunPostChainSteps(frame, step == 5, s, chain); break;
        }
        benchmark::DoNotOptimize(out.bytes.data());
    }
}
BENCHMARK(BM_PreviewStep)->ArgsProduct({{0, 1, 2, 3, 4, 5, 6}, {588, 1280}})->Unit(benchmark::kMillisecond);

// Arguments: the step whose first slider moves (light glow has only its tint), the width.
void BM_PreviewSliderMove(benchmark::State& state) {
    const PreviewPass pass = kPreviewOrder[static_cast<size_t>(state.range(0))];
    const auto scene = Scene(static_cast<int>(state.range(1)));
    float ShaderSettings::*slider = nullptr;
    for (const ParamDesc& p : ShaderParamTable())
        if (p.preview == pass && p.kind == ParamKind::Float && !slider) slider = p.floatField;
    ShaderSettings settings;
    const float start = settings.*slider;
    PreviewCache cache;
    RunPreview(scene, settings, cache);
    for (auto _ : state) {
        settings.*slider = settings.*slider == start ? start * 0.9f + 0.01f : start;
        PostTarget out = RunPreview(scene, settings, cache);
        benchmark::DoNotOptimize(out.bytes.data());
    }
}
BENCHMARK(BM_PreviewSliderMove)->ArgsProduct({{0, 1, 3, 4, 5}, {588, 1280}})->Unit(benchmark::kMillisecond);

void BM_PreviewFromScratch(benchmark::State& state) {
    const auto scene = Scene(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        PreviewCache cache;
        PostTarget out = RunPreview(scene, ShaderSettings(), cache);
        benchmark::DoNotOptimize(out.bytes.data());
    }
}
BENCHMARK(BM_PreviewFromScratch)->Arg(588)->Arg(1280)->Unit(benchmark::kMillisecond);

void BM_PreviewScene(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0));
    for (auto _ : state) {
        PreviewScene scene = MakePreviewScene(width, PreviewSceneHeight(width));
        benchmark::DoNotOptimize(scene.depth.data());
    }
}
BENCHMARK(BM_PreviewScene)->Arg(588)->Arg(1280)->Unit(benchmark::kMillisecond);

// What the worker does on a machine with several cores, from scratch at full size.
void BM_PreviewThreads(benchmark::State& state) {
    const auto scene = Scene(1280);
    for (auto _ : state) {
        PreviewCache cache;
        PostTarget out = RunPreview(scene, ShaderSettings(), cache, nullptr, static_cast<int>(state.range(0)));
        benchmark::DoNotOptimize(out.bytes.data());
    }
}
BENCHMARK(BM_PreviewThreads)->Arg(2)->Arg(4)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

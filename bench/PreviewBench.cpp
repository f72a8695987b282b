// The preview's cost on one core, step by step, at the size the panel shows
// it (588 x 330) and at full size (1280 x 720), every switch on (the
// defaults): a run from scratch, and one slider move of each step (what the
// worker does when a slider of that step moves: its step and those after it).
// Counters are milliseconds per run.
#include <benchmark/benchmark.h>

#include <string>

#include "preview/PreviewPicture.h"
#include "preview/PreviewRun.h"
#include "settings/SettingsTable.h"

namespace {

const char* const kStepNames[] = {"sky", "fog", "glow", "dof", "fxaa", "chain"};
static_assert(std::size(kStepNames) == kPreviewOrder.size());

void Report(benchmark::State& state, const PreviewTimings& sum) {
    const double runs = static_cast<double>(state.iterations());
    for (size_t n = 0; n < kPreviewOrder.size(); ++n)
        state.counters[std::string(kStepNames[n]) + "_ms"] = sum.pass[n] / runs;
    state.counters["chain_bloom_ms"] = (sum.chain.reduce + sum.chain.luminance + sum.chain.bloom) / runs;
    state.counters["chain_present_ms"] = sum.chain.present / runs;
    state.counters["chain_sharpen_ms"] = sum.chain.sharpen / runs;
    state.counters["chain_hdr_ms"] = sum.chain.hdr / runs;
    state.counters["chain_final_ms"] = sum.chain.final / runs;
}

void Add(PreviewTimings& sum, const PreviewTimings& t) {
    for (size_t n = 0; n < kPreviewOrder.size(); ++n) sum.pass[n] += t.pass[n];
    sum.chain.reduce += t.chain.reduce;
    sum.chain.luminance += t.chain.luminance;
    sum.chain.bloom += t.chain.bloom;
    sum.chain.present += t.chain.present;
    sum.chain.sharpen += t.chain.sharpen;
    sum.chain.hdr += t.chain.hdr;
    sum.chain.final += t.chain.final;
}

// Argument: the width (16:9).
void BM_PreviewFromScratch(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0));
    const auto scene = std::make_shared<const PreviewScene>(MakePreviewScene(width, PreviewSceneHeight(width)));
    PreviewTimings sum;
    for (auto _ : state) {
        PreviewCache cache;
        PreviewTimings t;
        PostTarget out = RunPreview(scene, ShaderSettings(), cache, &t);
        benchmark::DoNotOptimize(out.bytes.data());
        Add(sum, t);
    }
    Report(state, sum);
}
BENCHMARK(BM_PreviewFromScratch)->Arg(588)->Arg(1280)->Unit(benchmark::kMillisecond);

// Arguments: the step whose first slider moves (index in kPreviewOrder), the width.
void BM_PreviewSliderMove(benchmark::State& state) {
    const PreviewPass pass = kPreviewOrder[static_cast<size_t>(state.range(0))];
    const int width = static_cast<int>(state.range(1));
    const auto scene = std::make_shared<const PreviewScene>(MakePreviewScene(width, PreviewSceneHeight(width)));
    float ShaderSettings::*slider = nullptr;
    for (const ParamDesc& p : ShaderParamTable())
        if (p.preview == pass && p.kind == ParamKind::Float && !slider) slider = p.floatField;
    ShaderSettings settings;
    PreviewCache cache;
    RunPreview(scene, settings, cache);
    PreviewTimings sum;
    for (auto _ : state) {
        settings.*slider = settings.*slider == 0.5f ? 0.6f : 0.5f;
        PreviewTimings t;
        PostTarget out = RunPreview(scene, settings, cache, &t);
        benchmark::DoNotOptimize(out.bytes.data());
        Add(sum, t);
    }
    state.SetLabel(kStepNames[state.range(0)]);
    Report(state, sum);
}
BENCHMARK(BM_PreviewSliderMove)
    ->ArgsProduct({{0, 1, 3, 4, 5}, {588, 1280}})  // light glow has no slider, only its tint
    ->Unit(benchmark::kMillisecond);

// What the worker does on a machine with several cores, from scratch at full size.
void BM_PreviewThreads(benchmark::State& state) {
    const auto scene = std::make_shared<const PreviewScene>(MakePreviewScene(1280, 720));
    for (auto _ : state) {
        PreviewCache cache;
        PostTarget out = RunPreview(scene, ShaderSettings(), cache, nullptr, static_cast<int>(state.range(0)));
        benchmark::DoNotOptimize(out.bytes.data());
    }
}
BENCHMARK(BM_PreviewThreads)->Arg(2)->Arg(4)->Unit(benchmark::kMillisecond)->UseRealTime();

// Drawing the scene (when the size changes).
void BM_PreviewScene(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0));
    for (auto _ : state) {
        PreviewScene scene = MakePreviewScene(width, PreviewSceneHeight(width));
        benchmark::DoNotOptimize(scene.depth.data());
    }
}
BENCHMARK(BM_PreviewScene)->Arg(588)->Arg(1280)->Unit(benchmark::kMillisecond);

}  // namespace

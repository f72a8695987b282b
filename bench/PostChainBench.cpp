// One preview update: the post chain over a 1280 x 720 picture on one core,
// with the time of each step reported as a counter (milliseconds per run).
#include <benchmark/benchmark.h>

#include "preview/PostChain.h"
#include "preview/PreviewScene.h"

// Arguments: the banding fix on or off; the defaults or every slider moved
// (a gamma other than 1 adds three powers per pixel).
static void BM_PostChain1280x720(benchmark::State& state) {
    const RgbaImage scene = MakePreviewScene(1280, 720);
    PostChainSettings settings;
    settings.ColorBandingFix = state.range(0) != 0;
    if (state.range(1) != 0) {
        settings.Gamma = 1.4f;
        settings.HDRExposure = 1.5f;
        settings.BloomIntensity = 1.3f;
        settings.ImageContrast = 1.2f;
        settings.ColorVibrance = 0.2f;
        settings.ImageSepiaLevel = 0.1f;
    }
    PostChainTimings sum;
    for (auto _ : state) {
        PostChainTimings t;
        RgbaImage out = RunPostChain(scene, settings, nullptr, &t);
        benchmark::DoNotOptimize(out.pixels.data());
        sum.reduce += t.reduce;
        sum.luminance += t.luminance;
        sum.bloom += t.bloom;
        sum.present += t.present;
        sum.sharpen += t.sharpen;
        sum.hdr += t.hdr;
        sum.final += t.final;
    }
    const double runs = static_cast<double>(state.iterations());
    state.counters["reduce_ms"] = sum.reduce / runs;
    state.counters["luminance_ms"] = sum.luminance / runs;
    state.counters["bloom_ms"] = sum.bloom / runs;
    state.counters["present_ms"] = sum.present / runs;
    state.counters["sharpen_ms"] = sum.sharpen / runs;
    state.counters["hdr_ms"] = sum.hdr / runs;
    state.counters["final_ms"] = sum.final / runs;
}
BENCHMARK(BM_PostChain1280x720)
    ->ArgsProduct({{1, 0}, {0, 1}})
    ->ArgNames({"banding", "moved"})
    ->Unit(benchmark::kMillisecond);

// The same at other widths (16:9), to see what grows with the picture.
static void BM_PostChainWidth(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0));
    const RgbaImage scene = MakePreviewScene(width, width * 9 / 16);
    for (auto _ : state) {
        RgbaImage out = RunPostChain(scene, PostChainSettings());
        benchmark::DoNotOptimize(out.pixels.data());
    }
    state.SetItemsProcessed(state.iterations() * width * (width * 9 / 16));
}
BENCHMARK(BM_PostChainWidth)->Arg(320)->Arg(640)->Arg(1280)->Unit(benchmark::kMillisecond);

// What the preview's worker does on a machine with several cores.
static void BM_PostChain1280x720Threads(benchmark::State& state) {
    const RgbaImage scene = MakePreviewScene(1280, 720);
    for (auto _ : state) {
        RgbaImage out = RunPostChain(scene, PostChainSettings(), nullptr, nullptr, static_cast<int>(state.range(0)));
        benchmark::DoNotOptimize(out.pixels.data());
    }
}
BENCHMARK(BM_PostChain1280x720Threads)->Arg(2)->Arg(4)->Unit(benchmark::kMillisecond)->UseRealTime();

static void BM_PreviewScene1280x720(benchmark::State& state) {
    for (auto _ : state) {
        RgbaImage scene = MakePreviewScene(1280, 720);
        benchmark::DoNotOptimize(scene.pixels.data());
    }
}
BENCHMARK(BM_PreviewScene1280x720)->Unit(benchmark::kMillisecond);

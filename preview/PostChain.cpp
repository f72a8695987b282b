// The driver of the post chain: the steps of technique AdaptiveBloom in the
// order of Train_post_bloom.fx, each timed,
//   ReducePS -> Reduce, LuminancePS -> Luminance, Bloom1PS..Bloom8PS -> Bloom,
//   PresentPS -> Present, SharpenPS -> Sharpen, HDRPS -> Hdr, FinalPS -> Final.
#include "preview/PostChain.h"

#include <chrono>

#include "preview/PostChainSteps.h"

namespace {

using Clock = std::chrono::steady_clock;

// Runs step() and adds its milliseconds to `into`.
template <typename Step>
auto Timed(double& into, const Step& step) {
    const Clock::time_point start = Clock::now();
    auto result = step();
    into += std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    return result;
}

}  // namespace

PostTarget RunPostChainSteps(const PostTarget& frame, bool frameChanged, const ShaderSettings& settings,
                             PostChainState& state, PostChainTimings* timings, int threads,
                             PostChainTargets* targets) {
    PostChainTimings local;
    PostChainTimings& time = timings ? *timings : local;
    time = PostChainTimings();
    using namespace PostStep;
    if (frameChanged || !state.haveBloom) {
        state.reduce = Timed(time.reduce, [&] { return Reduce(frame); });
        state.luminance = Timed(time.luminance, [&] { return Luminance(state.reduce); });
        for (int level = 0; level < kBloomLevels; ++level)
            state.bloom[level] = Timed(time.bloom, [&] {
                return Bloom(level == 0 ? frame : state.bloom[level - 1], frame.width, frame.height, level);
            });
        state.haveBloom = true;
    }
    const PostTarget present =
        Timed(time.present, [&] { return Present(frame, state.bloom, state.luminance, settings, threads); });
    const PostTarget sharpen = Timed(time.sharpen, [&] { return Sharpen(present, settings.ImageSharpness, threads); });
    const PostTarget hdr = Timed(time.hdr, [&] { return Hdr(sharpen, settings.HDRExposure, threads); });
    PostTarget final = Timed(time.final, [&] { return Final(hdr, settings.ColorBandingFix, state, threads); });
    if (targets) {
        targets->reduce = ImageFromTarget(state.reduce);
        targets->luminance = ImageFromTarget(state.luminance);
        for (int level = 0; level < kBloomLevels; ++level) targets->bloom[level] = ImageFromTarget(state.bloom[level]);
        targets->present = ImageFromTarget(present);
        targets->sharpen = ImageFromTarget(sharpen);
        targets->hdr = ImageFromTarget(hdr);
        targets->final = ImageFromTarget(final);
    }
    return final;
}

RgbaImage RunPostChain(const RgbaImage& frameImage, const ShaderSettings& settings, PostChainTargets* targets,
                       PostChainTimings* timings, int threads) {
    if (frameImage.width <= 0 || frameImage.height <= 0 ||
        frameImage.pixels.size() != static_cast<size_t>(frameImage.width) * frameImage.height * 4) {
        return RgbaImage();
    }
    PostChainState state;
    return ImageFromTarget(
        RunPostChainSteps(TargetFromImage(frameImage), true, settings, state, timings, threads, targets));
}

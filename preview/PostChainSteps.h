#pragma once
// The seven steps of the post chain one by one, on 8-bit targets: what
// RunPostChain strings together, open to checks of a single step against the
// shader's pass with the same input.
#include <array>

#include "preview/PostChain.h"
#include "preview/PostTargets.h"

PostTarget TargetFromImage(const RgbaImage& image);
RgbaImage ImageFromTarget(const PostTarget& target);

namespace PostStep {
PostTarget Reduce(const PostTarget& scene);                                            // ReducePS
PostTarget Luminance(const PostTarget& reduce);                                        // LuminancePS, settled
PostTarget Bloom(const PostTarget& source, int viewWidth, int viewHeight, int level);  // Bloom1PS..Bloom8PS
// The full-size steps split their rows over up to `threads` threads.
PostTarget Present(const PostTarget& scene, const std::array<PostTarget, kBloomLevels>& bloom,
                   const PostTarget& luminance, const PostChainSettings& settings, int threads = 1);  // PresentPS
PostTarget Sharpen(const PostTarget& present, float imageSharpness, int threads = 1);                 // SharpenPS
PostTarget Hdr(const PostTarget& sharpen, float hdrExposure, int threads = 1);                        // HDRPS
PostTarget Final(const PostTarget& hdr, bool colorBandingFix, int threads = 1);                       // FinalPS
}  // namespace PostStep

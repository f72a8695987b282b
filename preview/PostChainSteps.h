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
PostTarget Reduce(const PostTarget& scene);                      // ReducePS
PostTarget Luminance(const PostTarget& reduce);                  // LuminancePS, settled
PostTarget Bloom(const PostTarget& source, int viewWidth, int viewHeight, int level);  // Bloom1PS..Bloom8PS
PostTarget Present(const PostTarget& scene, const std::array<PostTarget, kBloomLevels>& bloom,
                   const PostTarget& luminance, const PostChainSettings& settings);  // PresentPS
PostTarget Sharpen(const PostTarget& present, float imageSharpness);  // SharpenPS
PostTarget Hdr(const PostTarget& sharpen, float hdrExposure);         // HDRPS
PostTarget Final(const PostTarget& hdr, bool colorBandingFix);        // FinalPS
}  // namespace PostStep

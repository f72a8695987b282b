#pragma once
// The seven steps of the post chain one by one, on 8-bit targets: what
// RunPostChainSteps strings together, open to checks of a single step against
// the shader's pass with the same input. One source file per step.
//
// A pixel at column i of a target N pixels wide receives the quad's texture
// coordinate i / N (Direct3D 9 puts texel corners on pixel centres); every
// pass adds the half texel of its own target, as the shader does. Reads go
// through the same linear, clamped sampling; writes are rounded to 8 bits.
// The full-size steps work on four pixels at a time (F4, preview/Simd.h)
// along a row of a plane; a row is processed up to the target's stride, and
// what lies past the width is never shown.
#include <array>

#include "preview/PostChain.h"
#include "preview/PostTargets.h"

namespace PostStep {
PostTarget Reduce(const PostTarget& scene);                                            // ReducePS
PostTarget Luminance(const PostTarget& reduce);                                        // LuminancePS, settled
PostTarget Bloom(const PostTarget& source, int viewWidth, int viewHeight, int level);  // Bloom1PS..Bloom8PS
// The full-size steps split their rows over up to `threads` threads.
PostTarget Present(const PostTarget& scene, const std::array<PostTarget, kBloomLevels>& bloom,
                   const PostTarget& luminance, const ShaderSettings& settings, int threads = 1);  // PresentPS
PostTarget Sharpen(const PostTarget& present, float imageSharpness, int threads = 1);              // SharpenPS
PostTarget Hdr(const PostTarget& sharpen, float hdrExposure, int threads = 1);                     // HDRPS
// The banding tables of the view's size are kept in the state.
PostTarget Final(const PostTarget& hdr, bool colorBandingFix, PostChainState& state, int threads = 1);  // FinalPS
}  // namespace PostStep

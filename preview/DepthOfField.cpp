// PostDepthOfField.fx: the frame copied into a smaller target (DOFCopyPS),
// then each pixel blurred over that copy by its distance from the focus
// (DOFBlurPS), never pulling in nearer surfaces. The sky is not blurred.
#include <algorithm>
#include <cmath>
#include <vector>

#include "preview/GameInputs.h"
#include "preview/PostChain.h"
#include "preview/SceneEffects.h"
#include "preview/Simd.h"

namespace SceneStep {

namespace {

// DOF_COPY_SCALE and the tap offsets DOF_TAP_FIRST..DOF_TAP_LAST.
float CopyScale(const ShaderSettings& s) { return s.DOFEnhancements ? 0.75f : 1.0f; }

float TapWeight(int offset) { return offset == 0 ? 1.0f : 0.6f - 0.1f * static_cast<float>(std::abs(offset)); }

// Keeps the sign; only an exact zero is moved off.
float SafeDenominator(float x) { return x >= 0.0f ? std::max(x, 0.0001f) : std::min(x, -0.0001f); }

float BlurFactor(const ShaderSettings& s, float depth) {
    const GameInputs& game = kGameInputs;
    float focus, nearPlane, farPlane;
    if (s.DOFEnhancements) {
        focus = game.dofFocusDepth;
        nearPlane = s.DOFNearPlane;
        farPlane = s.DOFNearPlane * 2.0f;
    } else {
        focus = game.dofParams[3] > 0.5f ? game.dofParams[2] : game.dofFocusDepth;
        nearPlane = game.dofParams[0];
        farPlane = game.dofParams[1];
    }
    const float d = depth - focus;
    const float factor =
        d > 0.0f ? std::fabs(d) / SafeDenominator(farPlane - focus) : std::fabs(d) / SafeDenominator(focus - nearPlane);
    return Saturate(factor);
}

// The copy as floats, its three channels and a spare lane per texel, with a
// border of one texel repeating the edges as clamped addressing does.
struct CopyTexels {
    int width, height, pitch;
    std::vector<float> values;

    explicit CopyTexels(const PostTarget& copy)
        : width(copy.width),
          height(copy.height),
          pitch(copy.width + 2),
          values(static_cast<size_t>(pitch) * (copy.height + 2) * 4) {
        for (int r = 0; r < height + 2; ++r)
            for (int x = 0; x < pitch; ++x)
                for (int c = 0; c < 3; ++c)
                    values[(static_cast<size_t>(r) * pitch + x) * 4 + c] =
                        copy.At(c, ClampIndex(x - 1, width), ClampIndex(r - 1, height));
    }

    // tex2D with the linear sampler; the spare lane is unspecified.
    F4 Read(float u, float v) const {
        const float tx = u * static_cast<float>(width) - 0.5f, ty = v * static_cast<float>(height) - 0.5f;
        int x0 = FloorToInt(tx), y0 = FloorToInt(ty);
        const F4 fx = Splat(tx - static_cast<float>(x0)), fy = Splat(ty - static_cast<float>(y0));
        x0 = std::clamp(x0, -1, width - 1);
        y0 = std::clamp(y0, -1, height - 1);
        const float* p = values.data() + (static_cast<size_t>(y0 + 1) * pitch + (x0 + 1)) * 4;
        const F4 top = Lerp(Load(p), Load(p + 4), fx);
        const F4 bottom = Lerp(Load(p + pitch * 4), Load(p + pitch * 4 + 4), fx);
        return Lerp(top, bottom, fy);
    }
};

}  // namespace

PostTarget DofCopy(const PostTarget& frame, const ShaderSettings& s) {
    const float scale = CopyScale(s);
    const int width = BloomTargetSize(frame.width, scale), height = BloomTargetSize(frame.height, scale);
    PostTarget out(width, height);
    // DOFCopyVS: half a texel of the copy, from the view's size.
    const float halfU = 0.5f * (1.0f / static_cast<float>(frame.width)) / scale;
    const float halfV = 0.5f * (1.0f / static_cast<float>(frame.height)) / scale;
    for (int j = 0; j < height; ++j) {
        const AxisTap y = LinearTap(static_cast<float>(j) / static_cast<float>(height) + halfV, frame.height);
        for (int i = 0; i < width; ++i) {
            float colour[3];
            SampleLinear(frame, LinearTap(static_cast<float>(i) / static_cast<float>(width) + halfU, frame.width), y,
                         colour);
            for (int c = 0; c < 3; ++c) out.Row(c, j)[i] = ToByte(colour[c]);
        }
    }
    return out;
}

PostTarget DofBlur(const PreviewScene& scene, const PostTarget& frame, const PostTarget& copy,
                   const ShaderSettings& s, int threads) {
    PostTarget out = frame;
    if (!scene.hasDepth) return out;
    const int width = frame.width, height = frame.height;
    const float scale = CopyScale(s);
    const int first = -3, last = s.DOFEnhancements ? 1 : 3;
    const CopyTexels texels(copy);
    // Depth for the "not nearer" test: the sky counts as farthest.
    auto tapDepth = [&](float u, float v) {
        const int x = ClampIndex(FloorToInt(u * static_cast<float>(width)), width);
        const int y = ClampIndex(FloorToInt(v * static_cast<float>(height)), height);
        const float depth = scene.Depth(x, y);
        return depth <= 0.0f ? 1.0e30f : depth;
    };
    ForRowBands(height, threads, [&](int firstRow, int lastRow) {
        for (int j = firstRow; j < lastRow; ++j) {
            const float v = static_cast<float>(j) / static_cast<float>(height) + 0.5f / static_cast<float>(height);
            for (int i = 0; i < width; ++i) {
                const float centreDepth = scene.Depth(i, j);
                if (centreDepth <= 0.0f) continue;
                const float radius = Saturate(BlurFactor(s, centreDepth) * kGameInputs.dofMaxCircleOfConfusion);
                if (radius <= 0.0f) continue;
                const float u = static_cast<float>(i) / static_cast<float>(width) + 0.5f / static_cast<float>(width);
                // Compiled shaders divide by a constant through its reciprocal.
                const float stepU = radius * (1.0f / static_cast<float>(width)) * (1.0f / scale);
                const float stepV = radius * (1.0f / static_cast<float>(height)) * (1.0f / scale);
                // The centre, read at its own texel centre, with weight 1.
                F4 sum = _mm_setr_ps(frame.At(0, i, j), frame.At(1, i, j), frame.At(2, i, j), 0.0f);
                float weights = 1.0f;
                for (int y = first; y <= last; ++y) {
                    if (y == 0) continue;
                    const float rowWeight = TapWeight(y);
                    const float tapV = v + static_cast<float>(y) * stepV;
                    for (int x = first; x <= last; ++x) {
                        if (x == 0) continue;
                        const float tapU = u + static_cast<float>(x) * stepU;
                        if (!(tapDepth(tapU, tapV) >= centreDepth)) continue;  // step(): nearer, no weight
                        const float w = TapWeight(x) * rowWeight;
                        sum = sum + texels.Read(tapU, tapV) * Splat(w);
                        weights += w;
                    }
                }
                float colour[4];
                Store(colour, sum * Splat(1.0f / weights));
                for (int c = 0; c < 3; ++c) out.Row(c, j)[i] = ToByte(colour[c]);
            }
        }
    });
    return out;
}

}  // namespace SceneStep

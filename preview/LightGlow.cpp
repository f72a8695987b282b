// PostTrainLightGlow.fx, technique HIGH: the glow of what the material
// buffer marks emissive (lit windows, lamps), added onto the frame.
#include <algorithm>

#include "preview/GameInputs.h"
#include "preview/PostChain.h"
#include "preview/SceneEffects.h"

namespace SceneStep {

namespace {

constexpr float kGlowTargetRatio = 0.5f;  // GLOW_TARGET_RATIO
constexpr float kGlowBlur9[9] = {0.028f, 0.066f, 0.122f, 0.176f, 0.216f, 0.176f, 0.122f, 0.066f, 0.028f};

float EmissiveAt(const PreviewScene& scene, float u, float v) {  // a point read of the material buffer
    const int x = ClampIndex(FloorToInt(u * static_cast<float>(scene.width)), scene.width);
    const int y = ClampIndex(FloorToInt(v * static_cast<float>(scene.height)), scene.height);
    return scene.Emissive(x, y) * (1.0f / 255.0f);
}

// A half-size target's texture coordinate of a pixel: GlowTargetVS.
float GlowTargetCoord(int pixel, int targetPixels, int viewPixels) {
    return static_cast<float>(pixel) / static_cast<float>(targetPixels) +
           0.5f * (1.0f / static_cast<float>(viewPixels)) / kGlowTargetRatio;
}

}  // namespace

// The tinted glow, three quarters strong, where the material buffer glows;
// alpha 2 of 255 keeps the rest of the screen from being blended at all.
PostTarget GlowDirect(const PreviewScene& scene, const PostTarget& frame, const ShaderSettings& s) {
    PostTarget out = frame;
    if (!scene.hasDepth) return out;
    const float tint[3] = {s.LightGlowColorTint.r, s.LightGlowColorTint.g, s.LightGlowColorTint.b};
    for (int j = 0; j < scene.height; ++j) {
        for (int i = 0; i < scene.width; ++i) {
            const float glow = scene.Emissive(i, j) * (1.0f / 255.0f);
            if (!(glow * 0.75f > 2.0f / 255.0f)) continue;  // the alpha test
            for (int c = 0; c < 3; ++c) {
                // The scene read at the pixel's own texel centre.
                const float colour = glow > 0.0f ? frame.At(c, i, j) * 2.0f * tint[c] : 0.0f;
                out.Row(c, j)[i] = ToByte(frame.At(c, i, j) + Saturate(colour * glow * 0.75f));
            }
        }
    }
    return out;
}

// The scene where emissive, into the half-size mask.
PostTarget GlowMask(const PreviewScene& scene, const PostTarget& frame) {
    const int width = BloomTargetSize(scene.width, kGlowTargetRatio);
    const int height = BloomTargetSize(scene.height, kGlowTargetRatio);
    PostTarget out(width, height);
    for (int j = 0; j < height; ++j) {
        const float v = GlowTargetCoord(j, height, scene.height);
        const AxisTap y = LinearTap(v, frame.height);
        for (int i = 0; i < width; ++i) {
            const float u = GlowTargetCoord(i, width, scene.width);
            const float glow = EmissiveAt(scene, u, v);
            float colour[3];
            SampleLinear(frame, LinearTap(u, frame.width), y, colour);
            for (int c = 0; c < 3; ++c) out.Row(c, j)[i] = ToByte(colour[c] * glow);
        }
    }
    return out;
}

// Nine taps a half-size texel apart along one axis.
PostTarget GlowBlurHigh(const PostTarget& source, int viewWidth, int viewHeight, bool vertical) {
    PostTarget out(source.width, source.height);
    const float step = (vertical ? 1.0f / static_cast<float>(viewHeight) : 1.0f / static_cast<float>(viewWidth)) /
                       kGlowTargetRatio;
    for (int j = 0; j < source.height; ++j) {
        const float v = GlowTargetCoord(j, source.height, viewHeight);
        for (int i = 0; i < source.width; ++i) {
            const float u = GlowTargetCoord(i, source.width, viewWidth);
            float sum[3] = {0, 0, 0};
            for (int k = 0; k < 9; ++k) {
                const float offset = static_cast<float>(k - 4) * step;
                float read[3];
                SampleLinear(source, LinearTap(vertical ? u : u + offset, source.width),
                             LinearTap(vertical ? v + offset : v, source.height), read);
                for (int c = 0; c < 3; ++c) sum[c] += read[c] * kGlowBlur9[k];
            }
            for (int c = 0; c < 3; ++c) out.Row(c, j)[i] = ToByte(sum[c]);
        }
    }
    return out;
}

// The blurred mask read at full size, added.
PostTarget GlowComposite(const PostTarget& frame, const PostTarget& mask) {
    PostTarget out = frame;
    for (int j = 0; j < frame.height; ++j) {
        const AxisTap y = LinearTap(QuadCoord(j, frame.height) + 0.5 / frame.height, mask.height);
        for (int i = 0; i < frame.width; ++i) {
            float glow[3];
            SampleLinear(mask, LinearTap(QuadCoord(i, frame.width) + 0.5 / frame.width, mask.width), y, glow);
            for (int c = 0; c < 3; ++c)
                out.Row(c, j)[i] = ToByte(frame.At(c, i, j) + Saturate(glow[c] * kGameInputs.lightGlowIntensity));
        }
    }
    return out;
}

PostTarget LightGlow(const PreviewScene& scene, const PostTarget& frame, const ShaderSettings& s) {
    if (!scene.hasDepth) return frame;
    if (s.LightGlowEnhancements) return GlowDirect(scene, frame, s);
    const PostTarget mask = GlowMask(scene, frame);
    const PostTarget blurred = GlowBlurHigh(mask, scene.width, scene.height, false);
    return GlowComposite(frame, GlowBlurHigh(blurred, scene.width, scene.height, true));
}

}  // namespace SceneStep

// VolumetricFogHighPS of PostTrainVolumetricFog.fx with FogFns.fxh: the fog
// a view ray gathers on its way to the depth buffer's surface, its mean
// density over eight steps through the height fog, coloured by the fog
// colour and the sun's forward scattering, blended over the frame. The sky
// (depth 0) gets none. Four pixels of a row at a time.
#include <algorithm>
#include <cmath>
#include <vector>

#include "preview/GameInputs.h"
#include "preview/SceneEffects.h"
#include "preview/Simd.h"

namespace SceneStep {

namespace {

constexpr int kFogSteps = 8;  // VOLUMETRIC_FOG_STEPS

struct FogConstants {
    bool enhanced;  // FogEnhancements, with its three sliders
    float brightness, desaturation, densityMultiplier;
    float cameraY, baseHeight, falloff, density;  // the camera's height and FOGPARAMS
    float sun[3];      // toward the sun, normalised
    float scatter[3];  // the sun's colour times its intensity
    float fog[3];      // FOGCOLOUR
    float g, g2;       // the phase's anisotropy and its square
};

// GetFogDensityCurve, then ComputeFogFactor: 1 - 1 / e^(g m s).
F4 FogFactor(const FogConstants& k, F4 density, F4 range) {
    F4 m = Splat(1.0f);
    if (k.enhanced) m = Min(Max((ShaderExp(density) - Splat(1.0f)) * Splat(1.5f), Splat(0.5f)), Splat(1.0f));
    return Splat(1.0f) - Splat(1.0f) / ShaderExp(density * m * Max(range, _mm_setzero_ps()));
}

}  // namespace

PostTarget VolumetricFog(const PreviewScene& scene, const PostTarget& frame, const ShaderSettings& s, int threads) {
    PostTarget out = frame;
    if (!scene.hasDepth) return out;
    const GameInputs& game = kGameInputs;
    const SceneCamera& camera = scene.camera;
    const float(&m)[4][4] = camera.inverseView;
    FogConstants k;
    k.enhanced = s.FogEnhancements;
    k.brightness = s.FogBrightness;
    k.desaturation = s.FogColorDesaturation;
    k.densityMultiplier = s.FogDensityMultiplier;
    k.cameraY = m[3][1];
    k.density = game.fogParams[0];
    k.falloff = game.fogParams[1];
    k.baseHeight = game.fogParams[2];
    const float* sunDirection = camera.sunDirection;
    const float sunLength = 1.0f / std::sqrt(sunDirection[0] * sunDirection[0] + sunDirection[1] * sunDirection[1] +
                                             sunDirection[2] * sunDirection[2]);
    for (int c = 0; c < 3; ++c) k.sun[c] = sunDirection[c] * sunLength;
    const float sunAbove = Saturate(sunDirection[1] * 4.0f + 0.25f);
    for (int c = 0; c < 3; ++c) {
        k.scatter[c] = camera.sunColour[c] * camera.sunColour[3];
        k.fog[c] = game.fogColour[c];
    }
    k.g = std::clamp(game.volumetricFogParams[0], -0.95f, 0.95f);
    k.g2 = k.g * k.g;

    const int width = scene.width, height = scene.height;
    // The view rays of the pixels of a row, across: what DeferredFullScreenVS
    // interpolates from the quad's corners.
    std::vector<float> rayX(frame.stride);
    for (int i = 0; i < frame.stride; ++i)
        rayX[i] = (static_cast<float>(i) / static_cast<float>(width) * 2.0f - 1.0f) * camera.projection[0];
    ForRowBands(height, threads, [&](int first, int last) {
        std::vector<float> padded(frame.stride, 0.0f);
        for (int j = first; j < last; ++j) {
            std::copy(scene.depth.begin() + static_cast<size_t>(j) * width,
                      scene.depth.begin() + static_cast<size_t>(j + 1) * width, padded.begin());
            const F4 rayY = Splat((static_cast<float>(j) / static_cast<float>(height) * -2.0f + 1.0f) *
                                  camera.projection[1]);
            for (int i = 0; i < width; i += 4) {
                const F4 depth = Load(padded.data() + i);
                const F4 sky = _mm_cmple_ps(depth, _mm_setzero_ps());
                if (_mm_movemask_ps(sky) == 0xf) continue;  // all sky: alpha 0 leaves the frame
                const F4 view[3] = {Load(rayX.data() + i) * depth, rayY * depth, depth};
                const F4 range = _mm_sqrt_ps(view[0] * view[0] + view[1] * view[1] + view[2] * view[2]);
                F4 world[3];
                for (int c = 0; c < 3; ++c)
                    world[c] = view[0] * Splat(m[0][c]) + view[1] * Splat(m[1][c]) + view[2] * Splat(m[2][c]) +
                               Splat(m[3][c]);
                // Mean density along the ray; the height fog thins with altitude.
                F4 density = _mm_setzero_ps();
                const F4 rise = world[1] - Splat(k.cameraY);
                for (int step = 0; step < kFogSteps; ++step) {
                    const float t = (static_cast<float>(step) + 0.5f) / kFogSteps;
                    const F4 above = Max(Splat(k.cameraY) + rise * Splat(t) - Splat(k.baseHeight), _mm_setzero_ps());
                    density = density + Splat(k.density) * ShaderExp(Splat(-k.falloff) * above);
                }
                density = density * Splat(1.0f / kFogSteps);

                const F4 toRay = Splat(1.0f) / Max(range, Splat(0.001f));
                F4 cosAngle = _mm_setzero_ps();
                for (int c = 0; c < 3; ++c) cosAngle = cosAngle + (world[c] - Splat(m[3][c])) * toRay * Splat(k.sun[c]);
                // Henyey-Greenstein, 1 for no preference.
                const F4 denominator =
                    Max(Splat(1.0f + k.g2) - Splat(2.0f * k.g) * cosAngle, Splat(0.0001f));
                const F4 phase = Splat(1.0f - k.g2) / (denominator * _mm_sqrt_ps(denominator));
                F4 colour[3];
                for (int c = 0; c < 3; ++c) {
                    const F4 inScatter = Splat(k.scatter[c]) * phase * Splat(game.volumetricFogParams[1]);
                    colour[c] = Splat(k.fog[c]) + inScatter * Splat(sunAbove);
                }
                F4 amount;
                if (k.enhanced) {
                    for (F4& c : colour) c = c * Splat(k.brightness);
                    const F4 grey = Dot(colour, 0.333f, 0.333f, 0.333f);
                    for (F4& c : colour) c = Lerp(c, grey, Splat(k.desaturation));
                    const F4 clamped = Min(Max(density, Splat(0.0005f)), Splat(1.0f));
                    amount = Saturate(FogFactor(k, clamped, range) * Splat(k.densityMultiplier));
                } else {
                    amount = FogFactor(k, density, range);
                }
                // The sky's alpha is 0: the frame stays.
                const F4 alpha = Select(sky, _mm_setzero_ps(), amount);
                for (int c = 0; c < 3; ++c) StoreBlendedUnorm(out.Row(c, j) + i, colour[c], alpha);
            }
        }
    });
    return out;
}

}  // namespace SceneStep

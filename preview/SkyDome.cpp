// SkyPS of TrainSkyDome.fx: the dome's vertex colour toned down (0.85) and
// scaled by SkyBrightnessMultiplier, plus the sun disc, halved and scaled by
// SkySunSizeMultiplier. Drawn at the far plane, it shows where nothing else
// was drawn.
#include <cmath>

#include "preview/GameInputs.h"
#include "preview/SceneEffects.h"
#include "preview/Simd.h"

namespace SceneStep {

PostTarget SkyDome(const PreviewScene& scene, const PostTarget& frame, const ShaderSettings& s, int threads) {
    PostTarget out = frame;
    if (!scene.hasDepth) return out;
    const SceneCamera& camera = scene.camera;
    const float* sun = camera.sunDirection;
    const float sunScale = 1.0f / std::sqrt(sun[0] * sun[0] + sun[1] * sun[1] + sun[2] * sun[2]);
    const float brightness = 0.85f * s.SkyBrightnessMultiplier;
    float disc[3];
    for (int c = 0; c < 3; ++c)
        disc[c] = camera.sunColour[c] * camera.sunColour[3];
    ForRowBands(scene.height, threads, [&](int first, int last) {
        for (int j = first; j < last; ++j) {
            for (int i = 0; i < scene.width; ++i) {
                if (scene.Depth(i, j) > 0.0f) continue;
                const SkyDomeInput in = SkyDomeInputAt(camera, scene.width, scene.height, i, j);
                const float* d = in.direction;
                const float length = 1.0f / std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
                float towardSun = 0.0f;
                for (int c = 0; c < 3; ++c) towardSun += d[c] * length * (sun[c] * sunScale);
                const float peak = ShaderPow(Saturate(towardSun), kGameInputs.skySunParams[0]);
                for (int c = 0; c < 3; ++c) {
                    const float sunColour =
                        disc[c] * peak * kGameInputs.skySunParams[1] * (0.5f * s.SkySunSizeMultiplier);
                    out.Row(c, j)[i] = ToByte(in.colour[c] * brightness + sunColour);
                }
            }
        }
    });
    return out;
}

}  // namespace SceneStep

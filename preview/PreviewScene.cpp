#include "preview/PreviewScene.h"

#include <algorithm>
#include <cmath>

namespace {

struct Rgb {
    float r, g, b;
};

Rgb Mix(Rgb a, Rgb b, float t) { return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }

// Colour patches: primaries, secondaries, and the muted tones of a landscape
// (foliage, brick, skin, slate), which vibrance treats differently.
const Rgb kPatches[2][6] = {{{0.85f, 0.08f, 0.08f},
                             {0.10f, 0.70f, 0.15f},
                             {0.10f, 0.20f, 0.85f},
                             {0.95f, 0.85f, 0.10f},
                             {0.10f, 0.75f, 0.80f},
                             {0.80f, 0.15f, 0.70f}},
                            {{0.35f, 0.45f, 0.25f},
                             {0.60f, 0.30f, 0.22f},
                             {0.85f, 0.65f, 0.52f},
                             {0.40f, 0.45f, 0.52f},
                             {0.95f, 0.50f, 0.10f},
                             {0.55f, 0.55f, 0.55f}}};

// Everything is placed in units of the picture's height, so the sun stays
// round whatever the width.
Rgb ScenePixel(float x, float y, float aspect) {
    const float horizon = 0.56f;
    // The bottom band: grey ramps on the left, patches on the right.
    if (y >= 0.80f) {
        const float u = x / aspect;
        const float band = (y - 0.80f) / 0.20f;
        if (u < 0.5f) {
            const float t = std::clamp((u - 0.02f) / 0.46f, 0.0f, 1.0f);
            const float grey = band < 0.5f ? t : std::floor(t * 16.0f) / 15.0f;
            if (u < 0.02f || u > 0.48f) return {0.05f, 0.05f, 0.05f};
            return {grey, grey, grey};
        }
        const int column = std::clamp(static_cast<int>((u - 0.5f) / 0.5f * 6.0f), 0, 5);
        return kPatches[band < 0.5f ? 0 : 1][column];
    }
    // A signal box on the meadow: dark brick and roof for the shadows, and two
    // lit windows, small bright sources for the bloom.
    const float boxLeft = 0.10f * aspect, boxRight = 0.22f * aspect, boxMiddle = (boxLeft + boxRight) * 0.5f;
    const float wallTop = horizon - 0.04f, wallBottom = horizon + 0.09f;
    if (x > boxLeft && x < boxRight && y > wallTop && y < wallBottom) {
        for (float window : {0.3f, 0.7f}) {
            const float centre = boxLeft + (boxRight - boxLeft) * window;
            if (std::fabs(x - centre) < 0.018f && y > wallTop + 0.025f && y < wallTop + 0.06f)
                return {1.0f, 0.86f, 0.55f};
        }
        return {0.24f, 0.13f, 0.10f};
    }
    const float roofHeight = 0.06f * (1.0f - std::fabs(x - boxMiddle) / ((boxRight - boxLeft) * 0.5f + 0.01f));
    if (x > boxLeft - 0.01f && x < boxRight + 0.01f && y <= wallTop && y > wallTop - roofHeight)
        return {0.07f, 0.06f, 0.07f};
    const float sunX = 0.70f * aspect, sunY = 0.22f;
    const float sunDistance = std::hypot(x - sunX, y - sunY);
    if (y < horizon) {
        // Sky: deep blue overhead to a warm haze at the horizon, with a long,
        // smooth gradient where 8-bit steps show.
        const float t = std::pow(y / horizon, 1.6f);
        Rgb sky = Mix({0.10f, 0.22f, 0.52f}, {0.86f, 0.80f, 0.68f}, t);
        const float glow = std::exp(-sunDistance * 9.0f) * 0.55f;
        sky = {sky.r + glow, sky.g + glow * 0.9f, sky.b + glow * 0.6f};
        if (sunDistance < 0.035f) sky = {1.0f, 0.97f, 0.88f};
        // Distant hills in the haze.
        const float hill = horizon - 0.05f - 0.03f * std::sin(x * 7.0f) - 0.02f * std::sin(x * 17.0f + 1.3f);
        if (y > hill) sky = Mix(sky, {0.42f, 0.48f, 0.55f}, 0.7f);
        return sky;
    }
    // Ground: meadow that darkens toward the viewer, a gravel bed with two
    // rails running to the horizon.
    const float depth = (y - horizon) / (0.80f - horizon);
    Rgb ground = Mix({0.42f, 0.52f, 0.30f}, {0.16f, 0.28f, 0.08f}, depth);
    const float centre = 0.45f * aspect;
    const float halfWidth = 0.02f + 0.30f * depth;
    const float across = (x - centre) / halfWidth;
    if (std::fabs(across) < 1.0f) ground = {0.45f, 0.42f, 0.38f};
    for (float rail : {-0.55f, 0.55f})
        if (std::fabs(across - rail) < 0.05f) ground = {0.75f, 0.75f, 0.78f};
    return ground;
}

}  // namespace

RgbaImage MakePreviewScene(int width, int height) {
    RgbaImage image{width, height, {}};
    if (width <= 0 || height <= 0) return RgbaImage();
    image.pixels.resize(static_cast<size_t>(width) * height * 4);
    const float aspect = static_cast<float>(width) / static_cast<float>(height);
    for (int j = 0; j < height; ++j) {
        for (int i = 0; i < width; ++i) {
            const Rgb c = ScenePixel((i + 0.5f) / height, (j + 0.5f) / height, aspect);
            uint8_t* p = image.pixels.data() + (static_cast<size_t>(j) * width + i) * 4;
            p[0] = static_cast<uint8_t>(std::clamp(c.r, 0.0f, 1.0f) * 255.0f + 0.5f);
            p[1] = static_cast<uint8_t>(std::clamp(c.g, 0.0f, 1.0f) * 255.0f + 0.5f);
            p[2] = static_cast<uint8_t>(std::clamp(c.b, 0.0f, 1.0f) * 255.0f + 0.5f);
            p[3] = 255;
        }
    }
    return image;
}

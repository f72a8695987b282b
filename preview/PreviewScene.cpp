#include "preview/PreviewScene.h"

#include <algorithm>
#include <cmath>

namespace {

struct Rgb {
    float r, g, b;
};

Rgb Mix(Rgb a, Rgb b, float t) { return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }

// The camera stands beside the track at eye height and looks level along it;
// the vertical field of view is the game's usual one (about 59 degrees).
constexpr float kEyeHeight = 2.5f;
constexpr float kProjectionY = 0.5625f;
// The sun low ahead and to the right, in the warm light of a late afternoon.
constexpr float kSunToward[3] = {0.4f, 0.28125f, 1.0f};
constexpr float kSunColour[4] = {1.0f, 0.94f, 0.82f, 1.0f};

// Colour patches of the chart board: primaries, secondaries, and the muted
// tones of a landscape (foliage, brick, skin, slate), which vibrance treats
// differently.
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

const Rgb kLampLight = {1.0f, 0.86f, 0.55f};

// What a ray from the camera meets first.
struct Hit {
    Rgb colour;
    float depth = 0.0f;  // 0: nothing, the sky
    bool lit = false;    // a light source: the glow mask
};

// A vertical rectangle facing the camera at depth z, in world units.
bool InRect(float rx, float ry, float z, float left, float right, float bottom, float top, float* x = nullptr,
            float* y = nullptr) {
    const float wx = rx * z, wy = kEyeHeight + ry * z;
    if (x) *x = wx;
    if (y) *y = wy;
    return wx >= left && wx < right && wy >= bottom && wy < top;
}

// The colour chart board across the bottom of the view, 3 m away: grey ramps
// on the left (smooth above, 16 steps below), patches on the right.
Hit ChartBoard(float u, float v) {
    const float band = (v - 0.80f) / 0.20f;
    if (u < 0.5f) {
        if (u < 0.02f || u > 0.48f) return {{0.05f, 0.05f, 0.05f}, 3.0f};
        const float t = std::clamp((u - 0.02f) / 0.46f, 0.0f, 1.0f);
        const float grey = band < 0.5f ? t : std::floor(t * 16.0f) / 15.0f;
        return {{grey, grey, grey}, 3.0f};
    }
    const int column = std::clamp(static_cast<int>((u - 0.5f) / 0.5f * 6.0f), 0, 5);
    return {kPatches[band < 0.5f ? 0 : 1][column], 3.0f};
}

// A signal 8 m away to the right: post, dark head, a red lamp off and a
// green one lit.
bool Signal(float rx, float ry, Hit& hit) {
    const float z = 8.0f;
    float x, y;
    if (InRect(rx, ry, z, 2.35f, 2.95f, 2.7f, 3.6f, &x, &y)) {
        hit = {{0.06f, 0.06f, 0.06f}, z};
        if (std::hypot(x - 2.65f, y - 3.35f) < 0.11f) hit.colour = {0.30f, 0.04f, 0.04f};
        if (std::hypot(x - 2.65f, y - 2.95f) < 0.11f) hit = {{0.40f, 1.0f, 0.60f}, z, true};
        return true;
    }
    if (InRect(rx, ry, z, 2.57f, 2.73f, 0.0f, 2.7f)) {
        hit = {{0.50f, 0.50f, 0.48f}, z};
        return true;
    }
    return false;
}

// A lamp post 18 m away to the left of the track, its lamp lit.
bool LampPost(float rx, float ry, Hit& hit) {
    const float z = 18.0f;
    if (InRect(rx, ry, z, -4.4f, -3.8f, 5.55f, 5.8f)) {
        hit = {kLampLight, z, true};
        return true;
    }
    if (InRect(rx, ry, z, -4.6f, -4.45f, 0.0f, 6.0f) || InRect(rx, ry, z, -4.6f, -3.8f, 5.8f, 5.95f)) {
        hit = {{0.12f, 0.13f, 0.14f}, z};
        return true;
    }
    return false;
}

// A signal box 40 m away: brick walls, a gabled roof, two lit windows.
bool SignalBox(float rx, float ry, Hit& hit) {
    const float z = 40.0f, left = -20.0f, right = -12.0f, eaves = 4.5f;
    float x, y;
    if (InRect(rx, ry, z, left, right, 0.0f, eaves, &x, &y)) {
        hit = {{0.24f, 0.13f, 0.10f}, z};
        for (float window : {-18.0f, -14.0f})
            if (std::fabs(x - window) < 0.8f && y >= 2.0f && y < 3.4f) hit = {kLampLight, z, true};
        return true;
    }
    const float middle = (left + right) * 0.5f, halfSpan = (right - left) * 0.5f + 0.4f;
    if (InRect(rx, ry, z, left - 0.4f, right + 0.4f, eaves, eaves + 2.0f, &x, &y) &&
        y - eaves < 2.0f * (1.0f - std::fabs(x - middle) / halfSpan)) {
        hit = {{0.07f, 0.06f, 0.07f}, z};
        return true;
    }
    return false;
}

// The ground: meadow mown in stripes, and the track (gravel, sleepers, two
// rails) running straight ahead to the horizon.
Hit Ground(float rx, float ry) {
    const float z = kEyeHeight / -ry;
    const float across = rx * z + 1.2f;  // from the track's centre line
    Hit hit{{0, 0, 0}, z};
    if (std::fabs(across) < 1.7f) {
        hit.colour = {0.45f, 0.42f, 0.38f};
        if (z < 150.0f && std::fabs(across) < 1.3f && std::fmod(z, 0.65f) < 0.24f) hit.colour = {0.30f, 0.22f, 0.16f};
        for (float rail : {-0.7175f, 0.7175f})
            if (std::fabs(across - rail) < 0.036f) hit.colour = {0.75f, 0.75f, 0.78f};
    } else {
        const bool stripe = static_cast<int>(z / 6.0f) % 2 == 0;
        hit.colour = stripe ? Rgb{0.22f, 0.36f, 0.11f} : Rgb{0.26f, 0.40f, 0.13f};
    }
    return hit;
}

// Distant hills along the horizon, 2.3 to 4.1 km away.
bool Hills(float rx, float ry, Hit& hit) {
    const float top = 0.03f + 0.018f * std::sin(rx * 2.9f + 0.4f) + 0.01f * std::sin(rx * 7.3f + 1.3f);
    if (ry < 0.0f || ry >= top) return false;
    hit = {{0.28f, 0.38f, 0.27f}, 3200.0f + 900.0f * std::sin(rx * 1.3f + 0.7f)};
    return true;
}

Hit Trace(float u, float v, float rx, float ry) {
    Hit hit;
    if (v >= 0.80f) return ChartBoard(u, v);
    if (Signal(rx, ry, hit) || LampPost(rx, ry, hit) || SignalBox(rx, ry, hit) || Hills(rx, ry, hit)) return hit;
    if (ry < 0.0f) return Ground(rx, ry);
    return hit;
}

// The ray of a pixel, as DeferredViewRay makes it from the quad's coordinate.
void ViewRay(const SceneCamera& camera, int width, int height, int x, int y, float ray[3]) {
    const float u = static_cast<float>(x) / static_cast<float>(width);
    const float v = static_cast<float>(y) / static_cast<float>(height);
    ray[0] = (u * 2.0f - 1.0f) * camera.projection[0];
    ray[1] = (v * -2.0f + 1.0f) * camera.projection[1];
    ray[2] = 1.0f;
}

uint8_t Byte(float v) { return static_cast<uint8_t>(std::clamp(v, 0.0f, 1.0f) * 255.0f + 0.5f); }

}  // namespace

PreviewScene MakePreviewScene(int width, int height) {
    PreviewScene scene;
    if (width <= 0 || height <= 0) return scene;
    scene.width = width;
    scene.height = height;
    scene.colour = PostTarget(width, height);
    scene.hasDepth = true;
    scene.depth.assign(static_cast<size_t>(width) * height, 0.0f);
    scene.emissive.assign(static_cast<size_t>(width) * height, 0);
    SceneCamera& camera = scene.camera;
    camera.projection[0] = kProjectionY * static_cast<float>(width) / static_cast<float>(height);
    camera.projection[1] = kProjectionY;
    for (int i = 0; i < 4; ++i) camera.inverseView[i][i] = 1.0f;
    camera.inverseView[3][1] = kEyeHeight;
    const float sunLength = std::sqrt(kSunToward[0] * kSunToward[0] + kSunToward[1] * kSunToward[1] + 1.0f);
    for (int c = 0; c < 3; ++c) camera.sunDirection[c] = kSunToward[c] / sunLength;
    std::copy(kSunColour, kSunColour + 4, camera.sunColour);

    auto trace = [&](int i, int j) {
        float ray[3];
        ViewRay(camera, width, height, i, j, ray);
        return Trace(static_cast<float>(i) / width, static_cast<float>(j) / height, ray[0], ray[1]);
    };
    for (int j = 0; j < height; ++j) {
        for (int i = 0; i < width; ++i) {
            Hit hit = trace(i, j);
            // The lights are drawn in blocks of 2 x 2 pixels: the light glow's
            // half-size mask reads the light mask on the edges between such
            // blocks, and a read on a light's own edge could take either side.
            const Hit block = trace(i & ~1, j & ~1);
            if (hit.lit != block.lit) hit = block;
            Rgb colour = hit.colour;
            if (hit.depth <= 0.0f) {
                const SkyDomeInput sky = SkyDomeInputAt(camera, width, height, i, j);
                colour = {sky.colour[0], sky.colour[1], sky.colour[2]};
            }
            const size_t at = static_cast<size_t>(j) * width + i;
            scene.depth[at] = hit.depth;
            scene.emissive[at] = hit.lit ? 255 : 0;
            scene.colour.Row(0, j)[i] = Byte(colour.r);
            scene.colour.Row(1, j)[i] = Byte(colour.g);
            scene.colour.Row(2, j)[i] = Byte(colour.b);
        }
    }
    return scene;
}

PreviewScene SceneFromPicture(const RgbaImage& picture) {
    PreviewScene scene;
    if (picture.width <= 0 || picture.height <= 0 ||
        picture.pixels.size() != static_cast<size_t>(picture.width) * picture.height * 4)
        return scene;
    scene.width = picture.width;
    scene.height = picture.height;
    scene.colour = TargetFromImage(picture);
    return scene;
}

// The dome's vertex colours: a warm haze at the horizon to a deep blue
// overhead, brighter toward the sun, as the game colours the dome.
SkyDomeInput SkyDomeInputAt(const SceneCamera& camera, int width, int height, int x, int y) {
    SkyDomeInput in;
    ViewRay(camera, width, height, x, y, in.direction);
    const float length = std::sqrt(in.direction[0] * in.direction[0] + in.direction[1] * in.direction[1] + 1.0f);
    const float elevation = std::max(in.direction[1] / length, 0.0f);
    Rgb sky = Mix({0.86f, 0.80f, 0.68f}, {0.12f, 0.26f, 0.58f}, std::sqrt(std::min(elevation * 2.2f, 1.0f)));
    float towardSun = 0.0f;
    for (int c = 0; c < 3; ++c) towardSun += in.direction[c] / length * camera.sunDirection[c];
    const float glow = 0.5f * std::exp((towardSun - 1.0f) * 25.0f);
    in.colour[0] = std::min(sky.r + glow, 1.0f);
    in.colour[1] = std::min(sky.g + glow * 0.9f, 1.0f);
    in.colour[2] = std::min(sky.b + glow * 0.65f, 1.0f);
    return in;
}

#pragma once
// The preview's built-in scene, drawn by the program itself as the game's
// renderer holds it when the post effects run: the lit colour of a railway
// side (meadow, track, a signal box with lit windows, a lamp post, a signal
// near by, distant hills) and a colour chart board in the foreground with a
// smooth and a stepped grey ramp and saturated patches; a view-space depth
// for every pixel; the light mask of the lit windows and lamps; the sky as
// the sky dome receives it; the camera and the sun. Geometry is drawn
// without smoothing (each pixel is what its ray hits first, the lights in
// blocks of 2 x 2 pixels), so that edge smoothing has edges to work on.
//
// View space is the game's: left-handed, +y up, +z into the screen. Pixel
// (i, j) of a view W x H looks along the ray through texture coordinate
// (i / W, j / H), as Direct3D 9 puts pixel centres on texel corners.
#include <cstdint>
#include <vector>

#include "preview/PostTargets.h"
#include "preview/RgbaImage.h"

struct SceneCamera {
    float projection[2] = {0, 0};  // 1 / proj._11, 1 / proj._22 (the effects' DEFERREDPROJECTIONPARAMS.xy)
    float inverseView[4][4] = {};  // view -> world for row vectors (VIEWINVERSE)
    float sunDirection[4] = {};    // world, toward the sun, unit length (SUNDIRECTION)
    float sunColour[4] = {};       // rgb, a intensity (SUNCOLOUR)
};

struct PreviewScene {
    int width = 0;
    int height = 0;
    // The lit geometry; where the sky shows, the colour the dome's vertices
    // give it: the picture before any effect.
    PostTarget colour;
    // False for a screenshot, which has colour only.
    bool hasDepth = false;
    // View-space depth in world units, rows top first; 0 where nothing was
    // drawn, which the effects read as the sky at the far plane.
    std::vector<float> depth;
    // The material buffer's emissive channel: 255 on lit windows and lamps.
    std::vector<uint8_t> emissive;
    SceneCamera camera;

    float Depth(int x, int y) const { return depth[static_cast<size_t>(y) * width + x]; }
    uint8_t Emissive(int x, int y) const { return emissive[static_cast<size_t>(y) * width + x]; }
};

// The built-in scene at any size; its camera keeps a vertical field of view,
// so a wider picture sees more to the sides. Empty for a size below 1 x 1.
PreviewScene MakePreviewScene(int width, int height);

// A screenshot as the preview's input: its colour only.
PreviewScene SceneFromPicture(const RgbaImage& picture);

// What the sky dome's pixel shader receives at a pixel of the sky: the
// vertex colour and the direction from the camera, as interpolated.
struct SkyDomeInput {
    float colour[3];
    float direction[3];
};
SkyDomeInput SkyDomeInputAt(const SceneCamera& camera, int width, int height, int x, int y);

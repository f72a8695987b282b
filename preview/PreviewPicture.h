#pragma once
// The pictures the preview works on: the built-in scene, drawn at the size
// asked for, or a screenshot the player chose (preview/PictureLoad.h), kept at
// most 1280 pixels wide and scaled down to the size asked for.
#include "preview/PreviewScene.h"
#include "preview/RgbaImage.h"

// The widest the preview computes: the built-in scene's full size is
// 1280 x 720, a screenshot is kept at most this wide.
inline constexpr int kPreviewMaxWidth = 1280;

// The built-in scene's height for a width (16:9).
inline int PreviewSceneHeight(int width) { return width * 9 / 16; }

// The preview's input `width` pixels wide (1 to kPreviewMaxWidth, and at
// most a screenshot's own width): the built-in scene when `screenshot` is
// null, else the screenshot area-averaged down.
PreviewScene PreviewSceneAt(const RgbaImage* screenshot, int width);

// Area-average downscale to at most maxWidth wide, keeping the aspect.
RgbaImage ScaleToWidth(const RgbaImage& image, int maxWidth);

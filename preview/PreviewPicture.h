#pragma once
// The pictures the preview works on: the built-in scene, or a screenshot the
// player chose, scaled down to at most 1280 pixels wide.
#include <string>

#include "preview/PostChain.h"

inline constexpr int kPreviewMaxWidth = 1280;

// The built-in scene at the preview's working size.
RgbaImage DefaultPreviewPicture();
// Area-average downscale to at most maxWidth wide, keeping the aspect.
RgbaImage ScaleToWidth(const RgbaImage& image, int maxWidth);

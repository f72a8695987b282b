#pragma once
// The preview's default picture, drawn by the program itself: a sky gradient
// with the sun, hills and a horizon, ground, a smooth and a stepped grey ramp,
// and saturated colour patches, enough to judge gamma, contrast, vibrance,
// bloom and banding.
#include "preview/PostChain.h"

RgbaImage MakePreviewScene(int width, int height);

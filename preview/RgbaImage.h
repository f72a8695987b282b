#pragma once
// A picture as the preview hands it around: 8-bit RGBA, rows top first.
#include <cstdint>
#include <vector>

struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;
};

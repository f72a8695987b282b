#pragma once
// PNG (and the other formats stb_image reads) decoded to 8-bit RGBA.
#include <string>
#include <vector>

struct DecodedImage {
    unsigned width = 0;
    unsigned height = 0;
    std::vector<unsigned char> pixels;  // width * height * 4 bytes, R G B A; empty on failure
};

DecodedImage DecodeImageRgba(const std::string& fileBytes);

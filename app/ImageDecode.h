#pragma once
// PNG, JPEG and BMP files decoded to 8-bit RGBA (stb_image), for the logo and
// the preview's screenshots.
#include <string>
#include <vector>

struct DecodedImage {
    unsigned width = 0;
    unsigned height = 0;
    std::vector<unsigned char> pixels;  // width * height * 4 bytes, R G B A; empty on failure
};

// Pictures larger than this on either side are refused before decoding.
inline constexpr unsigned kMaxDecodedSide = 16384;

DecodedImage DecodeImageRgba(const std::string& fileBytes);

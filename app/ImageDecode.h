#pragma once
// The program's own logo (a PNG shipped beside it) decoded to 8-bit RGBA by
// stb_image. Pictures the player chooses go through app/PictureDecode.h.
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

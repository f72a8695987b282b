#include "app/BmpDecode.h"

#include <cstdint>

namespace {

uint32_t Byte(const std::string& b, size_t at) { return static_cast<unsigned char>(b[at]); }
uint32_t LittleEndian16(const std::string& b, size_t at) { return Byte(b, at) | Byte(b, at + 1) << 8; }
uint32_t LittleEndian32(const std::string& b, size_t at) { return LittleEndian16(b, at) | LittleEndian16(b, at + 2) << 16; }

constexpr uint32_t kRgb = 0, kBitFields = 3, kAlphaBitFields = 6;

DecodedPicture Refuse(const char* detail) {
    DecodedPicture picture;
    picture.fault = PictureFault::Damaged;
    picture.detail = detail;
    return picture;
}

// The byte of a pixel a mask selects, when it selects exactly one.
bool MaskByte(uint32_t mask, unsigned& byte) {
    for (byte = 0; byte < 4; ++byte)
        if (mask == 0xFFu << (8 * byte)) return true;
    return false;
}

}  // namespace

DecodedPicture DecodeBmp(const std::string& b, unsigned width, unsigned height) {
    if (b.size() < 54) return Refuse("BMP header cut short");
    const uint32_t dataOffset = LittleEndian32(b, 10);
    const uint32_t headerSize = LittleEndian32(b, 14);
    if (headerSize < 40 || headerSize > b.size() - 14) return Refuse("BMP header of a variant not read");
    const bool topDown = static_cast<int32_t>(LittleEndian32(b, 22)) < 0;
    const uint32_t planes = LittleEndian16(b, 26), bits = LittleEndian16(b, 28), compression = LittleEndian32(b, 30);
    if (planes != 1 || (bits != 24 && bits != 32)) return Refuse("BMP of a bit depth not read");

    // Blue, green, red in the order of the bytes unless bit fields say otherwise;
    // the masks follow a BITMAPINFOHEADER and sit at the same place in the later ones.
    unsigned red = 2, green = 1, blue = 0;
    if ((compression == kBitFields || compression == kAlphaBitFields) && bits == 32) {
        if (b.size() < 66 || !MaskByte(LittleEndian32(b, 54), red) || !MaskByte(LittleEndian32(b, 58), green) ||
            !MaskByte(LittleEndian32(b, 62), blue)) {
            return Refuse("BMP bit fields not read");
        }
    } else if (compression != kRgb) {
        return Refuse("compressed BMP not read");
    }

    const uint64_t bytesPerPixel = bits / 8;
    const uint64_t stride = (width * bytesPerPixel + 3) / 4 * 4;
    if (dataOffset > b.size() || stride * height > b.size() - dataOffset) return Refuse("BMP pixels cut short");

    DecodedPicture picture;
    picture.width = width;
    picture.height = height;
    picture.pixels.resize(size_t(width) * height * 4);
    for (unsigned y = 0; y < height; ++y) {
        const unsigned char* from =
            reinterpret_cast<const unsigned char*>(b.data()) + dataOffset + stride * (topDown ? y : height - 1 - y);
        unsigned char* to = picture.pixels.data() + size_t(y) * width * 4;
        for (unsigned x = 0; x < width; ++x, from += bytesPerPixel, to += 4) {
            to[0] = from[red];
            to[1] = from[green];
            to[2] = from[blue];
            to[3] = 255;  // the fourth byte of plain 32-bit pictures is unused
        }
    }
    return picture;
}

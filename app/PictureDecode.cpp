#include "app/PictureDecode.h"

#include <cstring>

namespace {

unsigned Byte(const std::string& b, size_t at) { return static_cast<unsigned char>(b[at]); }
unsigned BigEndian16(const std::string& b, size_t at) { return Byte(b, at) << 8 | Byte(b, at + 1); }
uint32_t BigEndian32(const std::string& b, size_t at) { return BigEndian16(b, at) << 16 | BigEndian16(b, at + 2); }
uint32_t LittleEndian16(const std::string& b, size_t at) { return Byte(b, at) | Byte(b, at + 1) << 8; }
uint32_t LittleEndian32(const std::string& b, size_t at) { return LittleEndian16(b, at) | LittleEndian16(b, at + 2) << 16; }

const char kPngSignature[] = "\x89PNG\r\n\x1a\n";

// IHDR must be the first chunk.
bool PngSize(const std::string& b, unsigned& width, unsigned& height) {
    if (b.size() < 24 || b.compare(12, 4, "IHDR") != 0) return false;
    width = BigEndian32(b, 16);
    height = BigEndian32(b, 20);
    return true;
}

// Walks the marker segments up to the first frame header (SOF0 to SOF15;
// C4, C8 and CC are other tables). A scan or the end before it is malformed.
bool JpegSize(const std::string& b, unsigned& width, unsigned& height) {
    size_t at = 2;
    for (;;) {
        if (at >= b.size() || Byte(b, at) != 0xFF) return false;
        while (at < b.size() && Byte(b, at) == 0xFF) ++at;  // fill bytes
        if (at >= b.size()) return false;
        const unsigned marker = Byte(b, at++);
        if (marker == 0x01 || marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7)) continue;  // no length
        if (marker == 0xD9 || marker == 0xDA || at + 2 > b.size()) return false;
        const unsigned length = BigEndian16(b, at);
        if (length < 2) return false;
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
            if (length < 7 || at + 7 > b.size()) return false;
            height = BigEndian16(b, at + 3);
            width = BigEndian16(b, at + 5);
            return true;
        }
        at += length;
    }
}

// The OS/2 header holds 16-bit sizes, the later ones 32-bit with the height
// negative for a top-down picture.
bool BmpSize(const std::string& b, unsigned& width, unsigned& height) {
    if (b.size() < 18) return false;
    const uint32_t headerSize = LittleEndian32(b, 14);
    if (headerSize == 12) {
        if (b.size() < 26) return false;
        width = LittleEndian16(b, 18);
        height = LittleEndian16(b, 20);
        return true;
    }
    if (headerSize < 40 || b.size() < 26) return false;
    const int32_t w = static_cast<int32_t>(LittleEndian32(b, 18));
    const int32_t h = static_cast<int32_t>(LittleEndian32(b, 22));
    if (w <= 0 || h == INT32_MIN) return false;
    width = static_cast<unsigned>(w);
    height = static_cast<unsigned>(h < 0 ? -h : h);
    return true;
}

DecodedPicture Fault(PictureFault fault, std::string detail) {
    DecodedPicture picture;
    picture.fault = fault;
    picture.detail = std::move(detail);
    return picture;
}

}  // namespace

PictureKind SniffPictureKind(const std::string& b) {
    if (b.size() >= 8 && b.compare(0, 8, kPngSignature) == 0) return PictureKind::Png;
    if (b.size() >= 3 && Byte(b, 0) == 0xFF && Byte(b, 1) == 0xD8 && Byte(b, 2) == 0xFF) return PictureKind::Jpeg;
    if (b.size() >= 2 && b[0] == 'B' && b[1] == 'M') return PictureKind::Bmp;
    return PictureKind::Unknown;
}

bool ReadPictureSize(const std::string& fileBytes, PictureKind kind, unsigned& width, unsigned& height) {
    width = height = 0;
    switch (kind) {
        case PictureKind::Png: return PngSize(fileBytes, width, height);
        case PictureKind::Jpeg: return JpegSize(fileBytes, width, height);
        case PictureKind::Bmp: return BmpSize(fileBytes, width, height);
        case PictureKind::Unknown: break;
    }
    return false;
}

bool WithinPictureLimits(uint64_t width, uint64_t height, const PictureLimits& limits) {
    return width > 0 && height > 0 && width <= limits.maxSide && height <= limits.maxSide &&
           width * height <= limits.maxPixels;
}

const char* PictureFaultName(PictureFault fault) {
    switch (fault) {
        case PictureFault::None: return "read";
        case PictureFault::Unreadable: return "unreadable";
        case PictureFault::NotAPicture: return "not a picture";
        case PictureFault::Damaged: return "damaged";
        case PictureFault::TooLarge: return "too large";
    }
    return "unknown";
}

DecodedPicture DecodePicture(const std::string& fileBytes, const PictureLimits& limits) {
    const PictureKind kind = SniffPictureKind(fileBytes);
    if (kind == PictureKind::Unknown) return Fault(PictureFault::NotAPicture, "no PNG, JPEG or BMP signature");
    unsigned width = 0, height = 0;
    if (!ReadPictureSize(fileBytes, kind, width, height)) return Fault(PictureFault::Damaged, "malformed header");
    if (!WithinPictureLimits(width, height, limits)) {
        DecodedPicture refused = Fault(PictureFault::TooLarge, "declares " + std::to_string(width) + " x " +
                                                                   std::to_string(height) + " pixels");
        refused.declaredWidth = width;
        refused.declaredHeight = height;
        return refused;
    }
    DecodedPicture picture = PlatformDecodePicture(fileBytes, kind, width, height, limits);
    picture.declaredWidth = width;
    picture.declaredHeight = height;
    if (picture.fault == PictureFault::None &&
        (picture.width == 0 || picture.height == 0 || picture.width > width || picture.height > height ||
         picture.pixels.size() != size_t(picture.width) * picture.height * 4)) {
        picture.pixels.clear();
        picture.fault = PictureFault::Damaged;
        picture.detail = "the decoder's frame does not match the header";
    }
    if (picture.fault != PictureFault::None) {
        picture.pixels.clear();
        picture.width = picture.height = 0;
    }
    return picture;
}

#pragma once
// Pictures from files the player chooses (PNG, JPEG, BMP), decoded to 8-bit
// RGBA by maintained decoders: libpng and libjpeg-turbo on Linux, the Windows
// Imaging Component on Windows, and BMP by the small reader of
// app/BmpDecode.h where the platform has none. The size is read from the
// header here, by our own code, and checked against the caller's limits
// before any decoder sees the data: nothing the size of the picture is
// allocated for a picture that is refused.
#include <cstdint>
#include <string>
#include <vector>

enum class PictureKind { Unknown, Png, Jpeg, Bmp };

enum class PictureFault {
    None,
    Unreadable,   // the file could not be read (set by whoever reads it)
    NotAPicture,  // neither PNG, JPEG nor BMP
    Damaged,      // one of them, but cut short, corrupt or of a variant not read
    TooLarge,     // the declared size (or the file) is beyond the limits
};

struct PictureLimits {
    uint64_t maxPixels = 0;  // width * height as declared
    unsigned maxSide = 0;    // width and height each
    // The decoder may hand back the picture reduced by a power of two (JPEG's
    // scaled decoding) as long as it stays at least this wide; 0: full size.
    unsigned minWidth = 0;
};

struct DecodedPicture {
    PictureFault fault = PictureFault::None;
    unsigned declaredWidth = 0;  // from the header, when one was read
    unsigned declaredHeight = 0;
    unsigned width = 0;  // of the pixels handed back
    unsigned height = 0;
    std::vector<unsigned char> pixels;  // width * height * 4 bytes, R G B A; empty on a fault
    std::string detail;                 // the decoder's own words on a fault, for the log
};

// The kind of picture by the file's signature.
PictureKind SniffPictureKind(const std::string& fileBytes);
// The width and height the header declares, read without decoding anything;
// false when the header is cut short or malformed.
bool ReadPictureSize(const std::string& fileBytes, PictureKind kind, unsigned& width, unsigned& height);
bool WithinPictureLimits(uint64_t width, uint64_t height, const PictureLimits& limits);
// "not a picture", "too large", ... for log lines.
const char* PictureFaultName(PictureFault fault);

// Sniffs the kind, reads and checks the declared size, then has the platform
// decode it; the result's pixels always match its width and height.
DecodedPicture DecodePicture(const std::string& fileBytes, const PictureLimits& limits);

// The platform's half (app/linux/, app/win32/): decodes a picture whose kind
// is known and whose declared size is within the limits. It may still fail
// on the data (Damaged), and refuses a frame of another size than the header
// declares before allocating for it.
DecodedPicture PlatformDecodePicture(const std::string& fileBytes, PictureKind kind, unsigned width, unsigned height,
                                     const PictureLimits& limits);

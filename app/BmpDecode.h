#pragma once
// The BMP reader for platforms whose system has no BMP decoder the program
// uses (Linux): uncompressed 24- and 32-bit pictures with a BITMAPINFOHEADER
// or a later header, bottom-up or top-down, and 32-bit ones whose bit fields
// are whole bytes. Every read is bounded by the bytes given; other variants
// (palettes, 16-bit, RLE, OS/2 headers) are refused as damaged.
#include <string>

#include "app/PictureDecode.h"

// Decodes a BMP whose header declared width x height (already checked
// against the limits by DecodePicture).
DecodedPicture DecodeBmp(const std::string& fileBytes, unsigned width, unsigned height);

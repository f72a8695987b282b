// Screenshots from any bytes, through the platform's decoders and the scale
// to the preview's width: decoding never faults, stays within the pixel
// budget, and a picture handed out has exactly the pixels its size says.
#include <cstdint>
#include <cstdlib>

#include "preview/PictureLoad.h"
#include "tests/fuzz/FuzzScratch.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const LoadedPicture loaded = PictureFromBytes(FuzzInput(data, size));
    const RgbaImage& p = loaded.picture;
    if (loaded.fault != PictureFault::None) {
        if (!p.pixels.empty()) std::abort();
        return 0;
    }
    if (p.width <= 0 || p.height <= 0 || p.width > kPreviewMaxWidth ||
        uint64_t(p.width) * uint64_t(p.height) > kPictureMaxPixels ||
        p.pixels.size() != size_t(p.width) * size_t(p.height) * 4) {
        std::abort();
    }
    return 0;
}

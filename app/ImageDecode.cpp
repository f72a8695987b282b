// The one translation unit that holds stb_image's implementation, for the logo (PNG only).
#include "app/ImageDecode.h"

#define STB_IMAGE_IMPLEMENTATION
#define STBI_NO_STDIO
#define STBI_ONLY_PNG
#include <stb_image.h>

DecodedImage DecodeImageRgba(const std::string& fileBytes) {
    DecodedImage image;
    if (fileBytes.empty() || fileBytes.size() > 0x7fffffff) return image;
    const stbi_uc* bytes = reinterpret_cast<const stbi_uc*>(fileBytes.data());
    const int size = static_cast<int>(fileBytes.size());
    int width = 0;
    int height = 0;
    int channels = 0;
    // A header claiming a huge picture must not make us allocate for it.
    if (!stbi_info_from_memory(bytes, size, &width, &height, &channels) || width <= 0 || height <= 0 ||
        static_cast<unsigned>(width) > kMaxDecodedSide || static_cast<unsigned>(height) > kMaxDecodedSide) {
        return image;
    }
    stbi_uc* pixels = stbi_load_from_memory(bytes, size, &width, &height, &channels, 4);
    if (!pixels) return image;
    if (width > 0 && height > 0) {
        image.width = static_cast<unsigned>(width);
        image.height = static_cast<unsigned>(height);
        image.pixels.assign(pixels, pixels + static_cast<size_t>(width) * height * 4);
    }
    stbi_image_free(pixels);
    return image;
}

// The one translation unit that holds stb_image's implementation.
#include "app/win32/StbImage.h"

#define STB_IMAGE_IMPLEMENTATION
#define STBI_NO_STDIO
#define STBI_ONLY_PNG
#include <stb_image.h>

DecodedImage DecodeImageRgba(const std::string& fileBytes) {
    DecodedImage image;
    if (fileBytes.empty() || fileBytes.size() > 0x7fffffff) return image;
    int width = 0;
    int height = 0;
    int channels = 0;
    stbi_uc* pixels = stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(fileBytes.data()),
                                            static_cast<int>(fileBytes.size()), &width, &height, &channels, 4);
    if (!pixels) return image;
    if (width > 0 && height > 0) {
        image.width = static_cast<unsigned>(width);
        image.height = static_cast<unsigned>(height);
        image.pixels.assign(pixels, pixels + static_cast<size_t>(width) * height * 4);
    }
    stbi_image_free(pixels);
    return image;
}

#include "preview/PreviewPicture.h"

#include <algorithm>
#include <vector>

#include "preview/PreviewScene.h"

RgbaImage DefaultPreviewPicture() { return MakePreviewScene(kPreviewMaxWidth, kPreviewMaxWidth * 9 / 16); }

RgbaImage ScaleToWidth(const RgbaImage& image, int maxWidth) {
    if (image.width <= maxWidth) return image;
    const int width = maxWidth;
    const int height = std::max(1, static_cast<int>(static_cast<long long>(image.height) * maxWidth / image.width));
    RgbaImage out{width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height * 4)};
    // Each output pixel averages the source pixels its footprint covers, with
    // fractional weights at the edges.
    const double sx = static_cast<double>(image.width) / width, sy = static_cast<double>(image.height) / height;
    std::vector<double> sum(static_cast<size_t>(width) * 4);
    for (int y = 0; y < height; ++y) {
        std::fill(sum.begin(), sum.end(), 0.0);
        const double top = y * sy, bottom = (y + 1) * sy;
        for (int j = static_cast<int>(top); j < std::min(image.height, static_cast<int>(bottom + 0.999999)); ++j) {
            const double wy = std::min<double>(j + 1, bottom) - std::max<double>(j, top);
            if (wy <= 0) continue;
            const uint8_t* row = image.pixels.data() + static_cast<size_t>(j) * image.width * 4;
            for (int x = 0; x < width; ++x) {
                const double left = x * sx, right = (x + 1) * sx;
                for (int i = static_cast<int>(left); i < std::min(image.width, static_cast<int>(right + 0.999999));
                     ++i) {
                    const double w = wy * (std::min<double>(i + 1, right) - std::max<double>(i, left));
                    if (w <= 0) continue;
                    for (int c = 0; c < 4; ++c) sum[x * 4 + c] += w * row[i * 4 + c];
                }
            }
        }
        uint8_t* o = out.pixels.data() + static_cast<size_t>(y) * width * 4;
        for (int n = 0; n < width * 4; ++n)
            o[n] = static_cast<uint8_t>(std::clamp(sum[n] / (sx * sy) + 0.5, 0.0, 255.0));
    }
    return out;
}

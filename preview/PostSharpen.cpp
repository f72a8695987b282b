// SharpenPS: the luma of the difference from a 1-2-1 blur, limited, added back.
#include <cstdint>
#include <vector>

#include "preview/PostChainSteps.h"
#include "preview/Simd.h"

namespace PostStep {

// The four half-texel diagonal reads average 2 x 2 texels each: together a
// 1-2-1 kernel along both axes, with the edges clamped, 16 times the mean in
// whole steps.
PostTarget Sharpen(const PostTarget& present, float sharpness, int threads) {
    const int width = present.width, height = present.height, span = present.stride;
    const float strength = 0.8f * sharpness;
    PostTarget out(width, height);
    ForRowBands(height, threads, [&](int first, int last) {
        std::vector<uint16_t> column(span + 2);
        std::vector<float> blur(static_cast<size_t>(3) * span);
        for (int j = first; j < last; ++j) {
            for (int c = 0; c < 3; ++c) {
                const uint8_t* up = present.Row(c, ClampIndex(j - 1, height));
                const uint8_t* mid = present.Row(c, j);
                const uint8_t* down = present.Row(c, ClampIndex(j + 1, height));
                for (int i = 0; i < span; ++i) column[i + 1] = static_cast<uint16_t>(up[i] + 2 * mid[i] + down[i]);
                column[0] = column[1];
                column[width + 1] = column[width];
                float* b = blur.data() + static_cast<size_t>(c) * span;
                for (int i = 0; i < span; ++i)
                    b[i] = static_cast<float>(column[i] + 2 * column[i + 1] + column[i + 2]) * (1.0f / (16 * 255));
            }
            for (int i = 0; i < span; i += 4) {
                F4 colour[3], sharp[3];
                for (int c = 0; c < 3; ++c) {
                    colour[c] = LoadUnorm(present.Row(c, j) + i);
                    sharp[c] = colour[c] - Load(blur.data() + static_cast<size_t>(c) * span + i);
                }
                // Luma only and limited, so edges gain detail without colour fringes or halos.
                const F4 boost = Min(Max(Dot(sharp, 0.2126f * strength, 0.7152f * strength, 0.0722f * strength),
                                         Splat(-0.04f)),
                                     Splat(0.04f));
                for (int c = 0; c < 3; ++c) StoreUnorm(out.Row(c, j) + i, colour[c] + boost);
            }
        }
    });
    return out;
}

}  // namespace PostStep

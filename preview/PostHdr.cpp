// HDRPS: two rings of linear reads around each pixel, as one kernel of
// whole texels applied to the sums of mirrored rows.
#include <algorithm>
#include <vector>

#include "preview/PostChainSteps.h"
#include "preview/Simd.h"

namespace PostStep {

namespace {

struct KernelTap {
    int dx, dy;
    float weight;
};

// Adds a weighted linear read at a fixed texel offset to the kernel.
void AddLinearRead(std::vector<KernelTap>& kernel, float offsetX, float offsetY, float weight) {
    const int x0 = FloorToInt(offsetX), y0 = FloorToInt(offsetY);
    const float fx = offsetX - static_cast<float>(x0), fy = offsetY - static_cast<float>(y0);
    const KernelTap corners[4] = {{x0, y0, (1 - fx) * (1 - fy)},
                                  {x0 + 1, y0, fx * (1 - fy)},
                                  {x0, y0 + 1, (1 - fx) * fy},
                                  {x0 + 1, y0 + 1, fx * fy}};
    for (const KernelTap& c : corners) {
        if (c.weight == 0.0f) continue;  // a whole-texel offset: the second texel has no weight
        auto same = std::find_if(kernel.begin(), kernel.end(),
                                 [&](const KernelTap& t) { return t.dx == c.dx && t.dy == c.dy; });
        if (same == kernel.end()) {
            kernel.push_back({c.dx, c.dy, c.weight * weight});
        } else {
            same->weight += c.weight * weight;
        }
    }
}

constexpr float kHDRRing[8][2] = {{1.5f, 1.5f}, {-1.5f, 1.5f}, {1.5f, -1.5f}, {-1.5f, -1.5f},
                                  {0.0f, 2.5f}, {0.0f, -2.5f}, {2.5f, 0.0f},  {-2.5f, 0.0f}};

}  // namespace

PostTarget Hdr(const PostTarget& sharpen, float hdrExposure, int threads) {
    const int width = sharpen.width, height = sharpen.height, span = sharpen.stride;
    const float radius1 = 0.845f;
    const float radius2 = 0.9f * hdrExposure;
    // colour + ring2 * 0.010 - ring1 * 0.005, as one kernel.
    std::vector<KernelTap> kernel = {{0, 0, 1.0f}};
    for (const auto& offset : kHDRRing) {
        AddLinearRead(kernel, offset[0] * radius1, offset[1] * radius1, -0.005f);
        AddLinearRead(kernel, offset[0] * radius2, offset[1] * radius2, 0.010f);
    }
    // The ring is symmetric across both axes, and so is the kernel: one
    // weight for each (|dx|, |dy|), applied to the sum of the mirrored texels.
    std::vector<KernelTap> quadrant;
    int reach = 0;
    for (const KernelTap& t : kernel) {
        if (t.dx < 0 || t.dy < 0) continue;
        // Past the edges by the whole view, every read is the edge texel.
        quadrant.push_back({std::min(t.dx, std::max(width, height)), std::min(t.dy, std::max(width, height)), t.weight});
        reach = std::max({reach, quadrant.back().dx, quadrant.back().dy});
    }
    while (quadrant.size() % 3 != 0) quadrant.push_back({0, 0, 0.0f});
    const F4 spread = Splat(radius2 - radius1);
    PostTarget out(width, height);
    ForRowBands(height, threads, [&](int first, int last) {
        // The sums of rows j - d and j + d for d = 1..reach (d = 0 is row j itself).
        PaddedRows in(sharpen, reach, reach);
        std::vector<float> pairs(static_cast<size_t>(reach + 1) * in.pitch), hdrs(span), powers(span);
        for (int j = first; j < last; ++j) {
            for (int c = 0; c < 3; ++c) {
                for (int d = 1; d <= reach; ++d) {
                    const float* above = in.Row(c, j - d) - in.pad;
                    const float* below = in.Row(c, j + d) - in.pad;
                    float* sum = pairs.data() + static_cast<size_t>(d) * in.pitch;
                    for (int n = 0; n < in.pitch; ++n) sum[n] = above[n] + below[n];
                }
                const float* colour = in.Row(c, j);
                // Three weights at a time over the row.
                std::fill(hdrs.begin(), hdrs.end(), 0.0f);
                for (size_t t = 0; t < quadrant.size(); t += 3) {
                    const float* left[3];
                    const float* right[3];
                    float weight[3];
                    for (int k = 0; k < 3; ++k) {
                        const KernelTap& tap = quadrant[t + k];
                        const float* row = tap.dy == 0 ? in.Row(c, j) : pairs.data() + static_cast<size_t>(tap.dy) * in.pitch + in.pad;
                        left[k] = row - tap.dx;
                        right[k] = row + tap.dx;
                        weight[k] = tap.dx == 0 ? tap.weight * 0.5f : tap.weight;  // the same texel twice
                    }
                    for (int i = 0; i < span; ++i)
                        hdrs[i] += weight[0] * (left[0][i] + right[0][i]) + weight[1] * (left[1][i] + right[1][i]) +
                                   weight[2] * (left[2][i] + right[2][i]);
                }
                for (int i = 0; i < span; i += 4) {
                    const F4 hdr = Load(hdrs.data() + i) * spread;
                    Store(hdrs.data() + i, hdr);
                    Store(powers.data() + i, Abs(Load(colour + i) + hdr));
                }
                ShaderPowRow(powers.data(), span, 1.1f);
                uint8_t* o = out.Row(c, j);
                for (int i = 0; i < span; i += 4) StoreUnorm(o + i, Load(powers.data() + i) + Load(hdrs.data() + i));
            }
        }
    });
    return out;
}

}  // namespace PostStep

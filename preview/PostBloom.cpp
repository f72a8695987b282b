// Bloom1PS..Bloom8PS: eight 9 x 9 Gaussians, each into a target half the
// size of the one before. Where a step reads the same texel positions for
// many pixels (the grids of one axis), the reads are computed once.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "preview/PostChainSteps.h"
#include "preview/Simd.h"

int BloomTargetSize(int viewPixels, float ratio) {
    return std::max(1, static_cast<int>(static_cast<float>(viewPixels) * ratio));
}

namespace PostStep {

namespace {

constexpr float kBloomWeights[9] = {0.0269955f, 0.0647588f, 0.120985f,  0.176033f, 0.199471f,
                                    0.176033f,  0.120985f,  0.0647588f, 0.0269955f};
constexpr float kBloomStepPixels[kBloomLevels] = {2, 4, 8, 8, 16, 32, 64, 128};

// The reads of one axis of a Gaussian: each output pixel's nine taps point
// into a list of distinct read positions, so positions shared by neighbours
// are read once. Positions are keyed to 1/65536 of a texel.
struct TapGrid {
    std::vector<AxisTap> reads;
    std::vector<int> index;  // [output * 9 + tap]
    bool consecutive = true;  // every output's taps are nine reads in a row
    bool sliding = true;      // ... and each output's start one read after the previous one's
};

TapGrid BuildTapGrid(int outPixels, int sourcePixels, double halfTexel, double step) {
    std::vector<int64_t> keys(static_cast<size_t>(outPixels) * 9);
    for (int i = 0; i < outPixels; ++i)
        for (int k = 0; k < 9; ++k) {
            const double coord = QuadCoord(i, outPixels) + halfTexel + (k - 4) * step;
            keys[static_cast<size_t>(i) * 9 + k] = std::llround((coord * sourcePixels - 0.5) * 65536.0);
        }
    std::vector<int64_t> unique = keys;
    std::sort(unique.begin(), unique.end());
    unique.erase(std::unique(unique.begin(), unique.end()), unique.end());
    TapGrid grid;
    grid.reads.reserve(unique.size());
    for (int64_t key : unique) {
        const int64_t base = key >= 0 ? key / 65536 : -((-key + 65535) / 65536);  // floor
        AxisTap tap;
        tap.f = static_cast<float>(key - base * 65536) / 65536.0f;
        tap.i0 = ClampIndex(static_cast<int>(base), sourcePixels);
        tap.i1 = ClampIndex(static_cast<int>(base) + 1, sourcePixels);
        grid.reads.push_back(tap);
    }
    grid.index.resize(keys.size());
    for (size_t n = 0; n < keys.size(); ++n) {
        grid.index[n] = static_cast<int>(std::lower_bound(unique.begin(), unique.end(), keys[n]) - unique.begin());
        grid.consecutive = grid.consecutive && grid.index[n] == grid.index[n - n % 9] + static_cast<int>(n % 9);
        grid.sliding = grid.sliding && grid.index[n] == grid.index[0] + static_cast<int>(n / 9 + n % 9);
    }
    return grid;
}

}  // namespace

// BloomGaussian: a 9 x 9 Gaussian of linear reads with steps of stepPixels
// view pixels; the first level raises each read to the fourth power.
PostTarget Bloom(const PostTarget& source, int viewWidth, int viewHeight, int level) {
    const float ratio = kBloomRatios[level];
    const bool brightPass = level == 0;
    const int width = BloomTargetSize(viewWidth, ratio);
    const int height = BloomTargetSize(viewHeight, ratio);
    const TapGrid cols = BuildTapGrid(width, source.width, ViewHalfTexel(viewWidth, ratio),
                                      kBloomStepPixels[level] / static_cast<double>(viewWidth));
    const TapGrid rows = BuildTapGrid(height, source.height, ViewHalfTexel(viewHeight, ratio),
                                      kBloomStepPixels[level] / static_cast<double>(viewHeight));
    // The halving of the bright pass folds into the final scale.
    const float scale = brightPass ? 1.02352f * 0.5f : 1.02352f;
    PostTarget out(width, height);
    std::vector<float> line(source.width), reads(cols.reads.size());
    std::vector<float> across(rows.reads.size() * width), sum((width + 3) & ~3);
    for (int c = 0; c < 3; ++c) {
        // Every distinct read, then the horizontal sums per read row.
        for (size_t r = 0; r < rows.reads.size(); ++r) {
            const AxisTap& y = rows.reads[r];
            const uint8_t* r0 = source.Row(c, y.i0);
            const uint8_t* r1 = source.Row(c, y.i1);
            for (int n = 0; n < source.width; ++n) {
                const float top = r0[n] * (1.0f / 255.0f), bottom = r1[n] * (1.0f / 255.0f);
                line[n] = top + (bottom - top) * y.f;
            }
            for (size_t k = 0; k < reads.size(); ++k) {
                const AxisTap& x = cols.reads[k];
                float v = line[x.i0] + (line[x.i1] - line[x.i0]) * x.f;
                if (brightPass) {
                    v *= v;
                    v *= v;
                }
                reads[k] = v;
            }
            float* o = across.data() + r * width;
            if (cols.sliding) {  // the same sums, over whole rows
                const float* v = reads.data() + cols.index[0];
                std::fill(o, o + width, 0.0f);
                for (int t = 0; t < 9; ++t)
                    for (int i = 0; i < width; ++i) o[i] += v[i + t] * kBloomWeights[t];
                continue;
            }
            for (int i = 0; i < width; ++i) {
                const int* index = cols.index.data() + static_cast<size_t>(i) * 9;
                float s = 0.0f;
                if (cols.consecutive) {
                    const float* v = reads.data() + index[0];
                    for (int t = 0; t < 9; ++t) s += v[t] * kBloomWeights[t];
                } else {
                    for (int t = 0; t < 9; ++t) s += reads[index[t]] * kBloomWeights[t];
                }
                o[i] = s;
            }
        }
        for (int j = 0; j < height; ++j) {
            std::fill(sum.begin(), sum.end(), 0.0f);
            for (int t = 0; t < 9; ++t) {
                const float* from = across.data() + static_cast<size_t>(rows.index[static_cast<size_t>(j) * 9 + t]) * width;
                for (int n = 0; n < width; ++n) sum[n] += from[n] * kBloomWeights[t];
            }
            uint8_t* o = out.Row(c, j);
            for (int n = 0; n < width; n += 4) StoreUnorm(o + n, Load(sum.data() + n) * Splat(scale));
        }
    }
    return out;
}

}  // namespace PostStep

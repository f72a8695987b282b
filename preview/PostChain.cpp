// The passes of technique AdaptiveBloom, one function each, named and ordered
// as in Train_post_bloom.fx:
//   ReducePS -> Reduce, LuminancePS -> Luminance, Bloom1PS..Bloom8PS -> Bloom,
//   PresentPS -> Present, SharpenPS -> Sharpen, HDRPS -> Hdr, FinalPS -> Final.
// A pixel at column i of a target N pixels wide receives the quad's texture
// coordinate i / N (Direct3D 9 puts texel corners on pixel centres); every
// pass adds the half texel of its own target, as the shader does. Reads go
// through the same linear, clamped sampling; writes are rounded to 8 bits.
// Where a step reads the same texel positions for many pixels, the reads are
// computed once (the bloom grids, the sharpen and HDR kernels), and where
// read weights grow steadily from row to row (the coarse bloom levels), their
// sum is a base plus a slope; the sums are those of the shader, up to the
// rounding of floats. The full-size steps work on four pixels at a time (F4,
// preview/Simd.h) along a row of a plane; a row is processed up to the
// target's stride, and what lies past the width is never shown.
#include "preview/PostChain.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "preview/PostChainSteps.h"
#include "preview/Simd.h"

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// ---- shared (the shader's TargetTexCoord and ViewTexCoord)

// Half a texel of a target of the view's size times the ratio: ViewTexCoord's
// offset, computed from the unrounded size as the shader does.
double ViewHalfTexel(int viewPixels, float ratio) {
    return 0.5 / std::max(static_cast<double>(static_cast<float>(viewPixels) * ratio), 1.0);
}

double QuadCoord(int pixel, int targetPixels) { return static_cast<double>(pixel) / targetPixels; }

}  // namespace

namespace PostStep {

// ---- 1: reduce to 3 x 3

PostTarget Reduce(const PostTarget& scene) {
    PostTarget out(3, 3);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 3; ++x) {
            const double cellU = QuadCoord(x, 3) + 0.5 / 3.0;
            const double cellV = QuadCoord(y, 3) + 0.5 / 3.0;
            float sum[3] = {0, 0, 0};
            for (int ty = 0; ty < 4; ++ty) {
                for (int tx = 0; tx < 4; ++tx) {
                    const double offsetU = ((tx + 0.5) / 4.0 - 0.5) / 3.0;
                    const double offsetV = ((ty + 0.5) / 4.0 - 0.5) / 3.0;
                    float s[3];
                    SampleLinear(scene, LinearTap(cellU + offsetU, scene.width),
                                 LinearTap(cellV + offsetV, scene.height), s);
                    for (int c = 0; c < 3; ++c) sum[c] += s[c];
                }
            }
            for (int c = 0; c < 3; ++c) out.Row(c, y)[x] = ToByte(sum[c] / 16.0f);
        }
    }
    return out;
}

// ---- 2: average luminance

// The shader blends each frame's measurement over the previous frames; for a
// still picture that blend settles on the measurement itself, which is what
// the preview keeps. (In the game the 8-bit target can stop short of it: a
// step of frame time times the distance rounds away below half a level.)
PostTarget Luminance(const PostTarget& reduce) {
    const double c = 0.5, d = 0.625;
    auto read = [&](double u, double v, float weight, float sum[3]) {
        float s[3];
        SampleLinear(reduce, LinearTap(u, reduce.width), LinearTap(v, reduce.height), s);
        for (int k = 0; k < 3; ++k) sum[k] += s[k] * weight;
    };
    float sum[3] = {0, 0, 0};
    read(c, c, 0.2f, sum);
    for (double du : {-d, d})
        for (double dv : {-d, d}) read(c + du, c + dv, 0.08f, sum);
    read(c - d, c, 0.12f, sum);
    read(c + d, c, 0.12f, sum);
    read(c, c - d, 0.12f, sum);
    read(c, c + d, 0.12f, sum);
    float x[3];
    for (int k = 0; k < 3; ++k) {
        x[k] = Saturate(sum[k]);
        x[k] = 8.0f * x[k] * x[k];
    }
    const float luminance = x[0] * 0.3f + x[1] * 0.59f + x[2] * 0.11f;
    PostTarget out(1, 1);
    for (int k = 0; k < 3; ++k) out.Row(k, 0)[0] = ToByte(luminance);
    return out;
}

// ---- 3: bloom

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

// ---- 4: present

namespace {

// Filmic curve with a soft toe and shoulder.
F4 FilmicCurve(F4 x) {
    const F4 A = Splat(0.15f), B = Splat(0.50f), C = Splat(0.10f), D = Splat(0.20f), E = Splat(0.02f),
             F = Splat(0.30f);
    return (x * (A * x + C * B) + D * E) / (x * (A * x + B) + D * F) - E / F;
}

struct PresentConstants {
    F4 exposure;       // of the bloom tone map
    F4 whiteCurveInv;  // 1 / FilmicCurve(whitePoint)
    F4 bloomDesaturation;
    F4 contrast;  // 0.6 * MOX_ImageContrast
    F4 vibrance;
    F4 vibranceSign;
    F4 grey;
    F4 sepia;
    bool greyOn, sepiaOn;
};

F4 Dot(const F4 v[3], float a, float b, float c) { return v[0] * Splat(a) + v[1] * Splat(b) + v[2] * Splat(c); }
F4 Lerp(F4 a, F4 b, F4 t) { return a + (b - a) * t; }

// PresentPS for four pixels up to the gamma: the scene's colour and the sum
// of the eight bloom reads in, the colour to raise to the gamma out.
void PresentToneMap(const PresentConstants& k, F4 colour[3], F4 bloom[3]) {
    for (int c = 0; c < 3; ++c)
        bloom[c] = FilmicCurve(bloom[c] * Splat(0.125f) * k.exposure) * k.whiteCurveInv;
    const F4 bloomGrey = Dot(bloom, 0.333f, 0.333f, 0.333f);
    for (int c = 0; c < 3; ++c) {
        bloom[c] = Lerp(bloom[c], bloomGrey, k.bloomDesaturation);
        // Screen blend: bloom brightens without ever passing white.
        colour[c] = Splat(1.0f) - (Splat(1.0f) - colour[c]) * (Splat(1.0f) - bloom[c]);
    }

    // Contrast on the luma only, chroma kept.
    F4 luma = Dot(colour, 0.2126f, 0.7152f, 0.0722f);
    F4 chroma[3];
    for (int c = 0; c < 3; ++c) chroma[c] = colour[c] - luma;
    const F4 curved = luma * (luma * (Splat(1.5f) - luma) + Splat(0.5f));
    luma = Lerp(luma, curved, k.contrast);
    for (int c = 0; c < 3; ++c) colour[c] = Saturate(luma + chroma[c]) * Splat(1.0717735f);  // 2^0.1
}

// The rest of PresentPS, after colour = pow(colour, MOX_Gamma).
void PresentGrade(const PresentConstants& k, F4 colour[3]) {
    // Vibrance: weakly saturated colours move most; a negative amount takes
    // the strongest colours toward grey first.
    const F4 saturation = Max(colour[0], Max(colour[1], colour[2])) - Min(colour[0], Min(colour[1], colour[2]));
    const F4 vibranceLuma = Dot(colour, 0.212656f, 0.715158f, 0.072186f);
    const F4 amount = Splat(1.0f) + k.vibrance * (Splat(1.0f) - k.vibranceSign * saturation);
    for (int c = 0; c < 3; ++c) colour[c] = Lerp(vibranceLuma, colour[c], amount);

    // A lerp by 0 leaves the colour as it is: the steps at 0 are skipped.
    if (k.greyOn) {
        const F4 greyLevel = Dot(colour, 0.3f, 0.59f, 0.11f);
        for (int c = 0; c < 3; ++c) colour[c] = Lerp(colour[c], greyLevel, k.grey);
    }
    const float sepiaTone[3] = {0.55f, 0.43f, 0.42f};
    if (k.sepiaOn)
        for (int c = 0; c < 3; ++c)
            colour[c] = Lerp(colour[c], colour[c] * Splat(sepiaTone[c]) * Splat(2.55f), k.sepia);
}

// The levels read row by row; the rest change their rows slowly.
constexpr int kFineLevels = 2;

// Where each column of the target reads a bloom level along its rows: the
// texel before it (in a row with each edge texel repeated past the edge) and
// the weight of the next one.
struct LevelColumns {
    std::vector<int> first;
    std::vector<float> weight;
};

LevelColumns ColumnsOf(const PostTarget& level, int span, int width, double halfTexel) {
    LevelColumns columns{std::vector<int>(span), std::vector<float>(span)};
    for (int i = 0; i < span; ++i) {
        const AxisTap x = LinearTap(QuadCoord(i, width) + halfTexel, level.width);
        columns.first[i] = x.i0 == x.i1 ? (x.i0 == 0 ? 0 : level.width) : x.i0 + 1;
        columns.weight[i] = x.f;
    }
    return columns;
}

// The last two rows of a level widened to the target's width, kept while
// the rows of the target go down: a level's pair of rows changes every few rows.
struct WidenedRows {
    int held[2] = {-1, -1};
    std::vector<float> values;  // [slot][channel][span]
    std::vector<float> texels;  // a row of the level, three channels

    WidenedRows(int levelWidth, int span)
        : values(static_cast<size_t>(6) * span), texels(static_cast<size_t>(3) * (levelWidth + 2)) {}

    // Row r of the level, widened; `keep` is the row that must stay.
    const float* Row(const PostTarget& level, const LevelColumns& columns, int span, int r, int keep) {
        const size_t slotSize = static_cast<size_t>(3) * span;
        for (int slot = 0; slot < 2; ++slot)
            if (held[slot] == r) return values.data() + slot * slotSize;
        const int slot = held[0] == keep ? 1 : 0;
        float* t[3];
        float* o[3];
        for (int c = 0; c < 3; ++c) {
            t[c] = texels.data() + static_cast<size_t>(c) * (level.width + 2);
            const uint8_t* in = level.Row(c, r);
            for (int n = 0; n < level.width; ++n) t[c][n + 1] = in[n] * (1.0f / 255.0f);
            t[c][0] = t[c][1];
            t[c][level.width + 1] = t[c][level.width];
            o[c] = values.data() + slot * slotSize + static_cast<size_t>(c) * span;
        }
        for (int i = 0; i < span; ++i)
            for (int c = 0; c < 3; ++c) {
                const float* at = t[c] + columns.first[i];
                o[c][i] = at[0] + (at[1] - at[0]) * columns.weight[i];
            }
        held[slot] = r;
        return values.data() + slot * slotSize;
    }
};

}  // namespace

PostTarget Present(const PostTarget& scene, const std::array<PostTarget, kBloomLevels>& bloom,
                   const PostTarget& luminance, const PostChainSettings& s, int threads) {
    const int width = scene.width, height = scene.height, span = scene.stride;
    // Dark surroundings open the eye: more bloom after a dark average.
    const float averageLuminance = luminance.At(0, 0, 0);
    const float adaptation = std::clamp(std::exp(1.0f - averageLuminance), 1.0f, 3.0f);
    const float whitePoint = 11.2f;
    PresentConstants k;
    k.exposure = Splat(7.5f * s.BloomIntensity * adaptation);
    k.whiteCurveInv = Splat(1.0f) / FilmicCurve(Splat(whitePoint));
    k.bloomDesaturation = Splat(s.BloomColorDesaturation);
    k.contrast = Splat(0.6f * s.ImageContrast);
    k.vibrance = Splat(s.ColorVibrance);
    k.vibranceSign = Splat(s.ColorVibrance > 0 ? 1.0f : (s.ColorVibrance < 0 ? -1.0f : 0.0f));
    k.grey = Splat(s.ImageGrayLevel);
    k.sepia = Splat(s.ImageSepiaLevel);
    k.greyOn = s.ImageGrayLevel != 0.0f;
    k.sepiaOn = s.ImageSepiaLevel != 0.0f;

    // The bloom targets are read at this target's texel centres: a level's row
    // is widened to this target's width when a row of it first needs it, and
    // the two widened rows of each level are blended per row.
    const double halfTexelU = ViewHalfTexel(width, 1.0f), halfTexelV = ViewHalfTexel(height, 1.0f);
    std::array<LevelColumns, kBloomLevels> columns;
    std::array<std::vector<AxisTap>, kBloomLevels> rowTaps;
    for (int l = 0; l < kBloomLevels; ++l) {
        columns[l] = ColumnsOf(bloom[l], span, width, halfTexelU);
        for (int j = 0; j < height; ++j)
            rowTaps[l].push_back(LinearTap(QuadCoord(j, height) + halfTexelV, bloom[l].height));
    }
    PostTarget out(width, height);
    ForRowBands(height, threads, [&](int first, int last) {
        std::vector<WidenedRows> widened;
        for (const PostTarget& level : bloom) widened.emplace_back(level.width, span);
        std::vector<float> graded(static_cast<size_t>(3) * span);
        float* plane[3] = {graded.data(), graded.data() + span, graded.data() + 2 * span};
        // The coarse levels (from the third on) change their pair of rows every
        // four rows or more; in between, each one's weight grows by the same
        // step from row to row, so their blended sum is a base plus the
        // distance from the stretch's first row times a slope.
        std::vector<float> base(static_cast<size_t>(3) * span), slope(static_cast<size_t>(3) * span);
        auto samePairs = [&](int a, int b) {
            for (int l = kFineLevels; l < kBloomLevels; ++l)
                if (rowTaps[l][a].i0 != rowTaps[l][b].i0 || rowTaps[l][a].i1 != rowTaps[l][b].i1) return false;
            return true;
        };
        int stretch = -1;
        for (int j = first; j < last; ++j) {
            if (stretch < 0 || !samePairs(j, stretch)) {
                // From the stretch's own first row, even above this band's:
                // the sums do not depend on how the rows were split.
                stretch = j;
                while (stretch > 0 && samePairs(stretch - 1, j)) --stretch;
                std::fill(base.begin(), base.end(), 0.0f);
                std::fill(slope.begin(), slope.end(), 0.0f);
                for (int l = kFineLevels; l < kBloomLevels; ++l) {
                    const AxisTap& y = rowTaps[l][stretch];
                    const float* r0 = widened[l].Row(bloom[l], columns[l], span, y.i0, y.i1);
                    const float* r1 = widened[l].Row(bloom[l], columns[l], span, y.i1, y.i0);
                    const float step = static_cast<float>(bloom[l].height) / static_cast<float>(height);
                    for (size_t n = 0; n < base.size(); ++n) {
                        const float difference = r1[n] - r0[n];
                        base[n] += r0[n] + difference * y.f;
                        slope[n] += difference * step;
                    }
                }
            }
            const F4 distance = Splat(static_cast<float>(j - stretch));
            // The two widened rows of each fine level this row blends, and the weight of the second.
            const float* r0[kFineLevels];
            const float* r1[kFineLevels];
            F4 f[kFineLevels];
            for (int l = 0; l < kFineLevels; ++l) {
                const AxisTap& y = rowTaps[l][j];
                r0[l] = widened[l].Row(bloom[l], columns[l], span, y.i0, y.i1);
                r1[l] = widened[l].Row(bloom[l], columns[l], span, y.i1, y.i0);
                f[l] = Splat(y.f);
            }
            for (int i = 0; i < span; i += 4) {
                F4 colour[3], bloomSum[3];
                for (int c = 0; c < 3; ++c) {
                    colour[c] = LoadUnorm(scene.Row(c, j) + i);
                    const size_t at = static_cast<size_t>(c) * span + i;
                    bloomSum[c] = Lerp(Load(r0[0] + at), Load(r1[0] + at), f[0]);
                    for (int l = 1; l < kFineLevels; ++l)
                        bloomSum[c] = bloomSum[c] + Lerp(Load(r0[l] + at), Load(r1[l] + at), f[l]);
                    bloomSum[c] = bloomSum[c] + (Load(base.data() + at) + distance * Load(slope.data() + at));
                }
                PresentToneMap(k, colour, bloomSum);
                for (int c = 0; c < 3; ++c) Store(plane[c] + i, colour[c]);
            }
            if (s.Gamma != 1.0f)  // pow(x, 1) is x
                for (int c = 0; c < 3; ++c) ShaderPowRow(plane[c], span, s.Gamma);
            for (int i = 0; i < span; i += 4) {
                F4 colour[3] = {Load(plane[0] + i), Load(plane[1] + i), Load(plane[2] + i)};
                PresentGrade(k, colour);
                for (int c = 0; c < 3; ++c) StoreUnorm(out.Row(c, j) + i, colour[c]);
            }
        }
    });
    return out;
}

// ---- 5: sharpen

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

// ---- 6: HDR

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

// ---- 7: final

namespace {

float BandingPermute(float x) { return std::fmod((34.0f * x + 1.0f) * x, 289.0f); }
// Compiled shaders divide by a constant through its reciprocal; at the
// multiples of 41 that gives 0.99999994, not 0, so the preview does the same.
float BandingRand(float x) {
    const float q = x * (1.0f / 41.0f);
    return q - std::floor(q);
}

// What the hash gives a pixel depends only on its position modulo 289: the
// two reads' directions and distances (in the view's pixels, before the
// quarter turns) and the noise.
struct BandingCell {
    float d[2][2];
    float noise[3];
};

std::vector<BandingCell> MakeBandingCells() {
    std::vector<BandingCell> table(289 * 289);
    for (int y = 0; y < 289; ++y) {
        for (int x = 0; x < 289; ++x) {
            BandingCell& cell = table[static_cast<size_t>(y) * 289 + x];
            float h = BandingPermute(BandingPermute(static_cast<float>(x)) + static_cast<float>(y));
            for (int k = 1; k <= 2; ++k) {
                h = BandingPermute(h);
                const float angle = BandingRand(h) * 6.2831853f;
                h = BandingPermute(h);
                const float reach = BandingRand(h) * 16.0f * static_cast<float>(k);
                cell.d[k - 1][0] = std::cos(angle) * reach;
                cell.d[k - 1][1] = std::sin(angle) * reach;
            }
            for (float& n : cell.noise) {
                h = BandingPermute(h);
                n = BandingRand(h);
            }
        }
    }
    return table;
}

// One of the eight reads of a pixel: where its first texel lies from the
// pixel in a padded texel image, and the weights of the second column and row.
struct BandingRead {
    int offset;  // in floats
    float fx, fy;
};

struct BandingReads {
    BandingRead read[2][4];
    float noise[4];  // 0.006 * (rand - 0.5) per channel
};

// The cells' reads for one size of view, with the padding the texel image
// needs around it so that no read is clamped.
struct BandingLayout {
    int width = 0, height = 0;
    int padX = 0, padY = 0, pitch = 0;
    std::vector<BandingReads> cells;
};

std::shared_ptr<const BandingLayout> MakeBandingLayout(int width, int height) {
    static const std::vector<BandingCell> cells = MakeBandingCells();
    auto layout = std::make_shared<BandingLayout>();
    layout->width = width;
    layout->height = height;
    // The quarter turns happen in texture coordinates, so on a wide view they
    // stretch across and shrink along.
    const float aspect = static_cast<float>(width) / static_cast<float>(height);
    struct Offset {
        int dx, dy;
        float fx, fy;
    };
    std::vector<Offset> offsets(cells.size() * 8);
    for (size_t n = 0; n < cells.size(); ++n) {
        for (int k = 0; k < 2; ++k) {
            const float dx = cells[n].d[k][0], dy = cells[n].d[k][1];
            const float turns[4][2] = {{dx, dy}, {-dy * aspect, dx / aspect}, {-dx, -dy}, {dy * aspect, -dx / aspect}};
            for (int q = 0; q < 4; ++q) {
                const int bx = FloorToInt(turns[q][0]), by = FloorToInt(turns[q][1]);
                // Past an edge by the whole view, every read is the edge texel.
                offsets[n * 8 + k * 4 + q] = {std::clamp(bx, -width - 1, width), std::clamp(by, -height - 1, height),
                                              turns[q][0] - static_cast<float>(bx), turns[q][1] - static_cast<float>(by)};
            }
        }
    }
    for (const Offset& o : offsets) {
        layout->padX = std::max({layout->padX, -o.dx, o.dx + 1});
        layout->padY = std::max({layout->padY, -o.dy, o.dy + 1});
    }
    layout->pitch = layout->padX + ((width + 3) & ~3) + layout->padX;
    layout->cells.resize(cells.size());
    for (size_t n = 0; n < cells.size(); ++n) {
        BandingReads& reads = layout->cells[n];
        for (int r = 0; r < 8; ++r) {
            const Offset& o = offsets[n * 8 + r];
            reads.read[r / 4][r % 4] = {(o.dy * layout->pitch + o.dx) * 4, o.fx, o.fy};
        }
        for (int c = 0; c < 3; ++c) reads.noise[c] = 0.006f * (cells[n].noise[c] - 0.5f);
        reads.noise[3] = 0.0f;
    }
    return layout;
}

// The layout of the last size asked for: the preview asks for the same size
// run after run.
std::shared_ptr<const BandingLayout> BandingLayoutFor(int width, int height) {
    static std::mutex mutex;
    static std::shared_ptr<const BandingLayout>* last = new std::shared_ptr<const BandingLayout>();
    std::lock_guard<std::mutex> lock(mutex);
    if (!*last || (*last)->width != width || (*last)->height != height) *last = MakeBandingLayout(width, height);
    return *last;
}

// A linear read: the texel at `at` and its right, lower and lower right
// neighbours, all three channels in the lanes.
inline F4 ReadLinear(const float* at, int pitch, const BandingRead& r) {
    const float* p = at + r.offset;
    const F4 weights = _mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(&r.fx)));
    const F4 fx = _mm_shuffle_ps(weights, weights, 0x00), fy = _mm_shuffle_ps(weights, weights, 0x55);
    const F4 a = Load(p), b = Load(p + 4), c = Load(p + pitch * 4), d = Load(p + pitch * 4 + 4);
    const F4 top = a + (b - a) * fx;
    const F4 bottom = c + (d - c) * fx;
    return top + (bottom - top) * fy;
}

}  // namespace

PostTarget Final(const PostTarget& hdr, bool colorBandingFix, int threads) {
    if (!colorBandingFix) return hdr;
    const int width = hdr.width, height = hdr.height;
    const std::shared_ptr<const BandingLayout> layout = BandingLayoutFor(width, height);
    const int pitch = layout->pitch, padX = layout->padX, padY = layout->padY;
    // The texels with their three channels and a spare lane, edges repeated
    // into the padding as clamped addressing repeats them.
    const int rows = height + 2 * padY;
    float* const texels = KeptBuffer(static_cast<size_t>(pitch) * rows * 4);
    ForRowBands(rows, threads, [&](int first, int last) {
        for (int r = first; r < last; ++r) {
            const int y = ClampIndex(r - padY, height);
            const uint8_t* in[3] = {hdr.Row(0, y), hdr.Row(1, y), hdr.Row(2, y)};
            float* row = texels + static_cast<size_t>(r) * pitch * 4;
            float* o = row + static_cast<size_t>(padX) * 4;
            for (int i = 0; i < width; i += 4) {  // four texels from the planes at a time
                F4 red = LoadUnorm(in[0] + i), green = LoadUnorm(in[1] + i), blue = LoadUnorm(in[2] + i);
                F4 spare = _mm_setzero_ps();
                _MM_TRANSPOSE4_PS(red, green, blue, spare);  // now the four texels
                Store(o + i * 4, red);
                Store(o + i * 4 + 4, green);
                Store(o + i * 4 + 8, blue);
                Store(o + i * 4 + 12, spare);
            }
            for (int i = 0; i < padX; ++i) std::copy(o, o + 4, row + i * 4);
            for (int i = padX + width; i < pitch; ++i) std::copy(o + (width - 1) * 4, o + width * 4, row + i * 4);
        }
    });
    PostTarget out(width, height);
    // In strips of columns down the rows, so that the texels the reads reach
    // stay in the processor's cache; the reads wait on memory more than they
    // compute, hence the prefetches.
    const int strip = 128;
    ForRowBands(height, threads, [&](int first, int last) {
        for (int x0 = 0; x0 < width; x0 += strip) {
            const int x1 = std::min(width, x0 + strip);
            for (int j = first; j < last; ++j) {
                const BandingReads* cellRow = layout->cells.data() + static_cast<size_t>(j % 289) * 289;
                const float* rowStart = texels + (static_cast<size_t>(j + padY) * pitch + padX) * 4;
                uint8_t* o[3] = {out.Row(0, j), out.Row(1, j), out.Row(2, j)};
                {  // the row about to enter the reach of the reads, on its way to the cache
                    const int ahead = std::min(j + 2 * padY + 8, height + 2 * padY - 1);
                    const float* from = texels + (static_cast<size_t>(ahead) * pitch + x0) * 4;
                    for (int n = 0; n < (x1 - x0 + 2 * padX) * 4; n += 16)
                        _mm_prefetch(reinterpret_cast<const char*>(from + n), _MM_HINT_T1);
                }
                for (int i = x0, column = x0 % 289; i < x1; ++i, column = column == 288 ? 0 : column + 1) {
                    const BandingReads& cell = cellRow[column];
                    const float* at = rowStart + static_cast<size_t>(i) * 4;
                    {  // the far reads of the pixel four ahead, on their way to the cache
                        const BandingReads& ahead = cellRow[column >= 285 ? column - 285 : column + 4];
                        for (const BandingRead& r : ahead.read[1]) {
                            const float* p = at + 16 + r.offset;
                            _mm_prefetch(reinterpret_cast<const char*>(p), _MM_HINT_T0);
                            _mm_prefetch(reinterpret_cast<const char*>(p + pitch * 4), _MM_HINT_T0);
                        }
                    }
                    F4 colour = Load(at);
                    // Smooth 8-bit steps: where a wide neighbourhood barely
                    // differs from the pixel, take its mean.
                    for (int k = 0; k < 2; ++k) {
                        const BandingRead* r = cell.read[k];
                        const F4 mean = (ReadLinear(at, pitch, r[0]) + ReadLinear(at, pitch, r[1]) +
                                         ReadLinear(at, pitch, r[2]) + ReadLinear(at, pitch, r[3])) *
                                        Splat(0.25f);
                        const F4 difference = mean - colour;
                        const F4 close = _mm_cmple_ps(Abs(difference), Splat(0.003f * static_cast<float>(k + 1)));
                        colour = Select(close, colour + difference, colour);  // lerp(colour, mean, 1)
                    }
                    // Then hide what is left under slight noise.
                    int32_t steps[4];
                    _mm_storeu_si128(reinterpret_cast<__m128i*>(steps), UnormSteps(colour + Load(cell.noise)));
                    for (int c = 0; c < 3; ++c) o[c][i] = static_cast<uint8_t>(steps[c]);
                }
            }
        }
    });
    return out;
}

}  // namespace PostStep

PostChainSettings PostChainSettingsFrom(const ShaderSettings& shader) {
    PostChainSettings s;
    s.HDRExposure = shader.HDRExposure;
    s.BloomIntensity = shader.BloomIntensity;
    s.BloomColorDesaturation = shader.BloomColorDesaturation;
    s.Gamma = shader.Gamma;
    s.ImageSharpness = shader.ImageSharpness;
    s.ImageContrast = shader.ImageContrast;
    s.ColorVibrance = shader.ColorVibrance;
    s.ImageGrayLevel = shader.ImageGrayLevel;
    s.ImageSepiaLevel = shader.ImageSepiaLevel;
    s.ColorBandingFix = shader.ColorBandingFix;
    return s;
}

int BloomTargetSize(int viewPixels, float ratio) {
    return std::max(1, static_cast<int>(static_cast<float>(viewPixels) * ratio));
}

RgbaImage RunPostChain(const RgbaImage& sceneImage, const PostChainSettings& settings, PostChainTargets* targets,
                       PostChainTimings* timings, int threads) {
    if (sceneImage.width <= 0 || sceneImage.height <= 0 ||
        sceneImage.pixels.size() != static_cast<size_t>(sceneImage.width) * sceneImage.height * 4) {
        return RgbaImage();
    }
    PostChainTimings local;
    PostChainTimings& time = timings ? *timings : local;
    using namespace PostStep;
    const PostTarget scene = TargetFromImage(sceneImage);

    Clock::time_point start = Clock::now();
    const PostTarget reduce = Reduce(scene);
    time.reduce = MillisecondsSince(start);

    start = Clock::now();
    const PostTarget luminance = Luminance(reduce);
    time.luminance = MillisecondsSince(start);

    start = Clock::now();
    std::array<PostTarget, kBloomLevels> bloom;
    for (int level = 0; level < kBloomLevels; ++level)
        bloom[level] = Bloom(level == 0 ? scene : bloom[level - 1], scene.width, scene.height, level);
    time.bloom = MillisecondsSince(start);

    start = Clock::now();
    const PostTarget present = Present(scene, bloom, luminance, settings, threads);
    time.present = MillisecondsSince(start);

    start = Clock::now();
    const PostTarget sharpen = Sharpen(present, settings.ImageSharpness, threads);
    time.sharpen = MillisecondsSince(start);

    start = Clock::now();
    const PostTarget hdr = Hdr(sharpen, settings.HDRExposure, threads);
    time.hdr = MillisecondsSince(start);

    start = Clock::now();
    const PostTarget final = Final(hdr, settings.ColorBandingFix, threads);
    time.final = MillisecondsSince(start);

    if (targets) {
        targets->reduce = ImageFromTarget(reduce);
        targets->luminance = ImageFromTarget(luminance);
        for (int level = 0; level < kBloomLevels; ++level) targets->bloom[level] = ImageFromTarget(bloom[level]);
        targets->present = ImageFromTarget(present);
        targets->sharpen = ImageFromTarget(sharpen);
        targets->hdr = ImageFromTarget(hdr);
        targets->final = ImageFromTarget(final);
    }
    return ImageFromTarget(final);
}

// The passes of technique AdaptiveBloom, one function each, named and ordered
// as in Train_post_bloom.fx:
//   ReducePS -> Reduce, LuminancePS -> Luminance, Bloom1PS..Bloom8PS -> Bloom,
//   PresentPS -> Present, SharpenPS -> Sharpen, HDRPS -> Hdr, FinalPS -> Final.
// A pixel at column i of a target N pixels wide receives the quad's texture
// coordinate i / N (Direct3D 9 puts texel corners on pixel centres); every
// pass adds the half texel of its own target, as the shader does. Reads go
// through the same linear, clamped sampling; writes are rounded to 8 bits.
// Where a step reads the same texel positions for many pixels, the reads are
// computed once (the bloom grids, the sharpen and HDR kernels); the sums are
// those of the shader.
#include "preview/PostChain.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <thread>
#include <vector>

#include "preview/PostChainSteps.h"

namespace {

using Clock = std::chrono::steady_clock;

// Runs body(first, last) over bands of rows on up to `threads` threads (the
// calling one included); without a thread to spare it runs the rest itself.
template <typename Body>
void ForRowBands(int rows, int threads, const Body& body) {
    const int bands = std::clamp(threads, 1, std::max(1, rows / 32));
    const int per = (rows + bands - 1) / bands;
    std::vector<std::thread> helpers;
    int covered = per;
    for (int band = 1; band < bands; ++band) {
        const int first = band * per, last = std::min(rows, first + per);
        if (first >= last) break;
        try {
            helpers.emplace_back([&body, first, last] { body(first, last); });
        } catch (...) {
            break;
        }
        covered = last;
    }
    body(0, std::min(rows, per));
    if (covered < rows) body(covered, rows);
    for (std::thread& helper : helpers) helper.join();
}

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

PostTarget TargetFromImage(const RgbaImage& image) {
    PostTarget t(image.width, image.height);
    const size_t count = static_cast<size_t>(image.width) * image.height;
    for (size_t p = 0; p < count; ++p)
        for (int c = 0; c < 3; ++c) t.rgb[p * 3 + c] = image.pixels[p * 4 + c] * (1.0f / 255.0f);
    return t;
}

RgbaImage ImageFromTarget(const PostTarget& t) {
    RgbaImage image{t.width, t.height, {}};
    const size_t count = static_cast<size_t>(t.width) * t.height;
    image.pixels.resize(count * 4);
    for (size_t p = 0; p < count; ++p) {
        for (int c = 0; c < 3; ++c) image.pixels[p * 4 + c] = ToByte(t.rgb[p * 3 + c]);
        image.pixels[p * 4 + 3] = 255;
    }
    return image;
}

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
            float* o = out.Row(y) + x * 3;
            for (int c = 0; c < 3; ++c) o[c] = Quantise8(sum[c] / 16.0f);
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
    for (float& v : out.rgb) v = Quantise8(luminance);
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
    for (size_t n = 0; n < keys.size(); ++n)
        grid.index[n] = static_cast<int>(std::lower_bound(unique.begin(), unique.end(), keys[n]) - unique.begin());
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

    // Every distinct read, then the horizontal sums per read row.
    const size_t readCols = cols.reads.size();
    std::vector<float> line(static_cast<size_t>(source.width) * 3);
    std::vector<float> reads(readCols * 3);
    std::vector<float> across(rows.reads.size() * width * 3);
    for (size_t r = 0; r < rows.reads.size(); ++r) {
        const AxisTap& y = rows.reads[r];
        const float* r0 = source.Row(y.i0);
        const float* r1 = source.Row(y.i1);
        for (size_t n = 0; n < line.size(); ++n) line[n] = r0[n] + (r1[n] - r0[n]) * y.f;
        for (size_t c = 0; c < readCols; ++c) {
            const AxisTap& x = cols.reads[c];
            for (int k = 0; k < 3; ++k) {
                float v = line[x.i0 * 3 + k] + (line[x.i1 * 3 + k] - line[x.i0 * 3 + k]) * x.f;
                if (brightPass) {
                    v *= v;
                    v *= v;
                }
                reads[c * 3 + k] = v;
            }
        }
        float* out = across.data() + r * width * 3;
        for (int i = 0; i < width; ++i) {
            float sum[3] = {0, 0, 0};
            for (int t = 0; t < 9; ++t) {
                const float* v = reads.data() + cols.index[static_cast<size_t>(i) * 9 + t] * 3;
                for (int k = 0; k < 3; ++k) sum[k] += v[k] * kBloomWeights[t];
            }
            for (int k = 0; k < 3; ++k) out[i * 3 + k] = sum[k];
        }
    }
    // The halving of the bright pass folds into the final scale.
    const float scale = brightPass ? 1.02352f * 0.5f : 1.02352f;
    PostTarget out(width, height);
    for (int j = 0; j < height; ++j) {
        float* o = out.Row(j);
        for (int t = 0; t < 9; ++t) {
            const float* from =
                across.data() + static_cast<size_t>(rows.index[static_cast<size_t>(j) * 9 + t]) * width * 3;
            for (int n = 0; n < width * 3; ++n) o[n] += from[n] * kBloomWeights[t];
        }
        for (int n = 0; n < width * 3; ++n) o[n] = Quantise8(o[n] * scale);
    }
    return out;
}

// ---- 4: present

namespace {

float FilmicCurve(float x) {
    const float A = 0.15f, B = 0.50f, C = 0.10f, D = 0.20f, E = 0.02f, F = 0.30f;
    return (x * (A * x + C * B) + D * E) / (x * (A * x + B) + D * F) - E / F;
}

struct PresentConstants {
    float exposure;    // of the bloom tone map
    float whiteCurve;  // FilmicCurve(whitePoint)
    float contrast;    // 0.6 * MOX_ImageContrast
    float gamma;
    float vibrance;
    float vibranceSign;
    float grey;
    float sepia;
    float bloomDesaturation;
};

// One row, step by step over whole planes, so that each loop is vectorised.
struct PresentRow {
    std::vector<float> r, g, b;
    explicit PresentRow(int width) : r(width), g(width), b(width) {}
};

void PresentPixels(const PresentConstants& k, const float* scene, const float* bloomSum, float* out, PresentRow& row) {
    const int width = static_cast<int>(row.r.size());
    float* R = row.r.data();
    float* G = row.g.data();
    float* B = row.b.data();
    for (int i = 0; i < width; ++i) {
        float bloom[3], colour[3];
        for (int c = 0; c < 3; ++c) bloom[c] = FilmicCurve(bloomSum[i * 3 + c] * 0.125f * k.exposure) / k.whiteCurve;
        const float bloomGrey = (bloom[0] + bloom[1] + bloom[2]) * 0.333f;
        for (int c = 0; c < 3; ++c) {
            bloom[c] += (bloomGrey - bloom[c]) * k.bloomDesaturation;
            // Screen blend.
            colour[c] = 1.0f - (1.0f - scene[i * 3 + c]) * (1.0f - bloom[c]);
        }
        // Contrast on the luma only, chroma kept.
        const float luma = colour[0] * 0.2126f + colour[1] * 0.7152f + colour[2] * 0.0722f;
        const float curved = luma * (luma * (1.5f - luma) + 0.5f);
        const float contrasted = luma + (curved - luma) * k.contrast;
        R[i] = Saturate(contrasted + (colour[0] - luma)) * 1.0717735f;  // 2^0.1
        G[i] = Saturate(contrasted + (colour[1] - luma)) * 1.0717735f;
        B[i] = Saturate(contrasted + (colour[2] - luma)) * 1.0717735f;
    }
    for (int i = 0; i < width; ++i) R[i] = ShaderPow(R[i], k.gamma);
    for (int i = 0; i < width; ++i) G[i] = ShaderPow(G[i], k.gamma);
    for (int i = 0; i < width; ++i) B[i] = ShaderPow(B[i], k.gamma);
    for (int i = 0; i < width; ++i) {
        float colour[3] = {R[i], G[i], B[i]};
        // Vibrance.
        const float high = colour[0] > colour[1] ? (colour[0] > colour[2] ? colour[0] : colour[2])
                                                 : (colour[1] > colour[2] ? colour[1] : colour[2]);
        const float low = colour[0] < colour[1] ? (colour[0] < colour[2] ? colour[0] : colour[2])
                                                : (colour[1] < colour[2] ? colour[1] : colour[2]);
        const float vibranceLuma = colour[0] * 0.212656f + colour[1] * 0.715158f + colour[2] * 0.072186f;
        const float amount = 1.0f + k.vibrance * (1.0f - k.vibranceSign * (high - low));
        for (float& c : colour) c = vibranceLuma + (c - vibranceLuma) * amount;
        const float greyLevel = colour[0] * 0.3f + colour[1] * 0.59f + colour[2] * 0.11f;
        for (float& c : colour) c += (greyLevel - c) * k.grey;
        // Sepia: toward the colour times (0.55, 0.43, 0.42) * 2.55.
        R[i] = colour[0] + (colour[0] * 0.55f * 2.55f - colour[0]) * k.sepia;
        G[i] = colour[1] + (colour[1] * 0.43f * 2.55f - colour[1]) * k.sepia;
        B[i] = colour[2] + (colour[2] * 0.42f * 2.55f - colour[2]) * k.sepia;
    }
    for (int i = 0; i < width; ++i) {
        out[i * 3 + 0] = Quantise8(Saturate(R[i]));
        out[i * 3 + 1] = Quantise8(Saturate(G[i]));
        out[i * 3 + 2] = Quantise8(Saturate(B[i]));
    }
}

}  // namespace

PostTarget Present(const PostTarget& scene, const std::array<PostTarget, kBloomLevels>& bloom,
                   const PostTarget& luminance, const PostChainSettings& s, int threads) {
    const int width = scene.width, height = scene.height;
    // Dark surroundings open the eye: more bloom after a dark average.
    const float averageLuminance = luminance.rgb[0];
    const float adaptation = std::clamp(std::exp(1.0f - averageLuminance), 1.0f, 3.0f);
    PresentConstants k;
    k.exposure = 7.5f * s.BloomIntensity * adaptation;
    k.whiteCurve = FilmicCurve(11.2f);
    k.contrast = 0.6f * s.ImageContrast;
    k.gamma = s.Gamma;
    k.vibrance = s.ColorVibrance;
    k.vibranceSign = s.ColorVibrance > 0 ? 1.0f : (s.ColorVibrance < 0 ? -1.0f : 0.0f);
    k.grey = s.ImageGrayLevel;
    k.sepia = s.ImageSepiaLevel;
    k.bloomDesaturation = s.BloomColorDesaturation;

    // The bloom targets are read at this target's texel centres: each level's
    // rows are first widened to this target's width, then blended per row.
    const double halfTexelU = ViewHalfTexel(width, 1.0f), halfTexelV = ViewHalfTexel(height, 1.0f);
    std::array<PostTarget, kBloomLevels> widened;
    std::array<std::vector<AxisTap>, kBloomLevels> rowTaps;
    for (int l = 0; l < kBloomLevels; ++l) {
        const PostTarget& level = bloom[l];
        widened[l] = PostTarget(width, level.height);
        std::vector<AxisTap> columnTaps(width);
        for (int i = 0; i < width; ++i) columnTaps[i] = LinearTap(QuadCoord(i, width) + halfTexelU, level.width);
        for (int r = 0; r < level.height; ++r) {
            const float* in = level.Row(r);
            float* o = widened[l].Row(r);
            for (int i = 0; i < width; ++i) {
                const AxisTap& x = columnTaps[i];
                for (int c = 0; c < 3; ++c)
                    o[i * 3 + c] = in[x.i0 * 3 + c] + (in[x.i1 * 3 + c] - in[x.i0 * 3 + c]) * x.f;
            }
        }
        for (int j = 0; j < height; ++j)
            rowTaps[l].push_back(LinearTap(QuadCoord(j, height) + halfTexelV, level.height));
    }
    PostTarget out(width, height);
    ForRowBands(height, threads, [&](int first, int last) {
        std::vector<float> bloomRow(static_cast<size_t>(width) * 3);
        PresentRow row(width);
        for (int j = first; j < last; ++j) {
            std::fill(bloomRow.begin(), bloomRow.end(), 0.0f);
            for (int l = 0; l < kBloomLevels; ++l) {
                const AxisTap& y = rowTaps[l][j];
                const float* r0 = widened[l].Row(y.i0);
                const float* r1 = widened[l].Row(y.i1);
                for (size_t n = 0; n < bloomRow.size(); ++n) bloomRow[n] += r0[n] + (r1[n] - r0[n]) * y.f;
            }
            PresentPixels(k, scene.Row(j), bloomRow.data(), out.Row(j), row);
        }
    });
    return out;
}

// ---- 5: sharpen

// The four half-texel diagonal reads average 2 x 2 texels each: together a
// 1-2-1 kernel along both axes, with the edges clamped.
PostTarget Sharpen(const PostTarget& present, float sharpness, int threads) {
    const int width = present.width, height = present.height, n3 = width * 3;
    PostTarget across(width, height);
    for (int j = 0; j < height; ++j) {
        const float* in = present.Row(j);
        float* o = across.Row(j);
        for (int c = 0; c < 3; ++c) {
            o[c] = (in[c] + 2.0f * in[c] + in[std::min(3, n3 - 3) + c]) * 0.25f;
            o[n3 - 3 + c] = (in[std::max(0, n3 - 6) + c] + 2.0f * in[n3 - 3 + c] + in[n3 - 3 + c]) * 0.25f;
        }
        for (int n = 3; n < n3 - 3; ++n) o[n] = (in[n - 3] + 2.0f * in[n] + in[n + 3]) * 0.25f;
    }
    const float strength = 0.8f * sharpness;
    const float weights[3] = {0.2126f * strength, 0.7152f * strength, 0.0722f * strength};
    PostTarget out(width, height);
    ForRowBands(height, threads, [&](int first, int last) {
        std::vector<float> sharp(n3);
        for (int j = first; j < last; ++j) {
            const float* up = across.Row(ClampIndex(j - 1, height));
            const float* mid = across.Row(j);
            const float* down = across.Row(ClampIndex(j + 1, height));
            const float* colour = present.Row(j);
            for (int n = 0; n < n3; ++n) sharp[n] = colour[n] - (up[n] + 2.0f * mid[n] + down[n]) * 0.25f;
            float* o = out.Row(j);
            for (int i = 0; i < width; ++i) {
                const float* d = &sharp[i * 3];
                const float boost =
                    std::clamp(d[0] * weights[0] + d[1] * weights[1] + d[2] * weights[2], -0.04f, 0.04f);
                for (int c = 0; c < 3; ++c) o[i * 3 + c] = Quantise8(Saturate(colour[i * 3 + c] + boost));
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

// Sum of the kernel's taps around every texel of rows [first, last), edges clamped.
void Convolve(const PostTarget& in, const std::vector<KernelTap>& kernel, PostTarget& out, int first, int last) {
    const int width = in.width, height = in.height;
    for (int j = first; j < last; ++j) {
        float* o = out.Row(j);
        for (const KernelTap& t : kernel) {
            const float* row = in.Row(ClampIndex(j + t.dy, height));
            const int first = std::clamp(-t.dx, 0, width), last = std::clamp(width - t.dx, first, width);
            for (int i = 0; i < first; ++i)
                for (int c = 0; c < 3; ++c) o[i * 3 + c] += t.weight * row[ClampIndex(i + t.dx, width) * 3 + c];
            const float* shifted = row + t.dx * 3;
            for (int n = first * 3; n < last * 3; ++n) o[n] += t.weight * shifted[n];
            for (int i = last; i < width; ++i)
                for (int c = 0; c < 3; ++c) o[i * 3 + c] += t.weight * row[ClampIndex(i + t.dx, width) * 3 + c];
        }
    }
}

constexpr float kHDRRing[8][2] = {{1.5f, 1.5f}, {-1.5f, 1.5f}, {1.5f, -1.5f}, {-1.5f, -1.5f},
                                  {0.0f, 2.5f}, {0.0f, -2.5f}, {2.5f, 0.0f},  {-2.5f, 0.0f}};

}  // namespace

PostTarget Hdr(const PostTarget& sharpen, float hdrExposure, int threads) {
    const float radius1 = 0.845f;
    const float radius2 = 0.9f * hdrExposure;
    // colour + ring2 * 0.010 - ring1 * 0.005, as one kernel.
    std::vector<KernelTap> kernel = {{0, 0, 1.0f}};
    for (const auto& offset : kHDRRing) {
        AddLinearRead(kernel, offset[0] * radius1, offset[1] * radius1, -0.005f);
        AddLinearRead(kernel, offset[0] * radius2, offset[1] * radius2, 0.010f);
    }
    const float spread = radius2 - radius1;
    PostTarget out(sharpen.width, sharpen.height);
    ForRowBands(sharpen.height, threads, [&](int first, int last) {
        Convolve(sharpen, kernel, out, first, last);
        const size_t end = static_cast<size_t>(last) * sharpen.width * 3;
        for (size_t n = static_cast<size_t>(first) * sharpen.width * 3; n < end; ++n) {
            const float colour = sharpen.rgb[n];
            const float hdr = out.rgb[n] * spread;
            out.rgb[n] = Quantise8(Saturate(ShaderPow(std::fabs(colour + hdr), 1.1f) + hdr));
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

// Never destroyed: the preview's thread may still read it while the process ends.
const std::vector<BandingCell>& BandingCells() {
    static const std::vector<BandingCell>* cells = new std::vector<BandingCell>([] {
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
    }());
    return *cells;
}

// A texel with its three channels and a spare lane, so that a linear read is
// a few vector operations with SampleLinear's arithmetic per channel.
typedef float Texel4 __attribute__((vector_size(16)));

// One of the eight reads of a pixel: the offset of its first texel and the
// weights, fixed for a cell once the view's aspect is known.
struct BandingRead {
    int dx, dy;
    float fx, fy;
};

struct BandingReads {
    BandingRead read[2][4];
    Texel4 noise;  // 0.006 * (rand - 0.5) per channel
};

BandingRead ReadOffset(float x, float y) {
    const int bx = FloorToInt(x), by = FloorToInt(y);
    return {bx, by, x - static_cast<float>(bx), y - static_cast<float>(by)};
}

// The cells' reads for a view of this aspect. The quarter turns happen in
// texture coordinates, so on a wide view they stretch across and shrink along.
std::vector<BandingReads> ReadsForAspect(float aspect) {
    const std::vector<BandingCell>& cells = BandingCells();
    std::vector<BandingReads> reads(cells.size());
    for (size_t n = 0; n < cells.size(); ++n) {
        const BandingCell& cell = cells[n];
        for (int k = 0; k < 2; ++k) {
            const float dx = cell.d[k][0], dy = cell.d[k][1];
            reads[n].read[k][0] = ReadOffset(dx, dy);
            reads[n].read[k][1] = ReadOffset(-dy * aspect, dx / aspect);
            reads[n].read[k][2] = ReadOffset(-dx, -dy);
            reads[n].read[k][3] = ReadOffset(dy * aspect, -dx / aspect);
        }
        for (int c = 0; c < 3; ++c) reads[n].noise[c] = 0.006f * (cell.noise[c] - 0.5f);
        reads[n].noise[3] = 0.0f;
    }
    return reads;
}

inline __attribute__((always_inline)) Texel4 Blend(Texel4 a, Texel4 b, Texel4 c, Texel4 d, float fx, float fy) {
    const Texel4 top = a + (b - a) * fx;
    const Texel4 bottom = c + (d - c) * fx;
    return top + (bottom - top) * fy;
}

// A linear read away from the edges: no clamping needed.
inline __attribute__((always_inline)) Texel4 ReadInside(const Texel4* at, int width, const BandingRead& r) {
    const Texel4* p = at + r.dy * width + r.dx;
    return Blend(p[0], p[1], p[width], p[width + 1], r.fx, r.fy);
}

// A linear read near the edges, clamped as the sampler clamps.
Texel4 ReadClamped(const Texel4* texels, int width, int height, int i, int j, const BandingRead& r) {
    const int x0 = ClampIndex(i + r.dx, width), x1 = ClampIndex(i + r.dx + 1, width);
    const Texel4* r0 = texels + static_cast<size_t>(ClampIndex(j + r.dy, height)) * width;
    const Texel4* r1 = texels + static_cast<size_t>(ClampIndex(j + r.dy + 1, height)) * width;
    return Blend(r0[x0], r0[x1], r1[x0], r1[x1], r.fx, r.fy);
}

}  // namespace

PostTarget Final(const PostTarget& hdr, bool colorBandingFix, int threads) {
    if (!colorBandingFix) return hdr;
    const int width = hdr.width, height = hdr.height;
    const float aspect = static_cast<float>(width) / static_cast<float>(height);
    const std::vector<BandingReads> cells = ReadsForAspect(aspect);
    std::vector<Texel4> texels(static_cast<size_t>(width) * height);
    for (size_t p = 0; p < texels.size(); ++p)
        texels[p] = Texel4{hdr.rgb[p * 3], hdr.rgb[p * 3 + 1], hdr.rgb[p * 3 + 2], 0.0f};
    // Reads reach 32 pixels from the pixel, stretched by the aspect across
    // (or along, on a tall view).
    const int marginX = static_cast<int>(32.0f * std::max(1.0f, aspect)) + 2;
    const int marginY = static_cast<int>(32.0f * std::max(1.0f, 1.0f / aspect)) + 2;
    PostTarget out(width, height);
    ForRowBands(height, threads, [&](int first, int last) {
        for (int j = first; j < last; ++j) {
            const BandingReads* cellRow = cells.data() + static_cast<size_t>(j % 289) * 289;
            const bool rowInside = j >= marginY && j < height - marginY;
            float* o = out.Row(j);
            for (int i = 0, column = 0; i < width; ++i, column = column == 288 ? 0 : column + 1) {
                const BandingReads& cell = cellRow[column];
                const Texel4* at = texels.data() + static_cast<size_t>(j) * width + i;
                const bool inside = rowInside && i >= marginX && i < width - marginX;
                Texel4 colour = *at;
                for (int k = 0; k < 2; ++k) {
                    const BandingRead* r = cell.read[k];
                    const Texel4 sum = inside ? ReadInside(at, width, r[0]) + ReadInside(at, width, r[1]) +
                                                    ReadInside(at, width, r[2]) + ReadInside(at, width, r[3])
                                              : ReadClamped(texels.data(), width, height, i, j, r[0]) +
                                                    ReadClamped(texels.data(), width, height, i, j, r[1]) +
                                                    ReadClamped(texels.data(), width, height, i, j, r[2]) +
                                                    ReadClamped(texels.data(), width, height, i, j, r[3]);
                    const Texel4 mean = sum * 0.25f;
                    // Every channel within the threshold of the mean takes it.
                    const Texel4 difference = mean - colour;
                    const float threshold = 0.003f * static_cast<float>(k + 1);
                    colour = (difference <= threshold && difference >= -threshold) ? mean : colour;
                }
                colour += cell.noise;
                for (int c = 0; c < 3; ++c) o[i * 3 + c] = Quantise8(colour[c]);
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

#pragma once
// The render targets of the post chain on the CPU and the texture reads the
// shader makes from them: 8 bits per channel, linear filtering with clamped
// addressing, Direct3D 9 texel centres; and the working pieces the steps
// share (bands of rows on threads, rows padded for reads past the edges).
// Used by the post chain's steps and the scene effects before it.
#include <emmintrin.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <thread>
#include <vector>

#include "preview/RgbaImage.h"

// A target holds what an A8R8G8B8 target holds, a byte per channel (the
// value / 255), in three planes so that loops run along a row of one channel.
struct PostTarget {
    int width = 0;
    int height = 0;
    int stride = 0;  // bytes from a row to the next: the width rounded up to 16
    std::vector<uint8_t> bytes;  // planes R, G, B, rows top first

    PostTarget() = default;
    PostTarget(int w, int h)
        : width(w), height(h), stride((w + 15) & ~15), bytes(static_cast<size_t>(stride) * h * 3, 0) {}
    uint8_t* Row(int channel, int y) { return bytes.data() + (static_cast<size_t>(channel) * height + y) * stride; }
    const uint8_t* Row(int channel, int y) const {
        return bytes.data() + (static_cast<size_t>(channel) * height + y) * stride;
    }
    float At(int channel, int x, int y) const { return Row(channel, y)[x] * (1.0f / 255.0f); }
};

// Between an RGBA picture and the planes of a target (alpha dropped, then opaque).
PostTarget TargetFromImage(const RgbaImage& image);
RgbaImage ImageFromTarget(const PostTarget& target);

// floor without a library call (the baseline x86-64 target has no rounding
// instruction).
inline int FloorToInt(float x) {
    const int i = static_cast<int>(x);
    return i - (x < static_cast<float>(i) ? 1 : 0);
}
inline int FloorToInt(double x) {
    const int i = static_cast<int>(x);
    return i - (x < static_cast<double>(i) ? 1 : 0);
}

inline float Saturate(float v) { return v > 0.0f ? (v < 1.0f ? v : 1.0f) : 0.0f; }

// What writing a colour into an 8-bit target keeps: clamped, to the nearest
// step, halves to the even one (NaN is written as 0, as the hardware does).
inline uint8_t ToByte(float v) { return static_cast<uint8_t>(_mm_cvtss_si32(_mm_set_ss(Saturate(v) * 255.0f))); }

// The two texels a linear read at a texture coordinate blends along one axis,
// and the weight of the second. A coordinate of 0 is the texel's left edge.
struct AxisTap {
    int i0 = 0;
    int i1 = 0;
    float f = 0.0f;
};

inline int ClampIndex(int i, int size) { return i < 0 ? 0 : (i >= size ? size - 1 : i); }

// The texture coordinate a full-target quad gives pixel i of a target N
// pixels wide: Direct3D 9 puts texel corners on pixel centres.
inline double QuadCoord(int pixel, int targetPixels) { return static_cast<double>(pixel) / targetPixels; }

// Half a texel of a target of the view's size times the ratio: the shader's
// ViewTexCoord offset, computed from the unrounded size as the shader does.
inline double ViewHalfTexel(int viewPixels, float ratio) {
    return 0.5 / std::max(static_cast<double>(static_cast<float>(viewPixels) * ratio), 1.0);
}

inline AxisTap LinearTap(double coord, int size) {
    const double t = coord * size - 0.5;
    const int base = FloorToInt(t);
    AxisTap tap;
    tap.f = static_cast<float>(t - base);
    tap.i0 = ClampIndex(base, size);
    tap.i1 = ClampIndex(base + 1, size);
    return tap;
}

// tex2D with a linear sampler.
inline void SampleLinear(const PostTarget& t, const AxisTap& x, const AxisTap& y, float out[3]) {
    for (int c = 0; c < 3; ++c) {
        const float a = t.At(c, x.i0, y.i0), b = t.At(c, x.i1, y.i0);
        const float d = t.At(c, x.i0, y.i1), e = t.At(c, x.i1, y.i1);
        const float top = a + (b - a) * x.f;
        const float bottom = d + (e - d) * x.f;
        out[c] = top + (bottom - top) * y.f;
    }
}

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

// A target's rows as floats 0..1 around a row going down, each widened by
// `pad` copies of its edge texels on both sides (clamped addressing across);
// rows past the top and bottom repeat the edge rows. Holds the 2 * reach + 1
// rows last asked for: a step reads rows up to `reach` above and below the
// row it writes.
struct PaddedRows {
    PaddedRows(const PostTarget& target, int pad, int reach);
    // Row y of a channel; index 0 is column 0, -pad the first padded texel.
    const float* Row(int channel, int y);

    const PostTarget& target;
    const int pad, pitch, count;
    std::vector<float> values;  // [slot][channel][pitch]
    std::vector<int> held;      // the row in each slot
};


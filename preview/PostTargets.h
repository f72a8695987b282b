#pragma once
// The render targets of the post chain on the CPU and the texture reads the
// shader makes from them: 8 bits per channel, linear filtering with clamped
// addressing, Direct3D 9 texel centres. Used by PostChain.cpp.
#include <cmath>
#include <cstdint>
#include <vector>

// A target holds what an A8R8G8B8 target holds: every value is k / 255.
struct PostTarget {
    int width = 0;
    int height = 0;
    std::vector<float> rgb;  // interleaved, rows top first

    PostTarget() = default;
    PostTarget(int w, int h) : width(w), height(h), rgb(static_cast<size_t>(w) * h * 3, 0.0f) {}
    float* Row(int y) { return rgb.data() + static_cast<size_t>(y) * width * 3; }
    const float* Row(int y) const { return rgb.data() + static_cast<size_t>(y) * width * 3; }
};

// What writing a colour into an 8-bit target keeps: clamped, to the nearest
// step (NaN is written as 0, as the hardware does).
inline float Quantise8(float v) {
    if (!(v > 0.0f)) return 0.0f;
    if (v >= 1.0f) return 1.0f;
    return std::floor(v * 255.0f + 0.5f) * (1.0f / 255.0f);
}
inline uint8_t ToByte(float v) { return static_cast<uint8_t>(Quantise8(v) * 255.0f + 0.5f); }

// The two texels a linear read at a texture coordinate blends along one axis,
// and the weight of the second. A coordinate of 0 is the texel's left edge.
struct AxisTap {
    int i0 = 0;
    int i1 = 0;
    float f = 0.0f;
};

inline int ClampIndex(int i, int size) { return i < 0 ? 0 : (i >= size ? size - 1 : i); }

inline AxisTap LinearTap(double coord, int size) {
    const double t = coord * size - 0.5;
    const double base = std::floor(t);
    AxisTap tap;
    tap.f = static_cast<float>(t - base);
    tap.i0 = ClampIndex(static_cast<int>(base), size);
    tap.i1 = ClampIndex(static_cast<int>(base) + 1, size);
    return tap;
}

// tex2D with a linear sampler.
inline void SampleLinear(const PostTarget& t, const AxisTap& x, const AxisTap& y, float out[3]) {
    const float* r0 = t.Row(y.i0);
    const float* r1 = t.Row(y.i1);
    for (int c = 0; c < 3; ++c) {
        const float top = r0[x.i0 * 3 + c] + (r0[x.i1 * 3 + c] - r0[x.i0 * 3 + c]) * x.f;
        const float bottom = r1[x.i0 * 3 + c] + (r1[x.i1 * 3 + c] - r1[x.i0 * 3 + c]) * x.f;
        out[c] = top + (bottom - top) * y.f;
    }
}

inline float Saturate(float v) { return v > 0.0f ? (v < 1.0f ? v : 1.0f) : 0.0f; }

// pow as the shader compilers emit it, exp2(y * log2(x)): pow(0, 0) is NaN
// there, not 1. Series for log2 and exp2 (relative error below 1e-6) keep the
// per-pixel powers of the present and HDR steps cheap.
inline float FastLog2(float x) {
    if (!(x > 0.0f)) return x == 0.0f ? -INFINITY : NAN;
    int exponent = 0;
    float m = std::frexp(x, &exponent);  // [0.5, 1)
    if (m < 0.70710678f) {
        m *= 2.0f;
        --exponent;
    }
    const float t = (m - 1.0f) / (m + 1.0f);  // |t| < 0.172: the atanh series converges fast
    const float t2 = t * t;
    const float series = t * (2.0f + t2 * (0.6666667f + t2 * (0.4f + t2 * (0.2857143f + t2 * 0.2222222f))));
    return static_cast<float>(exponent) + series * 1.4426950408889634f;
}

inline float FastExp2(float x) {
    if (std::isnan(x)) return x;
    if (x < -126.0f) return 0.0f;
    if (x > 127.0f) return INFINITY;
    const float whole = std::floor(x);
    const float f = x - whole;
    // exp2 on [0, 1): degree-7 Taylor series of e^(f ln 2).
    const float l = f * 0.6931471805599453f;
    const float p =
        1.0f + l * (1.0f + l * (0.5f + l * (0.16666667f + l * (0.041666668f + l * (0.008333334f +
                                                                                  l * (0.0013888889f + l * 0.00019841270f))))));
    return std::ldexp(p, static_cast<int>(whole));
}

inline float ShaderPow(float x, float y) { return FastExp2(y * FastLog2(x)); }

#pragma once
// The render targets of the post chain on the CPU and the texture reads the
// shader makes from them: 8 bits per channel, linear filtering with clamped
// addressing, Direct3D 9 texel centres. Used by PostChain.cpp.
#include <cmath>
#include <cstdint>
#include <cstring>
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

// What writing a colour into an 8-bit target keeps: clamped, to the nearest
// step (NaN is written as 0, as the hardware does).
inline float Quantise8(float v) {
    const float clamped = v > 0.0f ? (v < 1.0f ? v : 1.0f) : 0.0f;  // selects, no branches
    return static_cast<float>(static_cast<int>(clamped * 255.0f + 0.5f)) * (1.0f / 255.0f);
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
    const int base = FloorToInt(t);
    AxisTap tap;
    tap.f = static_cast<float>(t - base);
    tap.i0 = ClampIndex(base, size);
    tap.i1 = ClampIndex(base + 1, size);
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
// there, not 1. log2 and exp2 from the float's bits and short series
// (relative error about 2e-6) keep the per-pixel powers cheap.
// Without branches, so that loops over them are vectorised. Zero and values
// below the normal range give -inf, as GPUs flush denormals.
inline float FastLog2(float x) {
    uint32_t bits;
    std::memcpy(&bits, &x, 4);
    const int exponent = static_cast<int>(bits >> 23) - 127;
    const uint32_t mantissaBits = (bits & 0x007fffffu) | 0x3f800000u;
    float m;
    std::memcpy(&m, &mantissaBits, 4);  // [1, 2)
    const bool upper = m > 1.41421356f;
    const float t = (upper ? m * 0.5f : m) - 1.0f;
    // log2(1 + t) = t q(t) with a least-squares q on [sqrt(1/2) - 1, sqrt(2) - 1].
    const float q =
        1.4426964f +
        t * (-0.72136404f +
             t * (0.48062915f + t * (-0.35935065f + t * (0.2956336f + t * (-0.26950627f + t * 0.17212873f)))));
    const float result = static_cast<float>(exponent + (upper ? 1 : 0)) + t * q;
    return x >= 1.17549435e-38f ? (x <= 3.4e38f ? result : x) : (x == x && x >= 0.0f ? -INFINITY : NAN);
}

inline float FastExp2(float x) {
    const float clamped = x >= -126.0f ? (x <= 127.0f ? x : 127.0f) : -126.0f;  // NaN goes to -126 here
    const int whole = FloorToInt(clamped);
    // exp2 on [0, 1): a least-squares polynomial of degree 5.
    const float f = clamped - static_cast<float>(whole);
    const float p =
        0.99999990f +
        f * (0.69315462f + f * (0.24014077f + f * (0.055863283f + f * (0.0089462141f + f * 0.0018951075f))));
    const uint32_t scaleBits = static_cast<uint32_t>(whole + 127) << 23;
    float scale;
    std::memcpy(&scale, &scaleBits, 4);
    return x != x ? x : (x < -126.0f ? 0.0f : (x > 127.0f ? INFINITY : p * scale));
}

inline float ShaderPow(float x, float y) { return FastExp2(y * FastLog2(x)); }

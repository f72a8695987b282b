#pragma once
// Four floats at a time with SSE2, which every x86-64 processor has: the
// arithmetic of the preview's per-pixel loops, reads and writes of 8-bit
// values, and pow as shader compilers emit it.
#include <emmintrin.h>

#include <cmath>
#include <cstdint>
#include <cstring>

using F4 = __m128;

inline F4 Splat(float v) { return _mm_set1_ps(v); }
inline F4 Load(const float* p) { return _mm_loadu_ps(p); }
inline void Store(float* p, F4 v) { _mm_storeu_ps(p, v); }
inline F4 Min(F4 a, F4 b) { return _mm_min_ps(a, b); }
inline F4 Max(F4 a, F4 b) { return _mm_max_ps(a, b); }
// Lanes of a where the mask is set, of b elsewhere.
inline F4 Select(F4 mask, F4 a, F4 b) { return _mm_or_ps(_mm_and_ps(mask, a), _mm_andnot_ps(mask, b)); }
inline F4 Abs(F4 v) { return _mm_and_ps(v, _mm_castsi128_ps(_mm_set1_epi32(0x7fffffff))); }
// saturate(): NaN gives 0 (max returns its second operand for NaN).
inline F4 Saturate(F4 v) { return _mm_min_ps(_mm_max_ps(v, _mm_setzero_ps()), Splat(1.0f)); }

inline F4 Lerp(F4 a, F4 b, F4 t) { return a + (b - a) * t; }
// The dot product of a colour held as three planes with fixed weights.
inline F4 Dot(const F4 v[3], float a, float b, float c) { return v[0] * Splat(a) + v[1] * Splat(b) + v[2] * Splat(c); }

// Four bytes as 0..1, as a read of an 8-bit target gives them.
inline F4 LoadUnorm(const uint8_t* p) {
    int32_t word;
    std::memcpy(&word, p, 4);
    const __m128i zero = _mm_setzero_si128();
    const __m128i wide = _mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(word), zero), zero);
    return _mm_mul_ps(_mm_cvtepi32_ps(wide), Splat(1.0f / 255.0f));
}

// What writing to an 8-bit target keeps: saturated, to the nearest step,
// halves to the even one as GPUs convert (the processor's default rounding).
inline __m128i UnormSteps(F4 v) { return _mm_cvtps_epi32(Saturate(v) * Splat(255.0f)); }
inline void StoreUnorm(uint8_t* p, F4 v) {
    const __m128i steps = UnormSteps(v);
    const int32_t word = _mm_cvtsi128_si32(_mm_packus_epi16(_mm_packs_epi32(steps, steps), steps));
    std::memcpy(p, &word, 4);
}

// What an 8-bit blend unit writes for (SrcAlpha, InvSrcAlpha): the source
// colour and its alpha taken to the target's 8 bits, each product rounded to
// a step, the two added.
inline void StoreBlendedUnorm(uint8_t* p, F4 colour, F4 alpha) {
    int32_t word;
    std::memcpy(&word, p, 4);
    const __m128i zero = _mm_setzero_si128();
    const __m128i stored = _mm_unpacklo_epi8(_mm_cvtsi32_si128(word), zero);  // eight 16-bit lanes, four used
    const __m128i source = _mm_packs_epi32(UnormSteps(colour), zero);
    const __m128i a = _mm_packs_epi32(UnormSteps(alpha), zero);
    // round(x y / 255) for 8-bit x and y: t = x y + 128, (t + t / 256) / 256.
    auto product = [](__m128i x, __m128i y) {
        const __m128i t = _mm_add_epi16(_mm_mullo_epi16(x, y), _mm_set1_epi16(128));
        return _mm_srli_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), 8);
    };
    const __m128i sum = _mm_add_epi16(product(source, a), product(stored, _mm_sub_epi16(_mm_set1_epi16(255), a)));
    word = _mm_cvtsi128_si32(_mm_packus_epi16(sum, zero));
    std::memcpy(p, &word, 4);
}

// log2 and exp2 accurate to about a unit in the last place, so that pow
// gives what the GPU's does up to its own rounding. Log2 takes x >= 0 (the
// callers' values are saturated or absolute); zero gives -inf, as GPUs flush
// values below the normal range.
inline F4 Log2(F4 x) {
    // x = m * 2^e with m in [sqrt(1/2), sqrt(2)): e counted from the bits
    // of sqrt(1/2), and taken off the bits of x.
    const __m128i bits = _mm_castps_si128(x);
    const __m128i exponent = _mm_srai_epi32(_mm_sub_epi32(bits, _mm_set1_epi32(0x3f3504f3)), 23);
    const F4 m = _mm_castsi128_ps(_mm_sub_epi32(bits, _mm_slli_epi32(exponent, 23)));
    // log2(m) = 2 atanh(s) / ln 2 with s = (m - 1) / (m + 1), |s| < 0.172:
    // the series s (1 + s^2/3 + s^4/5 + s^6/7 + s^8/9), in pairs of terms so
    // that the chain of dependent steps stays short.
    const F4 s = (m - Splat(1.0f)) / (m + Splat(1.0f));
    const F4 s2 = s * s;
    const F4 s4 = s2 * s2;
    const F4 series = (Splat(1.0f) + s2 * Splat(1.0f / 3)) + s4 * ((Splat(1.0f / 5) + s2 * Splat(1.0f / 7)) + s4 * Splat(1.0f / 9));
    const F4 result = _mm_cvtepi32_ps(exponent) + s * series * Splat(2.8853900817779268f);  // 2 / ln 2
    return Select(_mm_cmpge_ps(x, Splat(1.17549435e-38f)), result, Splat(-INFINITY));
}

inline F4 Exp2(F4 x) {
    const F4 clamped = Min(Max(x, Splat(-126.0f)), Splat(127.0f));  // NaN becomes -126 here
    // 2^x = 2^n 2^f, n the nearest whole number, f in [-0.5, 0.5].
    const __m128i n = _mm_cvtps_epi32(clamped);
    const F4 f = clamped - _mm_cvtepi32_ps(n);
    // 2^f on [-0.5, 0.5]: a polynomial fitted for the least relative error
    // (below 8e-8), in pairs of terms as above.
    const F4 f2 = f * f;
    const F4 p = (Splat(1.00000007f) + f * Splat(0.693146949f)) +
                 f2 * ((Splat(0.240221218f) + f * Splat(0.0555074262f)) +
                       f2 * (Splat(0.00967545975f) + f * Splat(0.00132669704f)));
    const F4 scale = _mm_castsi128_ps(_mm_slli_epi32(_mm_add_epi32(n, _mm_set1_epi32(127)), 23));
    // NaN stays NaN; below the range (-inf among them) gives 2^-126, which no
    // 8-bit target tells from 0. The callers' powers never reach the top.
    return Select(_mm_cmpunord_ps(x, x), x, p * scale);
}

// pow as the shader compilers emit it, exp2(y * log2(x)): pow(0, 0) is NaN
// there, not 1.
inline F4 ShaderPow(F4 x, F4 y) { return Exp2(y * Log2(x)); }

// ShaderPow over a row, in place. A loop of its own: its long chains of
// dependent steps overlap from one group of four to the next.
inline void ShaderPowRow(float* values, int count, float exponent) {
    for (int i = 0; i < count; i += 4) Store(values + i, ShaderPow(Load(values + i), Splat(exponent)));
}

// ShaderPow of one value.
inline float ShaderPow(float x, float y) { return _mm_cvtss_f32(ShaderPow(Splat(x), Splat(y))); }
// exp as shader compilers emit it: exp2 of the value times log2(e).
inline F4 ShaderExp(F4 x) { return Exp2(x * Splat(1.44269502f)); }

#include "preview/PostTargets.h"

#include "preview/PostChainSteps.h"

PaddedRows::PaddedRows(const PostTarget& t, int padding, int reach)
    : target(t),
      pad(padding),
      pitch(padding + t.stride + padding),
      count(2 * reach + 1),
      values(static_cast<size_t>(count) * 3 * pitch),
      held(count, -1 - reach) {}  // a row no one asks for

const float* PaddedRows::Row(int channel, int y) {
    const int slot = ((y % count) + count) % count;
    float* const first = values.data() + static_cast<size_t>(slot) * 3 * pitch;
    if (held[slot] != y) {
        held[slot] = y;
        for (int c = 0; c < 3; ++c) {
            const uint8_t* in = target.Row(c, ClampIndex(y, target.height));
            float* o = first + static_cast<size_t>(c) * pitch;
            for (int i = 0; i < target.width; ++i) o[pad + i] = in[i] * (1.0f / 255.0f);
            std::fill(o, o + pad, o[pad]);
            std::fill(o + pad + target.width, o + pitch, o[pad + target.width - 1]);
        }
    }
    return first + static_cast<size_t>(channel) * pitch + pad;
}

// Sixteen pixels at a time between RGBA and the planes, the rest one by one.
PostTarget TargetFromImage(const RgbaImage& image) {
    PostTarget t(image.width, image.height);
    const __m128i low = _mm_set1_epi32(0xff);
    for (int y = 0; y < image.height; ++y) {
        const uint8_t* in = image.pixels.data() + static_cast<size_t>(y) * image.width * 4;
        uint8_t* o[3] = {t.Row(0, y), t.Row(1, y), t.Row(2, y)};
        int x = 0;
        for (; x + 16 <= image.width; x += 16) {
            __m128i pixels[4];
            for (int q = 0; q < 4; ++q) pixels[q] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + (x + q * 4) * 4));
            for (int c = 0; c < 3; ++c) {
                __m128i channel[4];
                for (int q = 0; q < 4; ++q) channel[q] = _mm_and_si128(_mm_srli_epi32(pixels[q], 8 * c), low);
                const __m128i packed = _mm_packus_epi16(_mm_packs_epi32(channel[0], channel[1]),
                                                        _mm_packs_epi32(channel[2], channel[3]));
                _mm_storeu_si128(reinterpret_cast<__m128i*>(o[c] + x), packed);
            }
        }
        for (; x < image.width; ++x)
            for (int c = 0; c < 3; ++c) o[c][x] = in[x * 4 + c];
    }
    return t;
}

RgbaImage ImageFromTarget(const PostTarget& t) {
    RgbaImage image{t.width, t.height, std::vector<uint8_t>(static_cast<size_t>(t.width) * t.height * 4)};
    const __m128i opaque = _mm_set1_epi8(static_cast<char>(0xff));
    for (int y = 0; y < t.height; ++y) {
        uint8_t* o = image.pixels.data() + static_cast<size_t>(y) * t.width * 4;
        const uint8_t* in[3] = {t.Row(0, y), t.Row(1, y), t.Row(2, y)};
        int x = 0;
        for (; x + 16 <= t.width; x += 16) {
            __m128i plane[3];
            for (int c = 0; c < 3; ++c) plane[c] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in[c] + x));
            const __m128i rg[2] = {_mm_unpacklo_epi8(plane[0], plane[1]), _mm_unpackhi_epi8(plane[0], plane[1])};
            const __m128i ba[2] = {_mm_unpacklo_epi8(plane[2], opaque), _mm_unpackhi_epi8(plane[2], opaque)};
            for (int h = 0; h < 2; ++h) {
                _mm_storeu_si128(reinterpret_cast<__m128i*>(o + (x + h * 8) * 4), _mm_unpacklo_epi16(rg[h], ba[h]));
                _mm_storeu_si128(reinterpret_cast<__m128i*>(o + (x + h * 8 + 4) * 4), _mm_unpackhi_epi16(rg[h], ba[h]));
            }
        }
        for (; x < t.width; ++x) {
            for (int c = 0; c < 3; ++c) o[x * 4 + c] = in[c][x];
            o[x * 4 + 3] = 255;
        }
    }
    return image;
}

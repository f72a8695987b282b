// FinalPS: the colour banding fix. Its hash depends on the pixel's position
// modulo 289 only, so the reads and the noise of every cell are tabulated
// once per size of view and kept in the caller's PostChainState.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "preview/PostChainSteps.h"
#include "preview/Simd.h"

namespace PostStep {

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

std::shared_ptr<const BandingLayout> MakeBandingLayout(const std::vector<BandingCell>& cells, int width, int height) {
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

// The hash's cells, the same for every size, and the reads for the last size
// asked for: the preview asks for the same size run after run.
struct BandingTables {
    std::vector<BandingCell> cells = MakeBandingCells();
    std::shared_ptr<const BandingLayout> layout;
};

PostTarget Final(const PostTarget& hdr, bool colorBandingFix, PostChainState& state, int threads) {
    if (!colorBandingFix) return hdr;
    const int width = hdr.width, height = hdr.height;
    if (!state.banding) state.banding = std::make_shared<BandingTables>();
    std::shared_ptr<const BandingLayout>& kept = state.banding->layout;
    if (!kept || kept->width != width || kept->height != height)
        kept = MakeBandingLayout(state.banding->cells, width, height);
    const BandingLayout* const layout = kept.get();
    const int pitch = layout->pitch, padX = layout->padX, padY = layout->padY;
    // The texels with their three channels and a spare lane, edges repeated
    // into the padding as clamped addressing repeats them. The buffer stays
    // with the state: allocating and clearing tens of megabytes every run
    // costs as much as the step.
    const int rows = height + 2 * padY;
    const size_t texelCount = static_cast<size_t>(pitch) * rows * 4;
    if (state.bandingTexels.size() < texelCount) state.bandingTexels.resize(texelCount);
    float* const texels = state.bandingTexels.data();
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

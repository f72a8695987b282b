// PresentPS: the bloom levels tone mapped and blended over the frame, then
// contrast, gamma, vibrance, grey and sepia. The bloom targets are read at
// this target's texel centres; where their read weights grow steadily from
// row to row (the coarse levels), the sum is a base plus a slope.
#include <algorithm>
#include <cmath>
#include <vector>

#include "preview/PostChainSteps.h"
#include "preview/Simd.h"

namespace PostStep {

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
                   const PostTarget& luminance, const ShaderSettings& s, int threads) {
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

}  // namespace PostStep

// FXAAPS of PostProcessFXAA.fx: FxaaPixelShader of FXAA3_11.fxh with quality
// preset 29 and luma read from green. Positions are kept in texels of the
// frame (a texture coordinate u is the texel position u * width - 0.5), so
// that reads at texel centres, as with FXAAFix, are the texels themselves,
// as GPUs with their fixed-point filter weights give them.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "preview/GameInputs.h"
#include "preview/SceneEffects.h"

namespace SceneStep {

namespace {

// FxaaSearchStep of FXAA_QUALITY_PRESET 29: the distances, in steps of the
// reciprocal frame, of the end-of-edge search.
constexpr float kSearchSteps[] = {1.0f, 1.5f, 2.0f, 2.0f, 2.0f, 2.0f, 2.0f, 2.0f, 2.0f, 2.0f, 4.0f, 8.0f};

struct Point {
    float x, y;
};

// tex2Dlod with the linear, clamped sampler at a texel position, one channel.
float Read(const PostTarget& frame, int channel, Point p) {
    const int x0 = FloorToInt(p.x), y0 = FloorToInt(p.y);
    const float fx = p.x - static_cast<float>(x0), fy = p.y - static_cast<float>(y0);
    const int xa = ClampIndex(x0, frame.width), xb = ClampIndex(x0 + 1, frame.width);
    const uint8_t* top = frame.Row(channel, ClampIndex(y0, frame.height));
    const uint8_t* bottom = frame.Row(channel, ClampIndex(y0 + 1, frame.height));
    const float a = top[xa] * (1.0f / 255.0f), b = top[xb] * (1.0f / 255.0f);
    const float c = bottom[xa] * (1.0f / 255.0f), d = bottom[xb] * (1.0f / 255.0f);
    const float upper = a + (b - a) * fx, lower = c + (d - c) * fx;
    return upper + (lower - upper) * fy;
}

float Luma(const PostTarget& frame, Point p) { return Read(frame, 1, p); }  // FXAA_GREEN_AS_LUMA

struct FxaaSearch {
    const PostTarget& frame;
    Point rcp;  // the reciprocal frame, in texels
    float subpix, edgeThreshold, edgeThresholdMin;

    // The comparisons of a pixel. Where the two sides are equal up to the
    // rounding of the reads (luma values are steps of 1/255 and reads weigh
    // them by halves and quarters, so sides that differ at all differ by far
    // more), the comparison ties: bit n of `flips` takes the other branch at
    // the n-th tie met.
    struct Decisions {
        uint32_t flips = 0;
        int ties = 0;
        bool operator()(bool exact, float a, float b) {
            if (std::fabs(a - b) > 2.0e-4f) return exact;
            const bool flip = ties < 32 && ((flips >> ties) & 1u) != 0;
            ++ties;
            return exact != flip;
        }
    };

    // Where pixel p reads its colour.
    Point SamplePosition(Point pos, Decisions& decide) const {
        const float lumaC = Luma(frame, pos);
        const float lumaN = Luma(frame, {pos.x, pos.y - rcp.y});
        const float lumaS = Luma(frame, {pos.x, pos.y + rcp.y});
        const float lumaW = Luma(frame, {pos.x - rcp.x, pos.y});
        const float lumaE = Luma(frame, {pos.x + rcp.x, pos.y});

        // Flat regions, and dark ones, stay as they are.
        const float lumaMax = std::max(std::max(std::max(lumaN, lumaS), std::max(lumaW, lumaE)), lumaC);
        const float lumaMin = std::min(std::min(std::min(lumaN, lumaS), std::min(lumaW, lumaE)), lumaC);
        const float range = lumaMax - lumaMin;
        const float threshold = std::max(edgeThresholdMin, lumaMax * edgeThreshold);
        if (decide(range < threshold, range, threshold)) return pos;

        const float lumaNW = Luma(frame, {pos.x - rcp.x, pos.y - rcp.y});
        const float lumaNE = Luma(frame, {pos.x + rcp.x, pos.y - rcp.y});
        const float lumaSW = Luma(frame, {pos.x - rcp.x, pos.y + rcp.y});
        const float lumaSE = Luma(frame, {pos.x + rcp.x, pos.y + rcp.y});

        // Sub-pixel aliasing: the centre against a low-pass of its neighbours.
        const float lumaCross = lumaN + lumaS + lumaW + lumaE;
        const float lumaCorners = lumaNW + lumaNE + lumaSW + lumaSE;
        const float lowPass = (2.0f * lumaCross + lumaCorners) / 12.0f;
        const float speck = Saturate(std::fabs(lowPass - lumaC) / range);
        const float speckCurve = speck * speck * (3.0f - 2.0f * speck);
        const float subpixBlend = speckCurve * speckCurve * subpix;

        // The edge's direction, and the side the edge lies toward.
        const float acrossRows = 2.0f * std::fabs(lumaN + lumaS - 2.0f * lumaC) +
                                 std::fabs(lumaNW + lumaSW - 2.0f * lumaW) + std::fabs(lumaNE + lumaSE - 2.0f * lumaE);
        const float acrossColumns = 2.0f * std::fabs(lumaW + lumaE - 2.0f * lumaC) +
                                    std::fabs(lumaNW + lumaNE - 2.0f * lumaN) +
                                    std::fabs(lumaSW + lumaSE - 2.0f * lumaS);
        const bool horizontal = decide(acrossRows >= acrossColumns, acrossRows, acrossColumns);
        const float lumaBefore = horizontal ? lumaN : lumaW;
        const float lumaAfter = horizontal ? lumaS : lumaE;
        const float gradientBefore = std::fabs(lumaBefore - lumaC);
        const float gradientAfter = std::fabs(lumaAfter - lumaC);
        const bool towardBefore = decide(gradientBefore >= gradientAfter, gradientBefore, gradientAfter);
        float stepAcross = horizontal ? rcp.y : rcp.x;
        if (towardBefore) stepAcross = -stepAcross;
        const float lumaEdgeMean = 0.5f * (lumaC + (towardBefore ? lumaBefore : lumaAfter));
        const float gradientLimit = 0.25f * std::max(gradientBefore, gradientAfter);

        // Both ways along the edge, half a pixel across, until the luma
        // leaves the mean of the two sides.
        Point onEdge = pos, along;
        if (horizontal) {
            onEdge.y += 0.5f * stepAcross;
            along = {rcp.x, 0.0f};
        } else {
            onEdge.x += 0.5f * stepAcross;
            along = {0.0f, rcp.y};
        }
        Point back = {onEdge.x - along.x * kSearchSteps[0], onEdge.y - along.y * kSearchSteps[0]};
        Point forward = {onEdge.x + along.x * kSearchSteps[0], onEdge.y + along.y * kSearchSteps[0]};
        float deltaBack = Luma(frame, back) - lumaEdgeMean;
        float deltaForward = Luma(frame, forward) - lumaEdgeMean;
        auto done = [&](float delta) {
            return decide(std::fabs(delta) >= gradientLimit, std::fabs(delta), gradientLimit);
        };
        bool doneBack = done(deltaBack);
        bool doneForward = done(deltaForward);
        for (size_t i = 1; i < std::size(kSearchSteps) && !(doneBack && doneForward); ++i) {
            const float searchStep = kSearchSteps[i];
            if (!doneBack) {
                back = {back.x - along.x * searchStep, back.y - along.y * searchStep};
                deltaBack = Luma(frame, back) - lumaEdgeMean;
                doneBack = done(deltaBack);
            }
            if (!doneForward) {
                forward = {forward.x + along.x * searchStep, forward.y + along.y * searchStep};
                deltaForward = Luma(frame, forward) - lumaEdgeMean;
                doneForward = done(deltaForward);
            }
        }

        // Near an end of the edge the pixel moves most across it: the stair
        // becomes a ramp. Only the end where the luma turns belongs to it.
        const float distBack = horizontal ? pos.x - back.x : pos.y - back.y;
        const float distForward = horizontal ? forward.x - pos.x : forward.y - pos.y;
        const bool backNearer = decide(distBack < distForward, distBack, distForward);
        const float distNearest = std::min(distBack, distForward);
        const float spanLength = std::max(distBack + distForward, 1.0e-6f);
        const bool centreBelow = lumaC < lumaEdgeMean;
        const float nearEnd = backNearer ? deltaBack : deltaForward;
        const bool endTurns = decide(nearEnd < 0.0f, nearEnd, 0.0f) != centreBelow;
        const float edgeBlend = endTurns ? 0.5f - distNearest / spanLength : 0.0f;

        const float offset = std::max(edgeBlend, subpixBlend);
        Point sample = pos;
        if (horizontal) {
            sample.y += offset * stepAcross;
        } else {
            sample.x += offset * stepAcross;
        }
        return sample;
    }
};

}  // namespace

namespace {

FxaaSearch SearchFor(const PostTarget& frame, const ShaderSettings& s) {
    const GameInputs& game = kGameInputs;
    // GetFXAARcpFrame: the view's own with FXAAFix, else what the game hands
    // over; in texels of the frame.
    const Point rcp = s.FXAAFix ? Point{1.0f, 1.0f}
                                : Point{game.fxaaGameRcpFrame[0] * static_cast<float>(frame.width),
                                        game.fxaaGameRcpFrame[1] * static_cast<float>(frame.height)};
    return FxaaSearch{frame, rcp, s.FXAAEdgeBluringIntensity, game.fxaaEdgeThreshold, game.fxaaEdgeThresholdMin};
}

// FXAAVS: the quad's coordinate and half the reciprocal frame.
Point PixelPosition(const FxaaSearch& fxaa, int x, int y) {
    return {static_cast<float>(x) + 0.5f * fxaa.rcp.x - 0.5f, static_cast<float>(y) + 0.5f * fxaa.rcp.y - 0.5f};
}

}  // namespace

PostTarget Fxaa(const PostTarget& frame, const ShaderSettings& s, int threads) {
    PostTarget out(frame.width, frame.height);
    const FxaaSearch fxaa = SearchFor(frame, s);
    // With FXAAFix the first five reads fall on texel centres: they are the
    // texels, and most pixels end at the contrast test on them.
    const bool onTexels = s.FXAAFix;
    const int width = frame.width, height = frame.height;
    ForRowBands(height, threads, [&](int first, int last) {
        for (int j = first; j < last; ++j) {
            const uint8_t* green = frame.Row(1, j);
            const uint8_t* up = frame.Row(1, ClampIndex(j - 1, height));
            const uint8_t* down = frame.Row(1, ClampIndex(j + 1, height));
            for (int i = 0; i < width; ++i) {
                if (onTexels) {
                    const int west = green[ClampIndex(i - 1, width)], east = green[ClampIndex(i + 1, width)];
                    const int most = std::max({int(up[i]), int(down[i]), west, east, int(green[i])});
                    const int least = std::min({int(up[i]), int(down[i]), west, east, int(green[i])});
                    const float lumaMax = static_cast<float>(most) * (1.0f / 255.0f);
                    const float range = lumaMax - static_cast<float>(least) * (1.0f / 255.0f);
                    if (range < std::max(fxaa.edgeThresholdMin, lumaMax * fxaa.edgeThreshold)) {
                        for (int c = 0; c < 3; ++c) out.Row(c, j)[i] = frame.Row(c, j)[i];
                        continue;
                    }
                }
                FxaaSearch::Decisions decide;
                const Point sample = fxaa.SamplePosition(PixelPosition(fxaa, i, j), decide);
                for (int c = 0; c < 3; ++c) out.Row(c, j)[i] = ToByte(Read(frame, c, sample));
            }
        }
    });
    return out;
}

std::vector<std::array<uint8_t, 3>> FxaaAnswers(const PostTarget& frame, const ShaderSettings& s, int x, int y) {
    const FxaaSearch fxaa = SearchFor(frame, s);
    std::vector<std::array<uint8_t, 3>> answers;
    // A branch taken the other way may meet ties of its own.
    int ties = 0;
    for (uint32_t flips = 0; flips < (1u << std::min(ties, 10)); ++flips) {
        FxaaSearch::Decisions decide{flips};
        const Point sample = fxaa.SamplePosition(PixelPosition(fxaa, x, y), decide);
        ties = std::max(ties, decide.ties);
        std::array<uint8_t, 3> colour;
        for (int c = 0; c < 3; ++c) colour[c] = ToByte(Read(frame, c, sample));
        if (std::find(answers.begin(), answers.end(), colour) == answers.end()) answers.push_back(colour);
    }
    return answers;
}

}  // namespace SceneStep

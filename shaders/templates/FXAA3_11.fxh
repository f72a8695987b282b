// FXAA3_11.fxh - fast approximate anti-aliasing after the FXAA 3.11 algorithm,
// PC quality path only, for Direct3D 9 shader model 3.
//
// Configure before including:
//   FXAA_PC             must be 1 (the only path provided)
//   FXAA_HLSL_3         must be 1 (tex2Dlod sampling)
//   FXAA_QUALITY_PRESET 10..15 (fast), 20..29 (quality), 39 (extreme); default 12
//   FXAA_GREEN_AS_LUMA  1 reads luma from green; 0 (default) from alpha, which
//                       an earlier pass must have filled with the luma
//
// Offers:
//   float  FxaaLuma(float4 rgba)
//   float4 FxaaPixelShader(float2 pos, sampler2D tex, float2 rcpFrame,
//                          float subpix, float edgeThreshold, float edgeThresholdMin)
//       pos              texture coordinate of the pixel centre
//       tex              the input, linear filtered, clamped
//       rcpFrame         (1 / width, 1 / height) of the input
//       subpix           sub-pixel aliasing removal, 0 off .. 1 softest
//       edgeThreshold    local contrast needed to process, relative to the
//                        brightest neighbour (0.333 fast .. 0.063 slow)
//       edgeThresholdMin contrast below which dark areas are skipped (0.0833 .. 0.0312)
//   The result keeps the centre pixel's alpha.
#ifndef FXAA3_11_FXH
#define FXAA3_11_FXH

#ifndef FXAA_PC
#define FXAA_PC 1
#endif
#ifndef FXAA_HLSL_3
#define FXAA_HLSL_3 1
#endif
#ifndef FXAA_QUALITY_PRESET
#define FXAA_QUALITY_PRESET 12
#endif
#ifndef FXAA_GREEN_AS_LUMA
#define FXAA_GREEN_AS_LUMA 0
#endif

#if FXAA_PC != 1
#error "FXAA3_11.fxh provides the PC path only: define FXAA_PC 1"
#endif
#if FXAA_HLSL_3 != 1
#error "FXAA3_11.fxh samples with tex2Dlod: define FXAA_HLSL_3 1"
#endif

// Distances, in pixels, of the successive steps of the end-of-edge search.
// Longer tables find the ends of longer, flatter edges; the last step of each
// jumps far to catch the rest.
#if FXAA_QUALITY_PRESET == 10
#define FXAA_SEARCH_STEPS 3
static const float FxaaSearchStep[FXAA_SEARCH_STEPS] = { 1.5, 3.0, 12.0 };
#elif FXAA_QUALITY_PRESET == 11
#define FXAA_SEARCH_STEPS 4
static const float FxaaSearchStep[FXAA_SEARCH_STEPS] = { 1.0, 1.5, 3.0, 12.0 };
#elif FXAA_QUALITY_PRESET == 12
#define FXAA_SEARCH_STEPS 5
static const float FxaaSearchStep[FXAA_SEARCH_STEPS] = { 1.0, 1.5, 2.0, 4.0, 12.0 };
#elif FXAA_QUALITY_PRESET == 13
#define FXAA_SEARCH_STEPS 6
static const float FxaaSearchStep[FXAA_SEARCH_STEPS] = { 1.0, 1.5, 2.0, 2.0, 4.0, 12.0 };
#elif FXAA_QUALITY_PRESET == 14
#define FXAA_SEARCH_STEPS 7
static const float FxaaSearchStep[FXAA_SEARCH_STEPS] = { 1.0, 1.5, 2.0, 2.0, 2.0, 4.0, 12.0 };
#elif FXAA_QUALITY_PRESET == 15
#define FXAA_SEARCH_STEPS 8
static const float FxaaSearchStep[FXAA_SEARCH_STEPS] = { 1.0, 1.5, 2.0, 2.0, 2.0, 2.0, 4.0, 12.0 };
#elif FXAA_QUALITY_PRESET == 20
#define FXAA_SEARCH_STEPS 3
static const float FxaaSearchStep[FXAA_SEARCH_STEPS] = { 1.5, 2.0, 8.0 };
#elif FXAA_QUALITY_PRESET == 21
#define FXAA_SEARCH_STEPS 4
static const float FxaaSearchStep[FXAA_SEARCH_STEPS] = { 1.0, 1.5, 2.0, 8.0 };
#elif FXAA_QUALITY_PRESET == 22
#define FXAA_SEARCH_STEPS 5
static const float FxaaSearchStep[FXAA_SEARCH_STEPS] = { 1.0, 1.5, 2.0, 2.0, 8.0 };
#elif FXAA_QUALITY_PRESET == 23
#define FXAA_SEARCH_STEPS 6
static const float FxaaSearchStep[FXAA_SEARCH_STEPS] = { 1.0, 1.5, 2.0, 2.0, 2.0, 8.0 };
#elif FXAA_QUALITY_PRESET == 24
#define FXAA_SEARCH_STEPS 7
static const float FxaaSearchStep[FXAA_SEARCH_STEPS] = { 1.0, 1.5, 2.0, 2.0, 2.0, 3.0, 8.0 };
#elif FXAA_QUALITY_PRESET == 25
#define FXAA_SEARCH_STEPS 8
static const float FxaaSearchStep[FXAA_SEARCH_STEPS] = { 1.0, 1.5, 2.0, 2.0, 2.0, 2.0, 4.0, 8.0 };
#elif FXAA_QUALITY_PRESET == 26
#define FXAA_SEARCH_STEPS 9
static const float FxaaSearchStep[FXAA_SEARCH_STEPS] = { 1.0, 1.5, 2.0, 2.0, 2.0, 2.0, 2.0, 4.0, 8.0 };
#elif FXAA_QUALITY_PRESET == 27
#define FXAA_SEARCH_STEPS 10
static const float FxaaSearchStep[FXAA_SEARCH_STEPS] = { 1.0, 1.5, 2.0, 2.0, 2.0, 2.0, 2.0, 2.0, 4.0, 8.0 };
#elif FXAA_QUALITY_PRESET == 28
#define FXAA_SEARCH_STEPS 11
static const float FxaaSearchStep[FXAA_SEARCH_STEPS] = { 1.0, 1.5, 2.0, 2.0, 2.0, 2.0, 2.0, 2.0, 2.0, 4.0, 8.0 };
#elif FXAA_QUALITY_PRESET == 29
#define FXAA_SEARCH_STEPS 12
static const float FxaaSearchStep[FXAA_SEARCH_STEPS] = { 1.0, 1.5, 2.0, 2.0, 2.0, 2.0, 2.0, 2.0, 2.0, 2.0, 4.0, 8.0 };
#elif FXAA_QUALITY_PRESET == 39
#define FXAA_SEARCH_STEPS 12
static const float FxaaSearchStep[FXAA_SEARCH_STEPS] = { 1.0, 1.0, 1.0, 1.0, 1.0, 1.5, 2.0, 2.0, 2.0, 2.0, 4.0, 8.0 };
#else
#error "FXAA_QUALITY_PRESET must be one of 10..15, 20..29 or 39"
#endif

float FxaaLuma(float4 rgba)
{
#if FXAA_GREEN_AS_LUMA
    return rgba.g;
#else
    return rgba.a;
#endif
}

// Level 0 explicitly: the search runs inside flow control, where implicit
// derivatives are undefined.
float4 FxaaSample(sampler2D tex, float2 uv)
{
    return tex2Dlod(tex, float4(uv, 0.0, 0.0));
}

float FxaaSampleLuma(sampler2D tex, float2 uv)
{
    return FxaaLuma(FxaaSample(tex, uv));
}

// FxaaSearchStep[i] for a loop counter i, read with literal indices only:
// pixel shaders cannot index constants.
float FxaaSearchStepAt(int i)
{
    float searchStep = FxaaSearchStep[0];
    [unroll] for (int k = 1; k < FXAA_SEARCH_STEPS; k++)
        searchStep = i >= k ? FxaaSearchStep[k] : searchStep;
    return searchStep;
}

float4 FxaaPixelShader(float2 pos, sampler2D tex, float2 rcpFrame,
                       float subpix, float edgeThreshold, float edgeThresholdMin)
{
    float4 centre = FxaaSample(tex, pos);
    float lumaC = FxaaLuma(centre);
    float lumaN = FxaaSampleLuma(tex, pos + float2(0.0, -rcpFrame.y));
    float lumaS = FxaaSampleLuma(tex, pos + float2(0.0, rcpFrame.y));
    float lumaW = FxaaSampleLuma(tex, pos + float2(-rcpFrame.x, 0.0));
    float lumaE = FxaaSampleLuma(tex, pos + float2(rcpFrame.x, 0.0));

    // Local contrast of the cross. Flat regions, and dark ones whose contrast
    // is invisible anyway, leave the pixel as it is.
    float lumaMax = max(max(max(lumaN, lumaS), max(lumaW, lumaE)), lumaC);
    float lumaMin = min(min(min(lumaN, lumaS), min(lumaW, lumaE)), lumaC);
    float range = lumaMax - lumaMin;
    if (range < max(edgeThresholdMin, lumaMax * edgeThreshold))
        return centre;

    float lumaNW = FxaaSampleLuma(tex, pos + float2(-rcpFrame.x, -rcpFrame.y));
    float lumaNE = FxaaSampleLuma(tex, pos + float2(rcpFrame.x, -rcpFrame.y));
    float lumaSW = FxaaSampleLuma(tex, pos + float2(-rcpFrame.x, rcpFrame.y));
    float lumaSE = FxaaSampleLuma(tex, pos + float2(rcpFrame.x, rcpFrame.y));

    // Sub-pixel aliasing: how far the centre stands out from a low-pass of its
    // 3x3 neighbourhood, relative to the local range. Single-pixel specks
    // score near 1 and are blurred most; the curve keeps mild ones sharp.
    float lumaCross = lumaN + lumaS + lumaW + lumaE;
    float lumaCorners = lumaNW + lumaNE + lumaSW + lumaSE;
    float lowPass = (2.0 * lumaCross + lumaCorners) / 12.0;
    float speck = saturate(abs(lowPass - lumaC) / range);
    float speckCurve = speck * speck * (3.0 - 2.0 * speck);
    float subpixBlend = speckCurve * speckCurve * subpix;

    // Edge direction: second differences across rows say how strongly luma
    // changes vertically (a horizontal edge), across columns horizontally.
    float acrossRows = 2.0 * abs(lumaN + lumaS - 2.0 * lumaC)
                     + abs(lumaNW + lumaSW - 2.0 * lumaW)
                     + abs(lumaNE + lumaSE - 2.0 * lumaE);
    float acrossColumns = 2.0 * abs(lumaW + lumaE - 2.0 * lumaC)
                        + abs(lumaNW + lumaNE - 2.0 * lumaN)
                        + abs(lumaSW + lumaSE - 2.0 * lumaS);
    bool horizontal = acrossRows >= acrossColumns;

    // Which neighbour across the edge the edge lies toward: the steeper side.
    float lumaBefore = horizontal ? lumaN : lumaW;
    float lumaAfter = horizontal ? lumaS : lumaE;
    float gradientBefore = abs(lumaBefore - lumaC);
    float gradientAfter = abs(lumaAfter - lumaC);
    bool towardBefore = gradientBefore >= gradientAfter;
    float stepAcross = horizontal ? rcpFrame.y : rcpFrame.x;
    if (towardBefore)
        stepAcross = -stepAcross;
    float lumaEdgeMean = 0.5 * (lumaC + (towardBefore ? lumaBefore : lumaAfter));
    float gradientLimit = 0.25 * max(gradientBefore, gradientAfter);

    // Walk both ways along the edge, half a pixel across so that the linear
    // filter reads the mean of the two sides, until the luma leaves that mean.
    float2 onEdge = pos;
    float2 along;
    if (horizontal)
    {
        onEdge.y += 0.5 * stepAcross;
        along = float2(rcpFrame.x, 0.0);
    }
    else
    {
        onEdge.x += 0.5 * stepAcross;
        along = float2(0.0, rcpFrame.y);
    }

    float2 posBack = onEdge - along * FxaaSearchStep[0];
    float2 posFwd = onEdge + along * FxaaSearchStep[0];
    float deltaBack = FxaaSampleLuma(tex, posBack) - lumaEdgeMean;
    float deltaFwd = FxaaSampleLuma(tex, posFwd) - lumaEdgeMean;
    bool doneBack = abs(deltaBack) >= gradientLimit;
    bool doneFwd = abs(deltaFwd) >= gradientLimit;

    // A loop the shader runs: unrolled, the steps of the quality presets do
    // not fit the instruction slots of ps_3_0. It ends once both ends are found.
    [loop]
    for (int i = 1; i < FXAA_SEARCH_STEPS; i++)
    {
        float searchStep = FxaaSearchStepAt(i);
        if (!doneBack)
        {
            posBack -= along * searchStep;
            deltaBack = FxaaSampleLuma(tex, posBack) - lumaEdgeMean;
            doneBack = abs(deltaBack) >= gradientLimit;
        }
        if (!doneFwd)
        {
            posFwd += along * searchStep;
            deltaFwd = FxaaSampleLuma(tex, posFwd) - lumaEdgeMean;
            doneFwd = abs(deltaFwd) >= gradientLimit;
        }
        if (doneBack && doneFwd)
            break;
    }

    // Position along the span: pixels near an end of the edge are shifted most
    // across it, pixels in the middle hardly, which turns the stair into a ramp.
    float distBack = horizontal ? (pos.x - posBack.x) : (pos.y - posBack.y);
    float distFwd = horizontal ? (posFwd.x - pos.x) : (posFwd.y - pos.y);
    bool backNearer = distBack < distFwd;
    float distNearest = min(distBack, distFwd);
    float spanLength = max(distBack + distFwd, 1.0e-6);

    // Only the end where the luma turns to the other side of the mean belongs
    // to this pixel's stair step; the other side's pixels do the blending there.
    bool centreBelow = lumaC < lumaEdgeMean;
    bool endTurns = ((backNearer ? deltaBack : deltaFwd) < 0.0) != centreBelow;
    float edgeBlend = endTurns ? (0.5 - distNearest / spanLength) : 0.0;

    float offset = max(edgeBlend, subpixBlend);
    float2 samplePos = pos;
    if (horizontal)
        samplePos.y += offset * stepAcross;
    else
        samplePos.x += offset * stepAcross;

    return float4(FxaaSample(tex, samplePos).rgb, centre.a);
}

#endif // FXAA3_11_FXH

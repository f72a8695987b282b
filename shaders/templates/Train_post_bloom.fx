// Train_post_bloom.fx - the post chain of the frame: eye adaptation, bloom,
// tone mapping and the final image adjustments.
//
// Passes, in order (targets 8 bits per channel, full size unless stated):
//   Reduce       scene -> 3 x 3
//   Luminance    3 x 3 -> 1 x 1, blended over the previous frames
//   Bloom1..8    scene -> 1/2 -> 1/4 ... -> 1/256 of the view, 9 x 9 Gaussian each
//   Present      scene + bloom + adaptation -> tone mapped, graded image
//   Sharpen      unsharp mask with a clamped luma boost
//   HDR          local contrast from two sample rings
//   Final        colour banding fix (MOX_COLORBANDINGFIX) or a plain copy, into
//                the target the game has bound (the back buffer)

#ifndef MOX_HDRExposure
#define MOX_HDRExposure 1.0
#endif
#ifndef MOX_BloomIntensity
#define MOX_BloomIntensity 1.0
#endif
#ifndef MOX_BloomColorDesaturation
#define MOX_BloomColorDesaturation 0.25
#endif
#ifndef MOX_Gamma
#define MOX_Gamma 1.0
#endif
#ifndef MOX_ImageSharpness
#define MOX_ImageSharpness 1.0
#endif
#ifndef MOX_ImageContrast
#define MOX_ImageContrast 1.0
#endif
#ifndef MOX_ColorVibrance
#define MOX_ColorVibrance 0.15
#endif
#ifndef MOX_ImageGrayLevel
#define MOX_ImageGrayLevel 0.0
#endif
#ifndef MOX_ImageSepiaLevel
#define MOX_ImageSepiaLevel 0.0
#endif

float4 gViewSize : VIEWSIZE = float4(1280.0, 720.0, 1.0 / 1280.0, 1.0 / 720.0);  // xy pixels, zw = 1 / xy
float gFrameTime : FRAMETIME = 0.016;   // seconds since the previous frame

#ifdef MOX_CODEDISABLED
// x..z filter colour, w strength.
float4 gColourFilter : COLOURFILTER = float4(1.0, 1.0, 1.0, 0.0);
#endif

// ---- textures

#define POST_LINEAR_SAMPLER(name, tex) \
    sampler2D name = sampler_state \
    { \
        Texture = <tex>; \
        MinFilter = Linear; \
        MagFilter = Linear; \
        MipFilter = None; \
        AddressU = Clamp; \
        AddressV = Clamp; \
    };

texture gSceneTexture : SCENECOLOUR;
POST_LINEAR_SAMPLER(gSceneSampler, gSceneTexture)

texture gReduceTexture : BLOOMREDUCE
<
    float2 Dimensions = { 3.0, 3.0 };
    string Format = "A8R8G8B8";
>;
POST_LINEAR_SAMPLER(gReduceSampler, gReduceTexture)

// Kept from frame to frame: each frame blends its measurement over it.
texture gLuminanceTexture : BLOOMLUMINANCE
<
    float2 Dimensions = { 1.0, 1.0 };
    string Format = "A8R8G8B8";
    bool Persistent = true;
>;
sampler2D gLuminanceSampler = sampler_state
{
    Texture = <gLuminanceTexture>;
    MinFilter = Point;
    MagFilter = Point;
    MipFilter = None;
    AddressU = Clamp;
    AddressV = Clamp;
};

#define BLOOM_TARGET(tex, samp, semantic, ratio) \
    texture tex : semantic \
    < \
        float2 ViewportRatio = { ratio, ratio }; \
        string Format = "A8R8G8B8"; \
    >; \
    POST_LINEAR_SAMPLER(samp, tex)

BLOOM_TARGET(gBloom1Texture, gBloom1Sampler, BLOOM1, 0.5)
BLOOM_TARGET(gBloom2Texture, gBloom2Sampler, BLOOM2, 0.25)
BLOOM_TARGET(gBloom3Texture, gBloom3Sampler, BLOOM3, 0.125)
BLOOM_TARGET(gBloom4Texture, gBloom4Sampler, BLOOM4, 0.0625)
BLOOM_TARGET(gBloom5Texture, gBloom5Sampler, BLOOM5, 0.03125)
BLOOM_TARGET(gBloom6Texture, gBloom6Sampler, BLOOM6, 0.015625)
BLOOM_TARGET(gBloom7Texture, gBloom7Sampler, BLOOM7, 0.0078125)
BLOOM_TARGET(gBloom8Texture, gBloom8Sampler, BLOOM8, 0.00390625)

BLOOM_TARGET(gPresentTexture, gPresentSampler, BLOOMPRESENT, 1.0)
BLOOM_TARGET(gSharpenTexture, gSharpenSampler, BLOOMSHARPEN, 1.0)
BLOOM_TARGET(gHDRTexture, gHDRSampler, BLOOMHDR, 1.0)

// ---- shared

struct PostVSInput
{
    float4 position : POSITION;
    float2 texCoord : TEXCOORD0;
};

struct PostVSOutput
{
    float4 position : POSITION;
    float2 texCoord : TEXCOORD0;
};

struct PostPSInput
{
    float2 texCoord : TEXCOORD0;
};

// The targets differ in size, so each pixel shader adds the half texel of its
// own target (Direct3D 9 puts texel corners on pixel centres).
PostVSOutput PostQuadVS(PostVSInput v)
{
    PostVSOutput o;
    o.position = float4(v.position.xy, 0.0, 1.0);
    o.texCoord = v.texCoord;
    return o;
}

float2 TargetTexCoord(float2 uv, float2 targetPixels)
{
    return uv + 0.5 / targetPixels;
}

float2 ViewTexCoord(float2 uv, float ratio)
{
    return TargetTexCoord(uv, max(gViewSize.xy * ratio, 1.0));
}

float3 Grey(float3 c)
{
    float g = dot(c, float3(0.333, 0.333, 0.333));
    return float3(g, g, g);
}

// ---- 1: reduce to 3 x 3

float4 ReducePS(PostPSInput i) : COLOR0
{
    // A 4 x 4 grid inside this pixel's third of the frame; the linear filter
    // averages four texels per tap on top.
    float2 cell = TargetTexCoord(i.texCoord, float2(3.0, 3.0));
    float3 sum = 0.0;
    [unroll] for (int y = 0; y < 4; y++)
    {
        [unroll] for (int x = 0; x < 4; x++)
        {
            float2 offset = (float2(x, y) + 0.5) / 4.0 - 0.5;
            sum += tex2D(gSceneSampler, cell + offset / 3.0).rgb;
        }
    }
    return float4(sum / 16.0, 1.0);
}

// ---- 2: average luminance

float4 LuminancePS(PostPSInput i) : COLOR0
{
    // Offsets of 0.625 from the centre lie beyond the texture; clamped
    // addressing turns them into the border texels of the 3 x 3 target.
    const float2 c = float2(0.5, 0.5);
    const float d = 0.625;
    float3 sum = tex2D(gReduceSampler, c).rgb * 0.2;
    sum += (tex2D(gReduceSampler, c + float2(-d, -d)).rgb + tex2D(gReduceSampler, c + float2(d, -d)).rgb
          + tex2D(gReduceSampler, c + float2(-d, d)).rgb + tex2D(gReduceSampler, c + float2(d, d)).rgb) * 0.08;
    sum += (tex2D(gReduceSampler, c + float2(-d, 0.0)).rgb + tex2D(gReduceSampler, c + float2(d, 0.0)).rgb
          + tex2D(gReduceSampler, c + float2(0.0, -d)).rgb + tex2D(gReduceSampler, c + float2(0.0, d)).rgb) * 0.12;
    float3 x = saturate(sum);
    x = 8.0 * x * x;
    float luminance = dot(x, float3(0.3, 0.59, 0.11));
    // Alpha is the blend weight against the previous frames: the longer the
    // frame, the faster the eye adapts.
    return float4(luminance, luminance, luminance, max(gFrameTime, 0.001));
}

// ---- 3: bloom

static const float kBloomWeights[9] =
{
    0.0269955, 0.0647588, 0.120985, 0.176033, 0.199471, 0.176033, 0.120985, 0.0647588, 0.0269955
};

// kBloomWeights at a loop counter: pixel shaders cannot index constants, so
// the symmetric table is read by the distance from its centre.
float BloomWeight(int i)
{
    float d = abs(i - 4);
    return d < 0.5 ? kBloomWeights[4]
         : (d < 1.5 ? kBloomWeights[3] : (d < 2.5 ? kBloomWeights[2] : (d < 3.5 ? kBloomWeights[1] : kBloomWeights[0])));
}

float3 BloomGaussian(sampler2D source, float2 uv, float stepPixels, bool brightPass)
{
    float2 texelStep = stepPixels * gViewSize.zw;
    float3 sum = 0.0;
    // Rows in a loop the shader runs, taps of a row unrolled: 81 unrolled
    // taps do not fit the instruction slots of ps_3_0.
    [loop] for (int y = 0; y < 9; y++)
    {
        float rowWeight = BloomWeight(y);
        [unroll] for (int x = 0; x < 9; x++)
        {
            float3 c = tex2Dlod(source, float4(uv + float2(x - 4, y - 4) * texelStep, 0.0, 0.0)).rgb;
            if (brightPass)
            {
                c *= c;
                c *= c;
            }
            sum += c * (kBloomWeights[x] * rowWeight);
        }
    }
    // The halving of the bright pass folds into the final scale.
    return sum * (brightPass ? 1.02352 * 0.5 : 1.02352);
}

float4 Bloom1PS(PostPSInput i) : COLOR0
{
    return float4(BloomGaussian(gSceneSampler, ViewTexCoord(i.texCoord, 0.5), 2.0, true), 1.0);
}

float4 Bloom2PS(PostPSInput i) : COLOR0
{
    return float4(BloomGaussian(gBloom1Sampler, ViewTexCoord(i.texCoord, 0.25), 4.0, false), 1.0);
}

float4 Bloom3PS(PostPSInput i) : COLOR0
{
    return float4(BloomGaussian(gBloom2Sampler, ViewTexCoord(i.texCoord, 0.125), 8.0, false), 1.0);
}

float4 Bloom4PS(PostPSInput i) : COLOR0
{
    return float4(BloomGaussian(gBloom3Sampler, ViewTexCoord(i.texCoord, 0.0625), 8.0, false), 1.0);
}

float4 Bloom5PS(PostPSInput i) : COLOR0
{
    return float4(BloomGaussian(gBloom4Sampler, ViewTexCoord(i.texCoord, 0.03125), 16.0, false), 1.0);
}

float4 Bloom6PS(PostPSInput i) : COLOR0
{
    return float4(BloomGaussian(gBloom5Sampler, ViewTexCoord(i.texCoord, 0.015625), 32.0, false), 1.0);
}

float4 Bloom7PS(PostPSInput i) : COLOR0
{
    return float4(BloomGaussian(gBloom6Sampler, ViewTexCoord(i.texCoord, 0.0078125), 64.0, false), 1.0);
}

float4 Bloom8PS(PostPSInput i) : COLOR0
{
    return float4(BloomGaussian(gBloom7Sampler, ViewTexCoord(i.texCoord, 0.00390625), 128.0, false), 1.0);
}

// ---- 4: present

// Filmic curve with a soft toe and shoulder.
float3 FilmicCurve(float3 x)
{
    const float A = 0.15;
    const float B = 0.50;
    const float C = 0.10;
    const float D = 0.20;
    const float E = 0.02;
    const float F = 0.30;
    return (x * (A * x + C * B) + D * E) / (x * (A * x + B) + D * F) - E / F;
}

float3 FilmicToneMap(float3 colour, float exposure)
{
    const float whitePoint = 11.2;
    return FilmicCurve(colour * exposure) / FilmicCurve(float3(whitePoint, whitePoint, whitePoint));
}

float4 PresentPS(PostPSInput i) : COLOR0
{
    float2 uv = ViewTexCoord(i.texCoord, 1.0);
    float3 colour = tex2D(gSceneSampler, uv).rgb;

    float3 bloom = (tex2D(gBloom1Sampler, uv).rgb + tex2D(gBloom2Sampler, uv).rgb
                  + tex2D(gBloom3Sampler, uv).rgb + tex2D(gBloom4Sampler, uv).rgb
                  + tex2D(gBloom5Sampler, uv).rgb + tex2D(gBloom6Sampler, uv).rgb
                  + tex2D(gBloom7Sampler, uv).rgb + tex2D(gBloom8Sampler, uv).rgb) / 8.0;

    // Dark surroundings open the eye: more bloom after a dark average.
    float averageLuminance = tex2D(gLuminanceSampler, float2(0.5, 0.5)).r;
    float adaptation = clamp(exp(1.0 - averageLuminance), 1.0, 3.0);
    bloom = FilmicToneMap(bloom, 7.5 * MOX_BloomIntensity * adaptation);
    bloom = lerp(bloom, Grey(bloom), MOX_BloomColorDesaturation);
#ifndef MOX_BLOOM0
    // Screen blend: bloom brightens without ever passing white.
    colour = 1.0 - (1.0 - colour) * (1.0 - bloom);
#endif

    // Contrast on the luma only, chroma kept.
    float luma = dot(colour, float3(0.2126, 0.7152, 0.0722));
    float3 chroma = colour - luma;
    float curved = luma * (luma * (1.5 - luma) + 0.5);
    luma = lerp(luma, curved, 0.6 * MOX_ImageContrast);
    colour = luma + chroma;

    colour = saturate(colour) * 1.0717735;   // 2^0.1
    colour = pow(colour, MOX_Gamma);

    // Vibrance: weakly saturated colours move most; a negative amount takes
    // the strongest colours toward grey first.
    const float vibrance = MOX_ColorVibrance;
    float saturation = max(colour.r, max(colour.g, colour.b)) - min(colour.r, min(colour.g, colour.b));
    float vibranceLuma = dot(colour, float3(0.212656, 0.715158, 0.072186));
    colour = lerp(float3(vibranceLuma, vibranceLuma, vibranceLuma), colour,
                  1.0 + vibrance * (1.0 - sign(vibrance) * saturation));

    float greyLevel = dot(colour, float3(0.3, 0.59, 0.11));
    colour = lerp(colour, float3(greyLevel, greyLevel, greyLevel), MOX_ImageGrayLevel);
    colour = lerp(colour, colour * float3(0.55, 0.43, 0.42) * 2.55, MOX_ImageSepiaLevel);

#ifdef MOX_CODEDISABLED
    colour = lerp(colour, colour * gColourFilter.rgb, gColourFilter.a);
#endif

    return float4(saturate(colour), 1.0);
}

// ---- 5: sharpen

float4 SharpenPS(PostPSInput i) : COLOR0
{
    float2 uv = ViewTexCoord(i.texCoord, 1.0);
    float2 halfTexel = 0.5 * gViewSize.zw;
    float3 colour = tex2D(gPresentSampler, uv).rgb;
    // Half-texel diagonals: the linear filter makes each a 2 x 2 mean.
    float3 blur = (tex2D(gPresentSampler, uv + float2(-halfTexel.x, -halfTexel.y)).rgb
                 + tex2D(gPresentSampler, uv + float2(halfTexel.x, -halfTexel.y)).rgb
                 + tex2D(gPresentSampler, uv + float2(-halfTexel.x, halfTexel.y)).rgb
                 + tex2D(gPresentSampler, uv + float2(halfTexel.x, halfTexel.y)).rgb) * 0.25;
    float3 sharp = colour - blur;
    float strength = 0.8 * MOX_ImageSharpness;
    // Luma only and limited, so edges gain detail without colour fringes or halos.
    float boost = clamp(dot(sharp, float3(0.2126, 0.7152, 0.0722) * strength), -0.04, 0.04);
    return float4(saturate(colour + boost), 1.0);
}

// ---- 6: HDR

static const float2 kHDRRing[8] =
{
    float2(1.5, 1.5), float2(-1.5, 1.5), float2(1.5, -1.5), float2(-1.5, -1.5),
    float2(0.0, 2.5), float2(0.0, -2.5), float2(2.5, 0.0), float2(-2.5, 0.0)
};

float4 HDRPS(PostPSInput i) : COLOR0
{
    float2 uv = ViewTexCoord(i.texCoord, 1.0);
    float3 colour = tex2D(gSharpenSampler, uv).rgb;
    const float radius1 = 0.845;
    const float radius2 = 0.9 * MOX_HDRExposure;
    float3 ring1 = 0.0;
    float3 ring2 = 0.0;
    [unroll] for (int k = 0; k < 8; k++)
    {
        ring1 += tex2D(gSharpenSampler, uv + kHDRRing[k] * radius1 * gViewSize.zw).rgb;
        ring2 += tex2D(gSharpenSampler, uv + kHDRRing[k] * radius2 * gViewSize.zw).rgb;
    }
    ring1 *= 0.005;
    ring2 *= 0.010;
    float3 hdr = (colour + ring2 - ring1) * (radius2 - radius1);
    colour = saturate(pow(abs(colour + hdr), 1.1) + hdr);
    return float4(colour, 1.0);
}

// ---- 7: final

#ifdef MOX_COLORBANDINGFIX
// x mod 289 for whole numbers below 2^17, exact on any hardware. fmod compiles
// to frac(x * (1 / 289)) * 289, which leaves whole numbers; the next permute
// multiplies the error by thousands, so the pattern would depend on the GPU.
// Flooring from half a step above keeps a slightly low quotient right.
float BandingMod289(float x)
{
    return x - 289.0 * floor(x * (1.0 / 289.0) + 0.5 / 289.0);
}

// ((34 x + 1) x) mod 289, with both factors reduced first so the product
// stays small enough for the mod above.
float BandingPermute(float x)
{
    return BandingMod289(BandingMod289(34.0 * x + 1.0) * BandingMod289(x));
}

float BandingRand(float x)
{
    return frac(x / 41.0);
}
#endif

float4 FinalPS(PostPSInput i) : COLOR0
{
    float2 uv = ViewTexCoord(i.texCoord, 1.0);
    float3 colour = tex2D(gHDRSampler, uv).rgb;
#ifdef MOX_COLORBANDINGFIX
    // Smooth 8-bit steps: where a wide neighbourhood barely differs from the
    // pixel, take its mean, then hide what is left under slight noise.
    float2 pixel = floor(uv * gViewSize.xy);
    float h = BandingPermute(BandingPermute(BandingMod289(pixel.x)) + BandingMod289(pixel.y));
    [unroll] for (int k = 1; k <= 2; k++)
    {
        h = BandingPermute(h);
        float angle = BandingRand(h) * 6.2831853;
        h = BandingPermute(h);
        float reach = BandingRand(h) * 16.0 * k;
        float s, c;
        sincos(angle, s, c);
        float2 d = float2(c, s) * reach * gViewSize.zw;
        float3 mean = (tex2D(gHDRSampler, uv + d).rgb
                     + tex2D(gHDRSampler, uv + float2(-d.y, d.x)).rgb
                     + tex2D(gHDRSampler, uv - d).rgb
                     + tex2D(gHDRSampler, uv + float2(d.y, -d.x)).rgb) * 0.25;
        float3 close = step(abs(mean - colour), 0.003 * k);
        colour = lerp(colour, mean, close);
    }
    float3 noise;
    h = BandingPermute(h);
    noise.r = BandingRand(h);
    h = BandingPermute(h);
    noise.g = BandingRand(h);
    h = BandingPermute(h);
    noise.b = BandingRand(h);
    colour += 0.006 * (noise - 0.5);
#endif
    return float4(colour, 1.0);
}

// ---- technique

#define POST_PASS_STATES \
        ZEnable = false; \
        ZWriteEnable = false; \
        CullMode = None; \
        AlphaTestEnable = false; \
        StencilEnable = false; \
        VertexShader = compile vs_3_0 PostQuadVS();

technique AdaptiveBloom
{
    pass Reduce < string RenderTarget = "gReduceTexture"; >
    {
        POST_PASS_STATES
        AlphaBlendEnable = false;
        PixelShader = compile ps_3_0 ReducePS();
    }
    pass Luminance < string RenderTarget = "gLuminanceTexture"; >
    {
        POST_PASS_STATES
        AlphaBlendEnable = true;
        SrcBlend = SrcAlpha;
        DestBlend = InvSrcAlpha;
        PixelShader = compile ps_3_0 LuminancePS();
    }
    pass Bloom1 < string RenderTarget = "gBloom1Texture"; >
    {
        POST_PASS_STATES
        AlphaBlendEnable = false;
        PixelShader = compile ps_3_0 Bloom1PS();
    }
    pass Bloom2 < string RenderTarget = "gBloom2Texture"; >
    {
        POST_PASS_STATES
        AlphaBlendEnable = false;
        PixelShader = compile ps_3_0 Bloom2PS();
    }
    pass Bloom3 < string RenderTarget = "gBloom3Texture"; >
    {
        POST_PASS_STATES
        AlphaBlendEnable = false;
        PixelShader = compile ps_3_0 Bloom3PS();
    }
    pass Bloom4 < string RenderTarget = "gBloom4Texture"; >
    {
        POST_PASS_STATES
        AlphaBlendEnable = false;
        PixelShader = compile ps_3_0 Bloom4PS();
    }
    pass Bloom5 < string RenderTarget = "gBloom5Texture"; >
    {
        POST_PASS_STATES
        AlphaBlendEnable = false;
        PixelShader = compile ps_3_0 Bloom5PS();
    }
    pass Bloom6 < string RenderTarget = "gBloom6Texture"; >
    {
        POST_PASS_STATES
        AlphaBlendEnable = false;
        PixelShader = compile ps_3_0 Bloom6PS();
    }
    pass Bloom7 < string RenderTarget = "gBloom7Texture"; >
    {
        POST_PASS_STATES
        AlphaBlendEnable = false;
        PixelShader = compile ps_3_0 Bloom7PS();
    }
    pass Bloom8 < string RenderTarget = "gBloom8Texture"; >
    {
        POST_PASS_STATES
        AlphaBlendEnable = false;
        PixelShader = compile ps_3_0 Bloom8PS();
    }
    pass Present < string RenderTarget = "gPresentTexture"; >
    {
        POST_PASS_STATES
        AlphaBlendEnable = false;
        PixelShader = compile ps_3_0 PresentPS();
    }
    pass Sharpen < string RenderTarget = "gSharpenTexture"; >
    {
        POST_PASS_STATES
        AlphaBlendEnable = false;
        PixelShader = compile ps_3_0 SharpenPS();
    }
    pass HDR < string RenderTarget = "gHDRTexture"; >
    {
        POST_PASS_STATES
        AlphaBlendEnable = false;
        PixelShader = compile ps_3_0 HDRPS();
    }
    // No target of its own: draws into what the game has bound, the back buffer.
    pass Final
    {
        POST_PASS_STATES
        AlphaBlendEnable = false;
        PixelShader = compile ps_3_0 FinalPS();
    }
}

// ShadowFns.fxh - shadow maps of the sun (cascades), of spot and point lights,
// and the cloud shadow layer.
//
// The sun's cascades lie side by side in one atlas; each cascade matrix takes
// a world position to that cascade's clip space (-1..1 across its tile, z is
// the depth compared against the map).
//
// Switch read: MOX_SUNSHADOWSENHANCEMENTS - blend toward the next cascade near
// the border of the current one instead of switching hard.
//
// Offers:
//   SHADOW_CASCADE_COUNT 4
//   SHADOW_PCF_START / SHADOW_PCF_END / SHADOW_PCF_WIDTH   filter kernel (-1, 2, 3)
//   float4x4 gShadowCascadeMatrices[4] : SHADOWCASCADEMATRICES
//   float4   gShadowCascadeSplits      : SHADOWCASCADESPLITS     far view depth per cascade
//   float4   gShadowCascadeBias        : SHADOWCASCADEBIAS       constant bias per cascade
//   float4   gShadowCascadeSlopeBias   : SHADOWCASCADESLOPEBIAS  slope bias per cascade
//   float    gShadowCascadeBlendAmount : SHADOWCASCADEBLEND      border width (tile fraction)
//   float4   gShadowMapSize            : SHADOWMAPSIZE           atlas xy texels, zw = 1 / xy
//   float4   gCloudShadowParams        : CLOUDSHADOWPARAMS       xy world->uv scale, zw scroll
//   float    gCloudShadowStrength      : CLOUDSHADOWSTRENGTH
//   float4x4 gSpotShadowMatrix         : SPOTSHADOWMATRIX        world -> spot shadow clip
//   float4   gSpotShadowParams         : SPOTSHADOWPARAMS        xy texels, z 1 / x, w bias
//   float4   gPointShadowParams        : POINTSHADOWPARAMS       x 1 / light range, y bias
//   samplers: sampler2D gShadowMapSampler, sampler2D gCloudShadowSampler,
//             sampler2D gSpotShadowSampler, samplerCUBE gPointShadowSampler
//   struct ShadowCascade { float4x4 projection; float depthBias; float index; }
//   functions:
//       float ShadowCompare(sampler2D map, float4 coord, float depth)    1 lit, 0 shadowed
//       float ShadowPCF(sampler2D map, float2 uv, float depth, float2 texelSize)
//       float ShadowSlope(float NdotL)                   slope-bias scale, 0..10
//       float GetShadowCascadeIndex(float viewDepth)     0..3, SHADOW_CASCADE_COUNT when beyond
//       float4 ShadowCascadeDepthBiases(float slope)     per cascade, constant plus slope bias
//       ShadowCascade GetShadowCascade(float index, float4 depthBiases)
//       float FilterShadowCascade(ShadowCascade c, float3 worldPos,
//                                 out float2 t)           t = position in the tile, -1..1
//       float FilterSunShadow(float3 worldPos, float index, float NdotL)  index below the count
//       float GetSunShadow(float3 worldPos, float viewDepth, float NdotL)
//       float GetCloudShadow(float3 worldPos)            1 = no cloud
//       float GetSpotShadow(float3 worldPos, float NdotL)
//       float GetPointShadow(float3 lightToSurface)      world-space vector from the light
#ifndef SHADOW_FNS_FXH
#define SHADOW_FNS_FXH

#define SHADOW_CASCADE_COUNT 4

#ifndef SHADOW_FILTER_QUALITY
#define SHADOW_FILTER_QUALITY 1
#endif

#ifdef MOX_DISABLEDCODE
#if SHADOW_FILTER_QUALITY >= 2
#define SHADOW_PCF_START -2
#define SHADOW_PCF_END 3
#define SHADOW_PCF_WIDTH 5
#elif SHADOW_FILTER_QUALITY == 1
#define SHADOW_PCF_START -1
#define SHADOW_PCF_END 2
#define SHADOW_PCF_WIDTH 3
#else
#define SHADOW_PCF_START 0
#define SHADOW_PCF_END 1
#define SHADOW_PCF_WIDTH 1
#endif
#else
// The medium kernel at every quality: the small one flickers, the large one
// costs more than it shows.
#define SHADOW_PCF_START -1
#define SHADOW_PCF_END 2
#define SHADOW_PCF_WIDTH 3
#endif

float4x4 gShadowCascadeMatrices[SHADOW_CASCADE_COUNT] : SHADOWCASCADEMATRICES;
float4 gShadowCascadeSplits : SHADOWCASCADESPLITS = float4(20.0, 80.0, 300.0, 1200.0);
float4 gShadowCascadeBias : SHADOWCASCADEBIAS = float4(0.0005, 0.001, 0.002, 0.004);
float4 gShadowCascadeSlopeBias : SHADOWCASCADESLOPEBIAS = float4(0.001, 0.002, 0.004, 0.008);
float gShadowCascadeBlendAmount : SHADOWCASCADEBLEND = 0.1;
float4 gShadowMapSize : SHADOWMAPSIZE = float4(8192.0, 2048.0, 1.0 / 8192.0, 1.0 / 2048.0);

float4 gCloudShadowParams : CLOUDSHADOWPARAMS = float4(0.0002, 0.0002, 0.0, 0.0);
float gCloudShadowStrength : CLOUDSHADOWSTRENGTH = 0.0;

float4x4 gSpotShadowMatrix : SPOTSHADOWMATRIX;
float4 gSpotShadowParams : SPOTSHADOWPARAMS = float4(1024.0, 1024.0, 1.0 / 1024.0, 0.001);
float4 gPointShadowParams : POINTSHADOWPARAMS = float4(0.05, 0.01, 0.0, 0.0);

texture gShadowMapTexture : SHADOWMAP;
sampler2D gShadowMapSampler = sampler_state
{
    Texture = <gShadowMapTexture>;
    MinFilter = Point;
    MagFilter = Point;
    MipFilter = None;
    AddressU = Clamp;
    AddressV = Clamp;
};

texture gCloudShadowTexture : CLOUDSHADOWMAP;
sampler2D gCloudShadowSampler = sampler_state
{
    Texture = <gCloudShadowTexture>;
    MinFilter = Linear;
    MagFilter = Linear;
    MipFilter = Linear;
    AddressU = Wrap;
    AddressV = Wrap;
};

texture gSpotShadowTexture : SPOTSHADOWMAP;
sampler2D gSpotShadowSampler = sampler_state
{
    Texture = <gSpotShadowTexture>;
    MinFilter = Point;
    MagFilter = Point;
    MipFilter = None;
    AddressU = Clamp;
    AddressV = Clamp;
};

texture gPointShadowTexture : POINTSHADOWMAP;
samplerCUBE gPointShadowSampler = sampler_state
{
    Texture = <gPointShadowTexture>;
    MinFilter = Point;
    MagFilter = Point;
    MipFilter = None;
    AddressU = Clamp;
    AddressV = Clamp;
    AddressW = Clamp;
};

struct ShadowCascade
{
    float4x4 projection;
    float depthBias;  // constant plus slope bias
    float index;
};

// coord: the tex2Dlod coordinate.
float ShadowCompare(sampler2D map, float4 coord, float depth)
{
    return step(depth, tex2Dlod(map, coord).r);
}

float ShadowPCF(sampler2D map, float2 uv, float depth, float2 texelSize)
{
    float lit = 0.0;
    // Rows in a loop the shader runs, the taps of a row unrolled: the sun
    // pass must stay within the instruction slots of ps_3_0.
    [loop] for (int y = SHADOW_PCF_START; y < SHADOW_PCF_END; y++)
    {
        // The row's tex2Dlod coordinate (level 0); the taps step along x.
        float4 row = float4(uv.x, uv.y + y * texelSize.y, 0.0, 0.0);
        [unroll] for (int x = SHADOW_PCF_START; x < SHADOW_PCF_END; x++)
        {
            lit += ShadowCompare(map, row + texelSize.xxxx * float4(x, 0.0, 0.0, 0.0), depth);
        }
    }
    return lit / (SHADOW_PCF_WIDTH * SHADOW_PCF_WIDTH);
}

// A whole number kept as a float: pixel shaders have no integers, and each
// conversion costs instructions.
float GetShadowCascadeIndex(float viewDepth)
{
    float4 beyond = step(gShadowCascadeSplits, float4(viewDepth, viewDepth, viewDepth, viewDepth));
    return dot(beyond, float4(1.0, 1.0, 1.0, 1.0));
}

// Each cascade's depth bias for a surface: constant plus slope bias.
float4 ShadowCascadeDepthBiases(float slope)
{
    return gShadowCascadeBias + gShadowCascadeSlopeBias * slope;
}

// Literal indices only: pixel shaders cannot address constants dynamically.
// depthBias: ShadowCascadeDepthBiases of the surface.
ShadowCascade GetShadowCascade(float index, float4 depthBias)
{
    bool3 reached = index >= float3(1.0, 2.0, 3.0);
    ShadowCascade c;
    c.projection = gShadowCascadeMatrices[0];
    c.depthBias = depthBias.x;
    if (reached.x)
    {
        c.projection = gShadowCascadeMatrices[1];
        c.depthBias = depthBias.y;
    }
    if (reached.y)
    {
        c.projection = gShadowCascadeMatrices[2];
        c.depthBias = depthBias.z;
    }
    if (reached.z)
    {
        c.projection = gShadowCascadeMatrices[3];
        c.depthBias = depthBias.w;
    }
    c.index = index;
    return c;
}

// tan of the angle between the surface and the light, at most 10: scales
// the slope bias.
float ShadowSlope(float NdotL)
{
    return min(sqrt(saturate(1.0 - NdotL * NdotL)) / max(NdotL, 0.05), 10.0);
}

float FilterShadowCascade(ShadowCascade c, float3 worldPos, out float2 t)
{
    float4 clip = mul(float4(worldPos, 1.0), c.projection);
    t = clip.xy / clip.w;
    float depth = clip.z / clip.w - c.depthBias;

    float2 tileUV = t * float2(0.5, -0.5) + 0.5;
    float2 uv = float2((tileUV.x + c.index) / SHADOW_CASCADE_COUNT, tileUV.y);
    return ShadowPCF(gShadowMapSampler, uv, depth, gShadowMapSize.zw);
}

// The sun's shadow for a cascade index below SHADOW_CASCADE_COUNT.
float FilterSunShadow(float3 worldPos, float index, float NdotL)
{
    float4 depthBiases = ShadowCascadeDepthBiases(ShadowSlope(NdotL));
    float2 t;
#ifdef MOX_SUNSHADOWSENHANCEMENTS
    // The current cascade and, near its border, the next one (fully lit past
    // the last) share one copy of the filter in a loop: two copies do not fit
    // the instruction slots of ps_3_0.
    bool lastCascade = index + 1.0 >= SHADOW_CASCADE_COUNT;
    float shadow = 1.0;
    float next = 1.0;
    float weight = 1.0;
    [loop] for (int k = 0; k < 2; k++)
    {
        float filtered = FilterShadowCascade(GetShadowCascade(index + k, depthBiases), worldPos, t);
        if (k > 0)
        {
            next = filtered;
            break;
        }
        shadow = filtered;
        float2 b = min((1.0 - abs(t)) / max(gShadowCascadeBlendAmount, 0.0001), 1.0);
        weight = saturate(min(b.x, b.y));
        if (weight >= 1.0 || lastCascade)
            break;
    }
    if (weight < 1.0)
        shadow = lerp(next, shadow, weight);
    return shadow;
#else
    return FilterShadowCascade(GetShadowCascade(index, depthBiases), worldPos, t);
#endif
}

float GetSunShadow(float3 worldPos, float viewDepth, float NdotL)
{
    float index = GetShadowCascadeIndex(viewDepth);
    if (index >= SHADOW_CASCADE_COUNT)
        return 1.0;
    return FilterSunShadow(worldPos, index, NdotL);
}

float GetCloudShadow(float3 worldPos)
{
    float2 uv = worldPos.xz * gCloudShadowParams.xy + gCloudShadowParams.zw;
    float cloud = tex2Dlod(gCloudShadowSampler, float4(uv, 0.0, 0.0)).r;
    return lerp(1.0, cloud, saturate(gCloudShadowStrength));
}

float GetSpotShadow(float3 worldPos, float NdotL)
{
    float4 clip = mul(float4(worldPos, 1.0), gSpotShadowMatrix);
    float3 p = clip.xyz / clip.w;
    float depth = p.z - gSpotShadowParams.w * (1.0 + ShadowSlope(NdotL));
    float2 uv = p.xy * float2(0.5, -0.5) + 0.5;
    return ShadowPCF(gSpotShadowSampler, uv, depth, gSpotShadowParams.zz);
}

float GetPointShadow(float3 lightToSurface)
{
    // The cube map holds the distance to the light scaled by 1 / range.
    float distance01 = length(lightToSurface) * gPointShadowParams.x;
    float stored = texCUBElod(gPointShadowSampler, float4(lightToSurface, 0.0)).r;
    return step(distance01 - gPointShadowParams.y, stored);
}

#endif // SHADOW_FNS_FXH

// CommonFns.fxh - definitions shared by the game's forward and deferred effects.
//
// Offers:
//   precision aliases hfloat, hfloat2, hfloat3, hfloat4, hfloat3x3, hfloat4x4
//       (half with USE_HALF_PRECISION, which stays off; float otherwise)
//   transforms (row vectors, mul(v, M)):
//       float4x4 gWorld               : WORLD
//       float4x4 gView                : VIEW
//       float4x4 gProjection          : PROJECTION
//       float4x4 gWorldView           : WORLDVIEW
//       float4x4 gViewProjection      : VIEWPROJECTION
//       float4x4 gWorldViewProjection : WORLDVIEWPROJECTION
//   scene constants:
//       float4 gCameraPosition      : CAMERAPOSITION       world space, w unused
//       float  gTime                : TIME                 seconds
//       float4 gSunDirection        : SUNDIRECTION         world space, toward the sun
//       float4 gSunColour           : SUNCOLOUR            rgb colour, a intensity
//       float4 gAmbientSkyColour    : AMBIENTSKYCOLOUR     hemispheric ambient, upper half
//       float4 gAmbientGroundColour : AMBIENTGROUNDCOLOUR  hemispheric ambient, lower half
//       float  gGlobalLighting      : GLOBALLIGHTING       overall daylight level, 0..1
//   texture gEnvMapTexture : ENVIRONMENTMAP, samplerCUBE gEnvMapSampler (linear, mipmapped)
//   functions:
//       float3 GetHemisphericAmbient(float3 worldNormal)
//       float3 GetEnvironmentReflection(float3 worldReflect)
//       float  Luminance(float3 colour)        weights (0.3, 0.59, 0.11)
//       float3 Desaturate(float3 colour, float amount)   0 keeps, 1 grey (0.333 weights)
//   fixed-function fallback techniques (single texture):
//       FVF_FALLBACK_TECHNIQUE(tex)                       technique FVF_FALLBACK
//       FVF_FALLBACK_TECHNIQUE_WITH_ALPHA(tex)            technique FVF_FALLBACK_WITH_ALPHA
//       FVF_FALLBACK_TECHNIQUE_WITH_TFACTOR(tex, factor)  technique FVF_FALLBACK, colour
//           from the texture factor (a DWORD such as 0xffffffff) instead of the vertex
#ifndef COMMON_FNS_FXH
#define COMMON_FNS_FXH

//#define USE_HALF_PRECISION

#ifdef USE_HALF_PRECISION
#define hfloat half
#define hfloat2 half2
#define hfloat3 half3
#define hfloat4 half4
#define hfloat3x3 half3x3
#define hfloat4x4 half4x4
#else
#define hfloat float
#define hfloat2 float2
#define hfloat3 float3
#define hfloat4 float4
#define hfloat3x3 float3x3
#define hfloat4x4 float4x4
#endif

float4x4 gWorld : WORLD;
float4x4 gView : VIEW;
float4x4 gProjection : PROJECTION;
float4x4 gWorldView : WORLDVIEW;
float4x4 gViewProjection : VIEWPROJECTION;
float4x4 gWorldViewProjection : WORLDVIEWPROJECTION;

float4 gCameraPosition : CAMERAPOSITION = float4(0.0, 0.0, 0.0, 1.0);
float gTime : TIME = 0.0;
float4 gSunDirection : SUNDIRECTION = float4(0.0, 1.0, 0.0, 0.0);
float4 gSunColour : SUNCOLOUR = float4(1.0, 1.0, 1.0, 1.0);
float4 gAmbientSkyColour : AMBIENTSKYCOLOUR = float4(0.4, 0.45, 0.5, 1.0);
float4 gAmbientGroundColour : AMBIENTGROUNDCOLOUR = float4(0.2, 0.2, 0.18, 1.0);
float gGlobalLighting : GLOBALLIGHTING = 1.0;

texture gEnvMapTexture : ENVIRONMENTMAP;
samplerCUBE gEnvMapSampler = sampler_state
{
    Texture = <gEnvMapTexture>;
    MinFilter = Linear;
    MagFilter = Linear;
    MipFilter = Linear;
    AddressU = Clamp;
    AddressV = Clamp;
    AddressW = Clamp;
};

float3 GetHemisphericAmbient(float3 worldNormal)
{
    float upness = saturate(worldNormal.y * 0.5 + 0.5);
    return lerp(gAmbientGroundColour.rgb, gAmbientSkyColour.rgb, upness);
}

float3 GetEnvironmentReflection(float3 worldReflect)
{
    return texCUBE(gEnvMapSampler, worldReflect).rgb;
}

float Luminance(float3 colour)
{
    return dot(colour, float3(0.3, 0.59, 0.11));
}

float3 Desaturate(float3 colour, float amount)
{
    float grey = dot(colour, float3(0.333, 0.333, 0.333));
    return lerp(colour, float3(grey, grey, grey), amount);
}

// Cards without the shader models still get a textured, unlit picture.
#define FVF_FALLBACK_TRANSFORMS \
        VertexShader = NULL; \
        PixelShader = NULL; \
        WorldTransform[0] = (gWorld); \
        ViewTransform = (gView); \
        ProjectionTransform = (gProjection); \
        Lighting = false; \
        FogEnable = false;

#define FVF_FALLBACK_TECHNIQUE(tex) \
technique FVF_FALLBACK \
{ \
    pass P0 \
    { \
        FVF_FALLBACK_TRANSFORMS \
        Texture[0] = <tex>; \
        ColorOp[0] = Modulate; \
        ColorArg1[0] = Texture; \
        ColorArg2[0] = Diffuse; \
        AlphaOp[0] = SelectArg1; \
        AlphaArg1[0] = Diffuse; \
        ColorOp[1] = Disable; \
        AlphaOp[1] = Disable; \
        AlphaBlendEnable = false; \
        AlphaTestEnable = false; \
    } \
}

#define FVF_FALLBACK_TECHNIQUE_WITH_ALPHA(tex) \
technique FVF_FALLBACK_WITH_ALPHA \
{ \
    pass P0 \
    { \
        FVF_FALLBACK_TRANSFORMS \
        Texture[0] = <tex>; \
        ColorOp[0] = Modulate; \
        ColorArg1[0] = Texture; \
        ColorArg2[0] = Diffuse; \
        AlphaOp[0] = Modulate; \
        AlphaArg1[0] = Texture; \
        AlphaArg2[0] = Diffuse; \
        ColorOp[1] = Disable; \
        AlphaOp[1] = Disable; \
        AlphaBlendEnable = true; \
        SrcBlend = SrcAlpha; \
        DestBlend = InvSrcAlpha; \
        AlphaTestEnable = true; \
        AlphaFunc = Greater; \
        AlphaRef = 8; \
    } \
}

#define FVF_FALLBACK_TECHNIQUE_WITH_TFACTOR(tex, factor) \
technique FVF_FALLBACK \
{ \
    pass P0 \
    { \
        FVF_FALLBACK_TRANSFORMS \
        TextureFactor = factor; \
        Texture[0] = <tex>; \
        ColorOp[0] = Modulate; \
        ColorArg1[0] = Texture; \
        ColorArg2[0] = TFactor; \
        AlphaOp[0] = Modulate; \
        AlphaArg1[0] = Texture; \
        AlphaArg2[0] = TFactor; \
        ColorOp[1] = Disable; \
        AlphaOp[1] = Disable; \
        AlphaBlendEnable = false; \
        AlphaTestEnable = false; \
    } \
}

#endif // COMMON_FNS_FXH

// Rain.fx - rain streaks and snow flakes. Each particle is a quad whose four
// vertices share the particle's centre; the vertex shader spreads them
// across the view and stretches them along the fall direction.
//
// Switch MOX_WEATHEREFFECTSENHANCEMENTS: every particle gets its own opacity
// between the minimum hook and 1, so that the weather reads less uniform.

#ifndef MOX_WeatherEffectsRandomRainSnowMinimumOpacity
#define MOX_WeatherEffectsRandomRainSnowMinimumOpacity 0.75
#endif

#include "CommonFns.fxh"

float4 gRainColour : RAINCOLOUR = float4(0.7, 0.72, 0.75, 0.35);   // rgb tint, a opacity
// x particle width, y streak length (snow: about the width), zw unused
float4 gRainParams : RAINPARAMS = float4(0.01, 0.4, 0.0, 0.0);
float4 gRainFallDirection : RAINFALLDIRECTION = float4(0.0, -1.0, 0.0, 0.0);   // world space, wind included

texture gRainTexture : RAINTEXTURE;
sampler2D gRainSampler = sampler_state
{
    Texture = <gRainTexture>;
    MinFilter = Linear;
    MagFilter = Linear;
    MipFilter = Linear;
    AddressU = Clamp;
    AddressV = Clamp;
};

struct RainVSInput
{
    float4 position : POSITION;     // particle centre, world space
    float2 corner : TEXCOORD0;      // -1..1 across and along the particle
    float4 colour : COLOR0;
};

struct RainVSOutput
{
    float4 position : POSITION;
    float2 texCoord : TEXCOORD0;
    float4 colour : COLOR0;
};

struct RainPSInput
{
    float2 texCoord : TEXCOORD0;
    float4 colour : COLOR0;
};

#ifdef MOX_WEATHEREFFECTSENHANCEMENTS
// The same hash as the enhancement library's stableRandom; this effect does
// not include that library, so a copy under its own name.
float RainStableRandom(float2 v)
{
    return frac(10000.0 * sin(17.0 * v.x + 0.1 * v.y) * (0.1 + abs(sin(13.0 * v.y + v.x))));
}
#endif

RainVSOutput RainVS(RainVSInput v)
{
    RainVSOutput o;
    float3 centre = v.position.xyz;
    float3 fall = normalize(gRainFallDirection.xyz);
    float3 toCamera = gCameraPosition.xyz - centre;
    // Across the fall direction and facing the camera; a fall straight at the
    // camera falls back to any perpendicular.
    float3 across = cross(fall, toCamera);
    float acrossLength = length(across);
    across = acrossLength > 1.0e-4 ? across / acrossLength : float3(1.0, 0.0, 0.0);
    float3 world = centre + across * (v.corner.x * gRainParams.x) + fall * (v.corner.y * gRainParams.y);

    o.position = mul(float4(world, 1.0), gViewProjection);
    o.texCoord = v.corner * 0.5 + 0.5;
    o.colour = v.colour * gRainColour;
#ifdef MOX_WEATHEREFFECTSENHANCEMENTS
    // Seeded by the horizontal position, which stays put while the particle falls.
    o.colour *= clamp(RainStableRandom(centre.xz), MOX_WeatherEffectsRandomRainSnowMinimumOpacity, 1.0);
#endif
    return o;
}

float4 RainPS(RainPSInput i) : COLOR0
{
    return tex2D(gRainSampler, i.texCoord) * i.colour;
}

technique LOW
{
    pass P0
    {
        ZEnable = true;
        ZWriteEnable = false;
        CullMode = None;
        AlphaBlendEnable = true;
        SrcBlend = SrcAlpha;
        DestBlend = InvSrcAlpha;
        AlphaTestEnable = true;
        AlphaFunc = Greater;
        AlphaRef = 1;
        VertexShader = compile vs_3_0 RainVS();
        PixelShader = compile ps_3_0 RainPS();
    }
}

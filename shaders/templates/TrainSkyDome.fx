// TrainSkyDome.fx - the sky dome: the game colours its vertices with the sky
// gradient; the sun disc is added on top. Drawn at the far plane behind
// everything else.
//
// The sky is toned down (0.85) and the disc halved (0.5) against the game's
// own look, so that both fit the brighter post chain; the two hooks scale
// them further.

#ifndef MOX_SkySunSizeMultiplier
#define MOX_SkySunSizeMultiplier 1.0
#endif
#ifndef MOX_SkyBrightnessMultiplier
#define MOX_SkyBrightnessMultiplier 1.0
#endif

#include "CommonFns.fxh"

// x disc sharpness (exponent on the cosine to the sun), y disc intensity
float4 gSkySunParams : SKYSUNPARAMS = float4(2000.0, 4.0, 0.0, 0.0);

struct SkyVSInput
{
    float4 position : POSITION;
    float4 colour : COLOR0;
};

struct SkyVSOutput
{
    float4 position : POSITION;
    float4 colour : COLOR0;
    float3 direction : TEXCOORD0;
};

struct SkyPSInput
{
    float4 colour : COLOR0;
    float3 direction : TEXCOORD0;
};

struct SkyFallbackVSOutput
{
    float4 position : POSITION;
    float4 colour : COLOR0;
};

struct SkyFallbackPSInput
{
    float4 colour : COLOR0;
};

float4 SkyClipPosition(float4 position)
{
    float4 clip = mul(position, gWorldViewProjection);
    // Onto the far plane, just inside it so that the clipper keeps it.
    clip.z = clip.w * 0.99999;
    return clip;
}

float3 SkySunColour(float3 direction)
{
    float towardSun = saturate(dot(normalize(direction), normalize(gSunDirection.xyz)));
    float3 sun = gSunColour.rgb * gSunColour.a * pow(towardSun, gSkySunParams.x) * gSkySunParams.y;
    return sun * 0.5 * MOX_SkySunSizeMultiplier;
}

float4 SkyColour(float4 vertexColour, float3 sun)
{
    return float4(vertexColour.rgb * 0.85 * MOX_SkyBrightnessMultiplier + sun, 1.0);
}

SkyVSOutput SkyVS(SkyVSInput v)
{
    SkyVSOutput o;
    o.position = SkyClipPosition(v.position);
    o.colour = v.colour;
    // The dome is centred on the camera: its local position is the view direction.
    o.direction = mul(v.position.xyz, (float3x3)gWorld);
    return o;
}

float4 SkyPS(SkyPSInput i) : COLOR0
{
    return SkyColour(i.colour, SkySunColour(i.direction));
}

// Sun per vertex: a soft, larger disc, but no per-pixel work.
SkyFallbackVSOutput SkyFallbackVS(SkyVSInput v)
{
    SkyFallbackVSOutput o;
    o.position = SkyClipPosition(v.position);
    o.colour = SkyColour(v.colour, SkySunColour(mul(v.position.xyz, (float3x3)gWorld)));
    return o;
}

float4 SkyFallbackPS(SkyFallbackPSInput i) : COLOR0
{
    return i.colour;
}

#define SKY_STATES \
        ZEnable = true; \
        ZFunc = LessEqual; \
        ZWriteEnable = false; \
        CullMode = None; \
        AlphaBlendEnable = false; \
        AlphaTestEnable = false; \
        FogEnable = false;

technique DEFERRED
{
    pass P0
    {
        SKY_STATES
        VertexShader = compile vs_3_0 SkyVS();
        PixelShader = compile ps_3_0 SkyPS();
    }
}

technique LOW
{
    pass P0
    {
        SKY_STATES
        VertexShader = compile vs_2_0 SkyVS();
        PixelShader = compile ps_2_0 SkyPS();
    }
}

technique FALLBACK
{
    pass P0
    {
        SKY_STATES
        VertexShader = compile vs_2_0 SkyFallbackVS();
        PixelShader = compile ps_2_0 SkyFallbackPS();
    }
}

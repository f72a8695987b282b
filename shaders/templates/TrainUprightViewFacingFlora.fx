// TrainUprightViewFacingFlora.fx - billboard trees that turn toward the
// camera about their vertical axis only, so trunks stay upright however the
// camera looks down on them. Either a whole object of billboards (plain) or
// one quad per instance (instanced); the deferred techniques fill the
// G-buffer, the low ones light and blend forward.

#ifndef MOX_VegetationMaxColorVariationAmplitude
#define MOX_VegetationMaxColorVariationAmplitude 0.25
#endif

#ifndef MOX_VegetationMaxBrightnessVariationAmplitude
#define MOX_VegetationMaxBrightnessVariationAmplitude 0.20
#endif

#include "CommonFns.fxh"
#include "DeferredFns.fxh"
#include "MOX_Defines.fxh"
#include "MOX_Fns.fxh"

// Coverage below which the deferred techniques drop a pixel: the G-buffer
// cannot blend.
float gFloraAlphaReference : ALPHAREFERENCE = 0.4;

texture gDiffuseTexture : DIFFUSE;
sampler2D gDiffuseSampler = sampler_state
{
    Texture = <gDiffuseTexture>;
    MinFilter = Linear;
    MagFilter = Linear;
    MipFilter = Linear;
    AddressU = Clamp;
    AddressV = Clamp;
};

struct FloraVSInput
{
    float4 offset : POSITION;       // billboard base in object space
    float2 texCoord : TEXCOORD0;
    float2 corner : TEXCOORD1;      // world units, x across, y up from the base
    float4 colour : COLOR0;
};

struct FloraInstancedVSInput
{
    float2 corner : POSITION;       // unit quad, x -0.5..0.5 across, y 0..1 up
    float2 texCoord : TEXCOORD0;
    float4 offset : TEXCOORD4;      // per instance: xyz world base, w size
    float4 colour : TEXCOORD5;      // per instance colour
};

struct FloraVSOutput
{
    float4 position : POSITION;
    float2 texCoord : TEXCOORD0;
    float4 colour : TEXCOORD1;
    float3 light : TEXCOORD2;       // forward lighting of the low techniques
    float4 viewNormal : TEXCOORD3;  // xyz view-space normal, w view depth
};

struct FloraPSInput
{
    float2 texCoord : TEXCOORD0;
    float4 colour : TEXCOORD1;
    float3 light : TEXCOORD2;
    float4 viewNormal : TEXCOORD3;
};

#ifdef MOX_2DVEGETATIONSHADINGENHANCEMENTS
// Every billboard gets its own brightness and shade of green, so a forest of
// one texture does not look cloned.
float4 VaryBillboardColour(float4 colour, float2 offset)
{
    float r = stableRandom(offset);
    float brightness = r * MOX_VegetationMaxBrightnessVariationAmplitude;
    float green = r * MOX_VegetationMaxColorVariationAmplitude;
    float direction = r < 0.5 ? -1.0 : 1.0;
    colour.rgb *= 1.0 + direction * brightness;
    colour.g *= 1.0 + direction * green;
    return colour;
}
#endif

// The quad turns about the world's vertical through its base.
float3 ExpandBillboard(float3 worldBase, float2 corner)
{
    float2 toCamera = gCameraPosition.xz - worldBase.xz;
    float len = length(toCamera);
    // Straight above the base any heading will do; keep the camera's own.
    float2 across = len > 0.001 ? float2(-toCamera.y, toCamera.x) / len : float2(gView._11, gView._31);
    float3 right = normalize(float3(across.x, 0.0, across.y));
    return worldBase + right * corner.x + float3(0.0, corner.y, 0.0);
}

FloraVSOutput FinishFloraVertex(float3 worldPosition, float3 worldBase, float2 texCoord, float4 colour)
{
    FloraVSOutput o;
    o.position = mul(float4(worldPosition, 1.0), gViewProjection);
    o.texCoord = texCoord;
    o.colour = colour;

    // Level toward the camera and tilted to the sky: reads as a rounded crown.
    float3 toCamera = gCameraPosition.xyz - worldBase;
    toCamera.y = 0.0;
    toCamera = toCamera / max(length(toCamera), 0.001);
    float3 normal = normalize(toCamera + float3(0.0, 0.6, 0.0));
    float sunWrap = saturate(dot(normal, gSunDirection.xyz) * 0.5 + 0.5);
    o.light = GetHemisphericAmbient(normal) + gSunColour.rgb * gSunColour.a * sunWrap;

    o.viewNormal.xyz = mul(normal, (float3x3)gView);
    o.viewNormal.w = mul(float4(worldPosition, 1.0), gView).z;
    return o;
}

FloraVSOutput FloraVS(FloraVSInput v)
{
    float4 colour = v.colour;
#ifdef MOX_2DVEGETATIONSHADINGENHANCEMENTS
    colour = VaryBillboardColour(colour, v.offset.xy);
#endif
    float3 worldBase = mul(v.offset, gWorld).xyz;
    float3 worldPosition = ExpandBillboard(worldBase, v.corner);
    return FinishFloraVertex(worldPosition, worldBase, v.texCoord, colour);
}

FloraVSOutput FloraInstancedVS(FloraInstancedVSInput v)
{
    float4 colour = v.colour;
#ifdef MOX_2DVEGETATIONSHADINGENHANCEMENTS
    colour = VaryBillboardColour(colour, v.offset.xy);
#endif
    float3 worldBase = v.offset.xyz;
    float3 worldPosition = ExpandBillboard(worldBase, v.corner * v.offset.w);
    return FinishFloraVertex(worldPosition, worldBase, v.texCoord, colour);
}

float4 SampleFlora(FloraPSInput i)
{
    float4 albedo = tex2D(gDiffuseSampler, i.texCoord);
#ifdef MOX_2DVEGETATIONSHADINGENHANCEMENTS
    albedo.rgb *= i.colour.rgb;
#endif
    return albedo;
}

GBufferOutput FloraDeferredPS(FloraPSInput i)
{
    float4 albedo = SampleFlora(i);
#ifdef MOX_ALPHAMASKOPTIMIZATION
    clip(albedo.a - MOX_AlphaMaskThreshold);
#else
    clip(albedo.a - gFloraAlphaReference);
#endif
    return PackGBuffer(albedo.rgb, 1.0, i.viewNormal.xyz, 0.0, 0.0, 0.0, 0.0, 0.0, i.viewNormal.w);
}

float4 FloraLowPS(FloraPSInput i) : COLOR0
{
    float4 albedo = SampleFlora(i);
#ifdef MOX_ALPHAMASKOPTIMIZATION
    // Tested instead of blended: no sorting, and the depth can be written.
    clip(albedo.a - MOX_AlphaMaskThreshold);
#endif
    return float4(albedo.rgb * i.light, albedo.a);
}

#define FLORA_DEFERRED_STATES \
        ZEnable = true; \
        ZWriteEnable = true; \
        CullMode = None; \
        AlphaTestEnable = false; \
        AlphaBlendEnable = false;

#ifdef MOX_ALPHAMASKOPTIMIZATION
#define FLORA_LOW_STATES \
        ZEnable = true; \
        ZWriteEnable = true; \
        CullMode = None; \
        AlphaTestEnable = false; \
        AlphaBlendEnable = false;
#else
#define FLORA_LOW_STATES \
        ZEnable = true; \
        ZWriteEnable = false; \
        CullMode = None; \
        AlphaTestEnable = true; \
        AlphaFunc = Greater; \
        AlphaRef = 8; \
        AlphaBlendEnable = true; \
        SrcBlend = SrcAlpha; \
        DestBlend = InvSrcAlpha;
#endif

technique DEFERRED
{
    pass P0
    {
        FLORA_DEFERRED_STATES
        VertexShader = compile vs_3_0 FloraVS();
        PixelShader = compile ps_3_0 FloraDeferredPS();
    }
}

technique DEFERRED_INSTANCED
{
    pass P0
    {
        FLORA_DEFERRED_STATES
        VertexShader = compile vs_3_0 FloraInstancedVS();
        PixelShader = compile ps_3_0 FloraDeferredPS();
    }
}

technique LOW
{
    pass P0
    {
        FLORA_LOW_STATES
        VertexShader = compile vs_3_0 FloraVS();
        PixelShader = compile ps_3_0 FloraLowPS();
    }
}

technique LOW_INSTANCED
{
    pass P0
    {
        FLORA_LOW_STATES
        VertexShader = compile vs_3_0 FloraInstancedVS();
        PixelShader = compile ps_3_0 FloraLowPS();
    }
}

// PostTrainLightGlow.fx - glow around emissive surfaces (lamps, signals, cab
// displays). The emissive channel of the material buffer marks what glows.
//
// Stock: a mask pass (scene colour where emissive) into a half-size target,
// blurred (HIGH: 9 taps per axis, MEDIUM: 5, LOW: none), then added onto the
// scene.
// Switch MOX_LIGHTGLOWENHANCEMENTS: no blur. HIGH adds the tinted glow in one
// pass at full resolution; MEDIUM and LOW keep the mask pass, tinted, and add
// it at half strength.

#ifndef MOX_LightGlowColorTint
#define MOX_LightGlowColorTint float3(1.0, 1.0, 1.0)
#endif

#include "DeferredFns.fxh"

float gLightGlowIntensity : LIGHTGLOWINTENSITY = 1.0;

#define GLOW_TARGET_RATIO 0.5

texture gGlowMaskTexture : LIGHTGLOWMASK
<
    float2 ViewportRatio = { GLOW_TARGET_RATIO, GLOW_TARGET_RATIO };
    string Format = "A8R8G8B8";
>;
sampler2D gGlowMaskSampler = sampler_state
{
    Texture = <gGlowMaskTexture>;
    MinFilter = Linear;
    MagFilter = Linear;
    MipFilter = None;
    AddressU = Clamp;
    AddressV = Clamp;
};

texture gGlowBlurTexture : LIGHTGLOWBLUR
<
    float2 ViewportRatio = { GLOW_TARGET_RATIO, GLOW_TARGET_RATIO };
    string Format = "A8R8G8B8";
>;
sampler2D gGlowBlurSampler = sampler_state
{
    Texture = <gGlowBlurTexture>;
    MinFilter = Linear;
    MagFilter = Linear;
    MipFilter = None;
    AddressU = Clamp;
    AddressV = Clamp;
};

struct GlowVSOutput
{
    float4 position : POSITION;
    float2 texCoord : TEXCOORD0;
};

struct GlowPSInput
{
    float2 texCoord : TEXCOORD0;
};

// Quad into the half-size targets: half a texel of that target.
GlowVSOutput GlowTargetVS(DeferredQuadInput v)
{
    GlowVSOutput o;
    o.position = float4(v.position.xy, 0.0, 1.0);
    o.texCoord = v.texCoord + 0.5 * gDeferredViewSize.zw / GLOW_TARGET_RATIO;
    return o;
}

float GetEmissive(float2 uv)
{
    return tex2Dlod(gMaterialBufferSampler, float4(uv, 0.0, 0.0)).a;
}

// ---- stock

float4 GlowMaskPS(GlowPSInput i) : COLOR0
{
    float glow = GetEmissive(i.texCoord);
    return float4(GetSceneColour(i.texCoord).rgb * glow, glow);
}

static const float kGlowBlur9[9] = { 0.028, 0.066, 0.122, 0.176, 0.216, 0.176, 0.122, 0.066, 0.028 };
static const float kGlowBlur5[5] = { 0.09, 0.24, 0.34, 0.24, 0.09 };

float4 GlowBlur(sampler2D source, float2 uv, float2 axis, int taps)
{
    float2 texelStep = axis * gDeferredViewSize.zw / GLOW_TARGET_RATIO;
    float4 sum = 0.0;
    if (taps == 9)
    {
        [unroll] for (int k = 0; k < 9; k++)
            sum += tex2D(source, uv + (k - 4) * texelStep) * kGlowBlur9[k];
    }
    else
    {
        [unroll] for (int k = 0; k < 5; k++)
            sum += tex2D(source, uv + (k - 2) * 1.5 * texelStep) * kGlowBlur5[k];
    }
    return sum;
}

float4 GlowBlurHighHPS(GlowPSInput i) : COLOR0
{
    return GlowBlur(gGlowMaskSampler, i.texCoord, float2(1.0, 0.0), 9);
}

float4 GlowBlurHighVPS(GlowPSInput i) : COLOR0
{
    return GlowBlur(gGlowBlurSampler, i.texCoord, float2(0.0, 1.0), 9);
}

float4 GlowBlurMediumHPS(GlowPSInput i) : COLOR0
{
    return GlowBlur(gGlowMaskSampler, i.texCoord, float2(1.0, 0.0), 5);
}

float4 GlowBlurMediumVPS(GlowPSInput i) : COLOR0
{
    return GlowBlur(gGlowBlurSampler, i.texCoord, float2(0.0, 1.0), 5);
}

float4 GlowCompositePS(DeferredQuadPSInput i) : COLOR0
{
    return tex2D(gGlowMaskSampler, i.texCoord) * gLightGlowIntensity;
}

// ---- enhanced

#ifdef MOX_LIGHTGLOWENHANCEMENTS
float4 TintedGlow(float2 uv)
{
    float glow = GetEmissive(uv);
    float3 colour = glow > 0.0 ? GetSceneColour(uv).rgb * 2.0 * MOX_LightGlowColorTint : float3(0.0, 0.0, 0.0);
    return float4(colour * glow, glow);
}

float4 GlowDirectPS(DeferredQuadPSInput i) : COLOR0
{
    return TintedGlow(i.texCoord) * 0.75;
}

float4 GlowTintedMaskPS(GlowPSInput i) : COLOR0
{
    return TintedGlow(i.texCoord);
}

float4 GlowHalfCompositePS(DeferredQuadPSInput i) : COLOR0
{
    return tex2D(gGlowMaskSampler, i.texCoord) * 0.5;
}
#endif

// ---- techniques

#define GLOW_QUAD_STATES \
        ZEnable = false; \
        ZWriteEnable = false; \
        CullMode = None; \
        StencilEnable = false;

#define GLOW_TARGET_STATES \
        GLOW_QUAD_STATES \
        AlphaBlendEnable = false; \
        AlphaTestEnable = false;

// Alpha 2 of 255 keeps the empty parts of the screen from being blended at all.
#define GLOW_ADD_STATES \
        GLOW_QUAD_STATES \
        AlphaBlendEnable = true; \
        SrcBlend = One; \
        DestBlend = One; \
        AlphaTestEnable = true; \
        AlphaFunc = Greater; \
        AlphaRef = 2;

#ifdef MOX_LIGHTGLOWENHANCEMENTS

technique HIGH
{
    pass Composite
    {
        GLOW_ADD_STATES
        VertexShader = compile vs_3_0 DeferredFullScreenVS();
        PixelShader = compile ps_3_0 GlowDirectPS();
    }
}

technique MEDIUM
{
    pass Mask < string RenderTarget = "gGlowMaskTexture"; >
    {
        GLOW_TARGET_STATES
        VertexShader = compile vs_3_0 GlowTargetVS();
        PixelShader = compile ps_3_0 GlowTintedMaskPS();
    }
    pass Composite
    {
        GLOW_ADD_STATES
        VertexShader = compile vs_3_0 DeferredFullScreenVS();
        PixelShader = compile ps_3_0 GlowHalfCompositePS();
    }
}

technique LOW
{
    pass Mask < string RenderTarget = "gGlowMaskTexture"; >
    {
        GLOW_TARGET_STATES
        VertexShader = compile vs_3_0 GlowTargetVS();
        PixelShader = compile ps_3_0 GlowTintedMaskPS();
    }
    pass Composite
    {
        GLOW_ADD_STATES
        VertexShader = compile vs_3_0 DeferredFullScreenVS();
        PixelShader = compile ps_3_0 GlowHalfCompositePS();
    }
}

#else

technique HIGH
{
    pass Mask < string RenderTarget = "gGlowMaskTexture"; >
    {
        GLOW_TARGET_STATES
        VertexShader = compile vs_3_0 GlowTargetVS();
        PixelShader = compile ps_3_0 GlowMaskPS();
    }
    pass BlurH < string RenderTarget = "gGlowBlurTexture"; >
    {
        GLOW_TARGET_STATES
        VertexShader = compile vs_3_0 GlowTargetVS();
        PixelShader = compile ps_3_0 GlowBlurHighHPS();
    }
    pass BlurV < string RenderTarget = "gGlowMaskTexture"; >
    {
        GLOW_TARGET_STATES
        VertexShader = compile vs_3_0 GlowTargetVS();
        PixelShader = compile ps_3_0 GlowBlurHighVPS();
    }
    pass Composite
    {
        GLOW_QUAD_STATES
        AlphaBlendEnable = true;
        SrcBlend = One;
        DestBlend = One;
        AlphaTestEnable = false;
        VertexShader = compile vs_3_0 DeferredFullScreenVS();
        PixelShader = compile ps_3_0 GlowCompositePS();
    }
}

technique MEDIUM
{
    pass Mask < string RenderTarget = "gGlowMaskTexture"; >
    {
        GLOW_TARGET_STATES
        VertexShader = compile vs_3_0 GlowTargetVS();
        PixelShader = compile ps_3_0 GlowMaskPS();
    }
    pass BlurH < string RenderTarget = "gGlowBlurTexture"; >
    {
        GLOW_TARGET_STATES
        VertexShader = compile vs_3_0 GlowTargetVS();
        PixelShader = compile ps_3_0 GlowBlurMediumHPS();
    }
    pass BlurV < string RenderTarget = "gGlowMaskTexture"; >
    {
        GLOW_TARGET_STATES
        VertexShader = compile vs_3_0 GlowTargetVS();
        PixelShader = compile ps_3_0 GlowBlurMediumVPS();
    }
    pass Composite
    {
        GLOW_QUAD_STATES
        AlphaBlendEnable = true;
        SrcBlend = One;
        DestBlend = One;
        AlphaTestEnable = false;
        VertexShader = compile vs_3_0 DeferredFullScreenVS();
        PixelShader = compile ps_3_0 GlowCompositePS();
    }
}

technique LOW
{
    pass Mask < string RenderTarget = "gGlowMaskTexture"; >
    {
        GLOW_TARGET_STATES
        VertexShader = compile vs_3_0 GlowTargetVS();
        PixelShader = compile ps_3_0 GlowMaskPS();
    }
    pass Composite
    {
        GLOW_QUAD_STATES
        AlphaBlendEnable = true;
        SrcBlend = One;
        DestBlend = One;
        AlphaTestEnable = false;
        VertexShader = compile vs_3_0 DeferredFullScreenVS();
        PixelShader = compile ps_3_0 GlowCompositePS();
    }
}

#endif

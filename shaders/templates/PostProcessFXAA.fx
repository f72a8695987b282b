// PostProcessFXAA.fx - anti-aliasing of the finished frame.
//
// Switch MOX_FXAAFIX: the game's reciprocal-frame constant is not kept up to
// date with the view; take (1 / width, 1 / height) from the view size instead.

#ifndef MOX_FXAAEdgeBluringIntensity
#define MOX_FXAAEdgeBluringIntensity 0.5
#endif

// The frame arrives tone mapped, with nothing in alpha: judge edges by green.
#define FXAA_PC 1
#define FXAA_HLSL_3 1
#define FXAA_QUALITY_PRESET 29
#define FXAA_GREEN_AS_LUMA 1
#include "FXAA3_11.fxh"

float4 gViewSize : VIEWSIZE = float4(1280.0, 720.0, 1.0 / 1280.0, 1.0 / 720.0);
float4 gFXAARcpFrame : FXAARCPFRAME = float4(1.0 / 1280.0, 1.0 / 720.0, 0.0, 0.0);
float gFXAAEdgeThreshold : FXAAEDGETHRESHOLD = 0.166;
float gFXAAEdgeThresholdMin : FXAAEDGETHRESHOLDMIN = 0.0833;

texture gSceneTexture : SCENECOLOUR;
sampler2D gSceneSampler = sampler_state
{
    Texture = <gSceneTexture>;
    MinFilter = Linear;
    MagFilter = Linear;
    MipFilter = None;
    AddressU = Clamp;
    AddressV = Clamp;
};

struct FXAAVertexInput
{
    float4 position : POSITION;
    float2 texCoord : TEXCOORD0;
};

struct FXAAVertexOutput
{
    float4 position : POSITION;
    float2 texCoord : TEXCOORD0;
    float2 rcpFrame : TEXCOORD1;
};

// ps_3_0 cannot take POSITION as an input.
struct FXAAPixelInput
{
    float2 texCoord : TEXCOORD0;
    float2 rcpFrame : TEXCOORD1;
};

float2 GetFXAARcpFrame()
{
#ifdef MOX_FXAAFIX
    return float2(1.0 / gViewSize.x, 1.0 / gViewSize.y);
#else
    return gFXAARcpFrame.xy;
#endif
}

FXAAVertexOutput FXAAVS(FXAAVertexInput v)
{
    FXAAVertexOutput o;
    float2 rcpFrame = GetFXAARcpFrame();
    o.position = float4(v.position.xy, 0.0, 1.0);
    // Direct3D 9 puts texel corners on pixel centres: shift by half a texel.
    o.texCoord = v.texCoord + 0.5 * rcpFrame;
    o.rcpFrame = rcpFrame;
    return o;
}

float4 FXAAPS(FXAAPixelInput i) : COLOR0
{
    float4 colour = FxaaPixelShader(i.texCoord, gSceneSampler, i.rcpFrame,
                                    MOX_FXAAEdgeBluringIntensity,
                                    gFXAAEdgeThreshold, gFXAAEdgeThresholdMin);
    return float4(colour.rgb, 1.0);
}

technique FXAA
{
    pass P0
    {
        ZEnable = false;
        ZWriteEnable = false;
        CullMode = None;
        AlphaBlendEnable = false;
        AlphaTestEnable = false;
        StencilEnable = false;
        VertexShader = compile vs_3_0 FXAAVS();
        PixelShader = compile ps_3_0 FXAAPS();
    }
}

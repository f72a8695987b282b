// PostDepthOfField.fx - depth of field. Pass 0 copies the lit scene into a
// smaller target; pass 1 blurs each pixel over that copy by its distance
// from the focus depth, never pulling in nearer surfaces.

#ifndef MOX_DOFNearPlane
#define MOX_DOFNearPlane 1000.0
#endif

#include "DeferredFns.fxh"

#ifdef MOX_DOFENHANCEMENTS
#define DOF_COPY_SCALE 0.75
// Offsets -3..1, the centre tap is the fourth.
#define DOF_TAP_FIRST -3
#define DOF_TAP_LAST 1
#else
#define DOF_COPY_SCALE 1.0
#define DOF_TAP_FIRST -3
#define DOF_TAP_LAST 3
#endif

float gDOFFocusDepth : DOFFOCUSDEPTH = 50.0;   // current focus depth
float gDOFMaxCoC : DOFMAXCOC = 1.0;            // largest circle of confusion, pixels
// x near blur plane, y far blur plane, z the camera's own focus distance,
// w 1 when the camera focuses itself
float4 gDOFParams : DOFPARAMS = float4(10.0, 2000.0, 50.0, 0.0);

texture gDOFSceneCopyTexture : DOFSCENECOPY
<
    float2 ViewportRatio = { DOF_COPY_SCALE, DOF_COPY_SCALE };
    string Format = "A8R8G8B8";
>;
sampler2D gDOFSceneCopySampler = sampler_state
{
    Texture = <gDOFSceneCopyTexture>;
    MinFilter = Linear;
    MagFilter = Linear;
    MipFilter = None;
    AddressU = Clamp;
    AddressV = Clamp;
};

struct DOFVSOutput
{
    float4 position : POSITION;
    float2 texCoord : TEXCOORD0;
};

struct DOFPSInput
{
    float2 texCoord : TEXCOORD0;
};

// Full-screen quad for the copy target, half a texel of that target shifted.
DOFVSOutput DOFCopyVS(DeferredQuadInput v)
{
    DOFVSOutput o;
    o.position = float4(v.position.xy, 0.0, 1.0);
    o.texCoord = v.texCoord + 0.5 * gDeferredViewSize.zw / DOF_COPY_SCALE;
    return o;
}

float4 DOFCopyPS(DOFPSInput i) : COLOR0
{
    return tex2D(gSceneSampler, i.texCoord);
}

float DOFTapWeight(int offset)
{
    return offset == 0 ? 1.0 : 0.6 - 0.1 * abs(offset);
}

// Keeps the sign; only an exact zero is moved off.
float SafeDenominator(float x)
{
    return x >= 0.0 ? max(x, 0.0001) : min(x, -0.0001);
}

float GetBlurFactor(float depth)
{
#ifdef MOX_DOFENHANCEMENTS
    float focus = gDOFFocusDepth;
    float nearPlane = MOX_DOFNearPlane;
    float farPlane = MOX_DOFNearPlane * 2.0;
#else
    float focus = gDOFParams.w > 0.5 ? gDOFParams.z : gDOFFocusDepth;
    float nearPlane = gDOFParams.x;
    float farPlane = gDOFParams.y;
#endif
    float d = depth - focus;
    float factor = d > 0.0 ? abs(d) / SafeDenominator(farPlane - focus)
                           : abs(d) / SafeDenominator(focus - nearPlane);
    return saturate(factor);
}

// Depth for the "not nearer" test: the sky counts as farthest.
float TapDepth(float2 uv)
{
    float depth = GetDeferredDepth(uv);
    return IsSkyDepth(depth) ? 1.0e30 : depth;
}

float4 DOFBlurPS(DeferredQuadPSInput i) : COLOR0
{
    float2 uv = i.texCoord;
    float4 centre = tex2Dlod(gSceneSampler, float4(uv, 0.0, 0.0));
    float centreDepth = GetDeferredDepth(uv);
    if (IsSkyDepth(centreDepth))
        return centre;

    float radius = saturate(GetBlurFactor(centreDepth) * gDOFMaxCoC);
    if (radius <= 0.0)
        return centre;

    float2 texelStep = radius * gDeferredViewSize.zw / DOF_COPY_SCALE;
    float3 sum = centre.rgb;
    float weights = 1.0;
    // Rows in a loop the shader runs, the taps of a row unrolled: all taps
    // unrolled do not fit the instruction slots of ps_3_0.
    [loop] for (int y = DOF_TAP_FIRST; y <= DOF_TAP_LAST; y++)
    {
        if (y != 0)
        {
            float rowWeight = DOFTapWeight(y);
            [unroll] for (int x = DOF_TAP_FIRST; x <= DOF_TAP_LAST; x++)
            {
                if (x != 0)
                {
                    float2 tapUV = uv + float2(x, y) * texelStep;
                    float counts = step(centreDepth, TapDepth(tapUV));
                    float w = DOFTapWeight(x) * rowWeight * counts;
                    sum += tex2Dlod(gDOFSceneCopySampler, float4(tapUV, 0.0, 0.0)).rgb * w;
                    weights += w;
                }
            }
        }
    }
    return float4(sum / weights, centre.a);
}

technique DepthOfField
{
    pass CopyScene < string RenderTarget = "gDOFSceneCopyTexture"; >
    {
        ZEnable = false;
        ZWriteEnable = false;
        AlphaBlendEnable = false;
        AlphaTestEnable = false;
        StencilEnable = false;
        CullMode = None;
        VertexShader = compile vs_3_0 DOFCopyVS();
        PixelShader = compile ps_3_0 DOFCopyPS();
    }
    pass Blur
    {
        ZEnable = false;
        ZWriteEnable = false;
        AlphaBlendEnable = false;
        AlphaTestEnable = false;
        StencilEnable = false;
        CullMode = None;
        VertexShader = compile vs_3_0 DeferredFullScreenVS();
        PixelShader = compile ps_3_0 DOFBlurPS();
    }
}

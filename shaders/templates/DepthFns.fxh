// DepthFns.fxh - scene-depth helpers for effects drawn after the G-buffer
// (glass, flora, particles). Includes DeferredFns.fxh.
//
// Offers:
//   float  GetViewDepthFromClip(float4 clipPosition)    clip w = view depth
//   float  GetSceneViewDepth(float2 screenUV)           sky reads as the far clip
//   float  GetSoftDepthFade(float2 screenUV, float pixelViewDepth, float fadeDistance)
//              0 where the surface touches scene geometry, 1 at fadeDistance in front
//   bool   IsBehindScene(float2 screenUV, float pixelViewDepth, float bias)
//   float4 EncodeDepthOutput(float viewDepth)           value written to a depth target
#ifndef DEPTH_FNS_FXH
#define DEPTH_FNS_FXH

#include "DeferredFns.fxh"

float GetViewDepthFromClip(float4 clipPosition)
{
    return clipPosition.w;
}

float GetSceneViewDepth(float2 screenUV)
{
    float depth = GetDeferredDepth(screenUV);
    return IsSkyDepth(depth) ? gDeferredProjectionParams.w : depth;
}

float GetSoftDepthFade(float2 screenUV, float pixelViewDepth, float fadeDistance)
{
    float gap = GetSceneViewDepth(screenUV) - pixelViewDepth;
    return saturate(gap / max(fadeDistance, 0.001));
}

bool IsBehindScene(float2 screenUV, float pixelViewDepth, float bias)
{
    return pixelViewDepth - bias > GetSceneViewDepth(screenUV);
}

float4 EncodeDepthOutput(float viewDepth)
{
    return float4(viewDepth, 0.0, 0.0, 1.0);
}

#endif // DEPTH_FNS_FXH

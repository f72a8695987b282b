// ViewportFns.fxh - the game may render into a sub-rectangle of the back
// buffer (split views, cab mirrors). Effects that sample back-buffer copies go
// through these helpers so they read inside their own viewport.
//
// Offers:
//   float4 gViewportDimensions : VIEWPORT_DIMENSIONS
//       xy = top-left corner, zw = size, both as fractions of the render
//       target; default (0, 0, 1, 1) covers the whole target.
//   float2 ViewportTexCoord(float2 backBufferUV)
//       full-target texture coordinate (0..1) -> coordinate inside the viewport
//   float2 ViewportLocalTexCoord(float2 targetUV)
//       the reverse: target coordinate -> 0..1 across the viewport
//   float2 ClampToViewport(float2 targetUV, float2 texelSize)
//       keeps a target coordinate half a texel inside the viewport edges
//   float4 tex2DViewport(sampler2D s, float2 backBufferUV)
//       tex2D at ViewportTexCoord(uv)
//   float4 tex2DViewportLod(sampler2D s, float2 backBufferUV, float lod)
//       the same with an explicit mip level (usable in vertex shaders)
#ifndef VIEWPORT_FNS_FXH
#define VIEWPORT_FNS_FXH

float4 gViewportDimensions : VIEWPORT_DIMENSIONS = float4(0.0, 0.0, 1.0, 1.0);

float2 ViewportTexCoord(float2 backBufferUV)
{
    return gViewportDimensions.xy + backBufferUV * gViewportDimensions.zw;
}

float2 ViewportLocalTexCoord(float2 targetUV)
{
    return (targetUV - gViewportDimensions.xy) / max(gViewportDimensions.zw, 0.0001);
}

float2 ClampToViewport(float2 targetUV, float2 texelSize)
{
    float2 lo = gViewportDimensions.xy + 0.5 * texelSize;
    float2 hi = gViewportDimensions.xy + gViewportDimensions.zw - 0.5 * texelSize;
    return clamp(targetUV, lo, hi);
}

float4 tex2DViewport(sampler2D s, float2 backBufferUV)
{
    return tex2D(s, ViewportTexCoord(backBufferUV));
}

float4 tex2DViewportLod(sampler2D s, float2 backBufferUV, float lod)
{
    return tex2Dlod(s, float4(ViewportTexCoord(backBufferUV), 0.0, lod));
}

#endif // VIEWPORT_FNS_FXH

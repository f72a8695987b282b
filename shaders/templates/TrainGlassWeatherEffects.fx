// TrainGlassWeatherEffects.fx - the cab's windscreen in rain: drops and
// running streaks bend the view of the scene behind the pane, catch the sky
// and the sun, and the pane's own tint lies over it all. The pass reads a
// copy of the frame and writes opaque pixels.

#include "CommonFns.fxh"
#include "DeferredFns.fxh"
#include "DepthFns.fxh"
#include "ShadowFns.fxh"
#include "OcclusionVolumeFns.fxh"
#include "ViewportFns.fxh"

// rgb tint, a opacity of the pane (dirt, tint film)
float4 gMaterialDiffuse : MATERIALDIFFUSE = float4(0.9, 0.92, 0.9, 0.15);
// x wetness 0..1, y streak run speed (texture heights per second),
// z refraction strength in screen units, w drop tiling across the pane
float4 gRainParams : RAINPARAMS = float4(0.0, 0.05, 0.02, 3.0);

texture gDiffuseTexture : DIFFUSE;
sampler2D gDiffuseSampler = sampler_state
{
    Texture = <gDiffuseTexture>;
    MinFilter = Linear;
    MagFilter = Linear;
    MipFilter = Linear;
    AddressU = Wrap;
    AddressV = Wrap;
};

// rg drop surface slope * 0.5 + 0.5, b drop mask, a streak mask
texture gRainDropTexture : RAINDROPS;
sampler2D gRainDropSampler = sampler_state
{
    Texture = <gRainDropTexture>;
    MinFilter = Linear;
    MagFilter = Linear;
    MipFilter = Linear;
    AddressU = Wrap;
    AddressV = Wrap;
};

struct RainGlassVSInput
{
    float4 position : POSITION;
    float3 normal : NORMAL;
    float2 texCoord : TEXCOORD0;
};

struct RainGlassVSOutput
{
    float4 position : POSITION;
    float2 texCoord : TEXCOORD0;
    float3 worldPosition : TEXCOORD1;
    float3 worldNormal : TEXCOORD2;
    float4 clipPosition : TEXCOORD3;
};

struct RainGlassPSInput
{
    float2 texCoord : TEXCOORD0;
    float3 worldPosition : TEXCOORD1;
    float3 worldNormal : TEXCOORD2;
    float4 clipPosition : TEXCOORD3;
};

RainGlassVSOutput RainGlassVS(RainGlassVSInput v)
{
    RainGlassVSOutput o;
    float4 world = mul(v.position, gWorld);
    o.position = mul(world, gViewProjection);
    o.texCoord = v.texCoord;
    o.worldPosition = world.xyz;
    o.worldNormal = mul(v.normal, (float3x3)gWorld);
    o.clipPosition = o.position;
    return o;
}

// 0..1 across the game's viewport.
float2 ClipToViewportUV(float4 clipPosition)
{
    float2 ndc = clipPosition.xy / clipPosition.w;
    return ndc * float2(0.5, -0.5) + 0.5;
}

float4 ShadeRainGlass(RainGlassPSInput i, bool depthAware, bool fullLighting)
{
    float4 diffuse = tex2D(gDiffuseSampler, i.texCoord) * gMaterialDiffuse;

    float3 eye = normalize(i.worldPosition - gCameraPosition.xyz);
    float3 N = normalize(i.worldNormal);
    N = dot(N, eye) > 0.0 ? -N : N;

    // Still drops plus streaks running down the pane.
    float wetness = saturate(gRainParams.x);
    float2 dropUV = i.texCoord * gRainParams.w;
    float4 drops = tex2D(gRainDropSampler, dropUV);
    float4 streaks = tex2D(gRainDropSampler, dropUV * float2(1.0, 0.5) + float2(0.0, gTime * gRainParams.y));
    float dropMask = saturate(drops.b + streaks.a) * wetness;
    float2 slope = (drops.rg * 2.0 - 1.0) * dropMask;

    float2 screenUV = ClipToViewportUV(i.clipPosition);
    float2 bentUV = screenUV + slope * gRainParams.z;
    // Cab interior in front of the pane must not be pulled into the drops.
    bool inFront = depthAware && IsBehindScene(ViewportTexCoord(bentUV), GetViewDepthFromClip(i.clipPosition), 0.05);
    bentUV = inFront ? screenUV : bentUV;
    float3 behind = tex2DViewport(gSceneSampler, bentUV).rgb;

    // Drops mirror the sky; their surface tilts the normal of the pane.
    float3 dropNormal = normalize(N + float3(slope.x, slope.y, 0.0) * 0.5);
    float3 sky = GetEnvironmentReflection(reflect(eye, dropNormal)) * gGlobalLighting;
    float3 glint = sky * dropMask * 0.3;

    float3 L = normalize(gSunDirection.xyz);
    float3 sun = gSunColour.rgb * gSunColour.a * saturate(dot(N, L));
    if (fullLighting)
    {
        float3 H = normalize(L - eye);
        float sunGlint = pow(saturate(dot(dropNormal, H)), 64.0) * dropMask;
        glint += gSunColour.rgb * gSunColour.a * sunGlint * GetCloudShadow(i.worldPosition);
        glint *= GetOcclusionVolumeFactor(i.worldPosition);
    }

    float3 surface = behind * (1.0 - dropMask * 0.15) + glint;
    float3 base = diffuse.rgb * (GetHemisphericAmbient(N) + sun);

#ifdef MOX_OVERTINTEDGLASSFIX
    // The full alpha buries the view under the tint on dark or dirty panes.
    float tint = clamp(0.25 * diffuse.a, 0.125, 1.0);
#else
    float tint = diffuse.a;
#endif
    return float4(lerp(surface, base, tint), 1.0);
}

float4 RainGlassDeferredPS(RainGlassPSInput i) : COLOR0
{
    return ShadeRainGlass(i, true, true);
}

float4 RainGlassHighDepthPS(RainGlassPSInput i) : COLOR0
{
    return ShadeRainGlass(i, true, false);
}

float4 RainGlassMediumPS(RainGlassPSInput i) : COLOR0
{
    return ShadeRainGlass(i, false, false);
}

#define RAIN_GLASS_PASS_STATES \
        ZEnable = true; \
        ZWriteEnable = false; \
        CullMode = None; \
        AlphaTestEnable = false; \
        AlphaBlendEnable = false;

technique DEFERRED
{
    pass P0
    {
        RAIN_GLASS_PASS_STATES
        VertexShader = compile vs_3_0 RainGlassVS();
        PixelShader = compile ps_3_0 RainGlassDeferredPS();
    }
}

technique HIGH_DEPTH
{
    pass P0
    {
        RAIN_GLASS_PASS_STATES
        VertexShader = compile vs_3_0 RainGlassVS();
        PixelShader = compile ps_3_0 RainGlassHighDepthPS();
    }
}

technique MEDIUM
{
    pass P0
    {
        RAIN_GLASS_PASS_STATES
        VertexShader = compile vs_3_0 RainGlassVS();
        PixelShader = compile ps_3_0 RainGlassMediumPS();
    }
}

// TrainGlass.fx - cab and coach windows: a tinted, alpha blended pane that
// mirrors the environment map. Drawn forward after the opaque scene, so it
// fogs itself. Glass takes no sun shadow: the lookup costs more than the thin
// pane shows.

#ifndef MOX_GlassReflectionsIntensity
#define MOX_GlassReflectionsIntensity 1.0
#endif

#ifndef MOX_GlassReflectionsColorDesaturation
#define MOX_GlassReflectionsColorDesaturation 0.25
#endif

#include "CommonFns.fxh"
#include "DeferredFns.fxh"
#include "DepthFns.fxh"
#include "ShadowFns.fxh"
#include "FogFns.fxh"
#include "OcclusionVolumeFns.fxh"

// rgb tint, a opacity of the bare pane
float4 gMaterialDiffuse : MATERIALDIFFUSE = float4(0.85, 0.9, 0.9, 0.2);
// rgb highlight colour, w exponent
float4 gMaterialSpecular : MATERIALSPECULAR = float4(1.0, 1.0, 1.0, 96.0);
// x reflectance seen head-on, y Fresnel exponent
float4 gGlassFresnelParams : GLASSFRESNEL = float4(0.04, 5.0, 0.0, 0.0);

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

struct GlassVSInput
{
    float4 position : POSITION;
    float3 normal : NORMAL;
    float2 texCoord : TEXCOORD0;
};

struct GlassVSOutput
{
    float4 position : POSITION;
    float2 texCoord : TEXCOORD0;
    float3 worldPosition : TEXCOORD1;
    float3 worldNormal : TEXCOORD2;
    float4 clipPosition : TEXCOORD3;
};

struct GlassPSInput
{
    float2 texCoord : TEXCOORD0;
    float3 worldPosition : TEXCOORD1;
    float3 worldNormal : TEXCOORD2;
    float4 clipPosition : TEXCOORD3;
};

GlassVSOutput GlassVS(GlassVSInput v)
{
    GlassVSOutput o;
    float4 world = mul(v.position, gWorld);
    o.position = mul(world, gViewProjection);
    o.texCoord = v.texCoord;
    o.worldPosition = world.xyz;
    o.worldNormal = mul(v.normal, (float3x3)gWorld);
    o.clipPosition = o.position;
    return o;
}

float4 ShadeGlass(GlassPSInput i, bool sunHighlight, bool occlusionVolumes)
{
    float4 diffuse = tex2D(gDiffuseSampler, i.texCoord) * gMaterialDiffuse;

    float3 toSurface = i.worldPosition - gCameraPosition.xyz;
    float range = length(toSurface);
    float3 eye = toSurface / max(range, 0.001);
    float3 N = normalize(i.worldNormal);
    // Panes are drawn from both sides: light the face the camera sees.
    N = dot(N, eye) > 0.0 ? -N : N;

    float3 L = normalize(gSunDirection.xyz);
    float NdotL = saturate(dot(N, L));
    float3 sun = gSunColour.rgb * gSunColour.a * NdotL;
#ifdef MOX_CODEDISABLED
    sun *= GetSunShadow(i.worldPosition, GetViewDepthFromClip(i.clipPosition), NdotL);
#endif
    float3 light = GetHemisphericAmbient(N) + sun;
    float3 environment = GetEnvironmentReflection(reflect(eye, N));

#ifdef MOX_GLASSRENDERINGENHANCEMENTS
    // Reflection strength follows the view angle, bounded by the intensity.
    float a = 1.0 - clamp(dot(-eye, N), 0.0, 1.0);
    float upper = clamp(0.95 * 1.5 * MOX_GlassReflectionsIntensity, 0.05, 0.95);
    float r = clamp(a, 0.05, upper) * (1.0 + clamp(a, 0.0, 0.5));
    float3 reflection = environment * gGlobalLighting * r * MOX_GlassReflectionsIntensity;
    float3 base = lerp(diffuse.rgb * light, reflection, r);
    base = Desaturate(base, MOX_GlassReflectionsColorDesaturation);
    float reflectivity = saturate(r);
#else
    float facing = 1.0 - saturate(dot(-eye, N));
    float fresnel = gGlassFresnelParams.x + (1.0 - gGlassFresnelParams.x) * pow(facing, gGlassFresnelParams.y);
    float3 reflection = environment * gGlobalLighting;
    float3 base = lerp(diffuse.rgb * light, reflection, fresnel);
    float reflectivity = fresnel;
#endif

    float highlight = 0.0;
    if (sunHighlight)
    {
        float3 H = normalize(L - eye);
        float3 specular = gMaterialSpecular.rgb * sun * pow(saturate(dot(N, H)), gMaterialSpecular.w);
        base += specular;
        highlight = Luminance(specular);
    }

    // A reflecting pane hides what lies behind it.
    float alpha = saturate(lerp(diffuse.a, 1.0, reflectivity) + highlight);

    if (occlusionVolumes)
    {
        // Inside tunnels and sheds neither sky nor sun reaches the pane.
        float open = GetOcclusionVolumeFactor(i.worldPosition);
        base = lerp(diffuse.rgb * gAmbientGroundColour.rgb, base, open);
        alpha = lerp(diffuse.a, alpha, open);
    }

    return float4(ApplyFog(base, range), alpha);
}

float4 GlassHighPS(GlassPSInput i) : COLOR0
{
    return ShadeGlass(i, true, true);
}

float4 GlassMediumPS(GlassPSInput i) : COLOR0
{
    return ShadeGlass(i, false, true);
}

float4 GlassLowPS(GlassPSInput i) : COLOR0
{
    return ShadeGlass(i, false, false);
}

#define GLASS_PASS_STATES \
        ZEnable = true; \
        ZWriteEnable = false; \
        CullMode = None; \
        AlphaTestEnable = false; \
        AlphaBlendEnable = true; \
        SrcBlend = SrcAlpha; \
        DestBlend = InvSrcAlpha;

technique DEFERRED
{
    pass P0
    {
        GLASS_PASS_STATES
        VertexShader = compile vs_3_0 GlassVS();
        PixelShader = compile ps_3_0 GlassHighPS();
    }
}

technique HIGH
{
    pass P0
    {
        GLASS_PASS_STATES
        VertexShader = compile vs_3_0 GlassVS();
        PixelShader = compile ps_3_0 GlassHighPS();
    }
}

technique MEDIUM
{
    pass P0
    {
        GLASS_PASS_STATES
        VertexShader = compile vs_3_0 GlassVS();
        PixelShader = compile ps_3_0 GlassMediumPS();
    }
}

technique LOW
{
    pass P0
    {
        GLASS_PASS_STATES
        VertexShader = compile vs_3_0 GlassVS();
        PixelShader = compile ps_3_0 GlassLowPS();
    }
}

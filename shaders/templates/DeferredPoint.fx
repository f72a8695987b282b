// DeferredPoint.fx - point lights of the deferred renderer. A sphere around
// each light (back faces, depth test reversed so the camera may stand inside)
// lights the G-buffer additively; the instanced path draws many small lights
// from a per-instance stream, without shadows.

#ifndef MOX_PointLightIntensityMultiplier
#define MOX_PointLightIntensityMultiplier 1.0
#endif

#ifndef MOX_PointLightSpecularIntensityMultiplier
#define MOX_PointLightSpecularIntensityMultiplier 1.0
#endif

#ifndef MOX_PointLightColorTint
#define MOX_PointLightColorTint float3(1.0, 1.0, 1.0)
#endif

#include "CommonFns.fxh"
#include "DeferredFns.fxh"
#include "ShadowFns.fxh"

float4 gLightPosition : LIGHTPOSITION = float4(0.0, 0.0, 0.0, 10.0);  // world xyz, w range
float4 gLightColour : LIGHTCOLOUR = float4(1.0, 1.0, 1.0, 1.0);       // rgb colour, a intensity

struct PointVSInput
{
    float4 position : POSITION;
};

struct PointInstanceVSInput
{
    float4 position : POSITION;
    float4 light : TEXCOORD1;   // world xyz, w range
    float4 colour : TEXCOORD2;  // rgb colour, a intensity
};

struct PointVSOutput
{
    float4 position : POSITION;
    float4 light : TEXCOORD0;   // view xyz, w range
    float4 colour : TEXCOORD1;
    float3 worldLight : TEXCOORD2;
};

// The same minus the position, which pixel shaders cannot read.
struct PointPSInput
{
    float4 light : TEXCOORD0;
    float4 colour : TEXCOORD1;
    float3 worldLight : TEXCOORD2;
};

PointVSOutput PointSphereVS(PointVSInput v)
{
    PointVSOutput o;
    o.position = mul(v.position, gWorldViewProjection);
    o.light = float4(mul(float4(gLightPosition.xyz, 1.0), gView).xyz, gLightPosition.w);
    o.colour = gLightColour;
    o.worldLight = gLightPosition.xyz;
    return o;
}

PointVSOutput PointInstancedVS(PointInstanceVSInput v)
{
    PointVSOutput o;
    // The unit sphere, a little larger so its facets never cut the light off.
    float3 world = v.position.xyz * v.light.w * 1.1 + v.light.xyz;
    o.position = mul(float4(world, 1.0), gViewProjection);
    o.light = float4(mul(float4(v.light.xyz, 1.0), gView).xyz, v.light.w);
    o.colour = v.colour;
    o.worldLight = v.light.xyz;
    return o;
}

float4 PointLightPS(PointPSInput i, float2 vpos : VPOS, uniform bool withShadow) : COLOR0
{
    float2 uv = DeferredUVFromVPos(vpos);
    GBufferData g = ReadGBuffer(uv);
    clip(g.depth - 0.0001);

    float3 toLight = i.light.xyz - g.viewPosition;
    float lightDistance = length(toLight);
    float3 L = toLight / max(lightDistance, 0.0001);
    float falloff = saturate(1.0 - lightDistance / max(i.light.w, 0.0001));
    float attenuation = falloff * falloff * 0.9 * MOX_PointLightIntensityMultiplier;
    clip(attenuation - 0.00001);

    float NdotL = saturate(dot(g.normal, L));
    float3 lightColour = i.colour.rgb * i.colour.a;
    float3 diffuse = g.albedo * MOX_PointLightColorTint * lightColour * NdotL;

#ifdef MOX_NOSPOTPOINTSPECULAR
    float3 specular = float3(0.0, 0.0, 0.0);
#else
    float specularExponent = g.specularExponent;
    float specularPower = g.specularPower;
    float3 V = -normalize(g.viewPosition);
    float3 H = normalize(L + V);
    float specularIntensity = saturate(16.0 * NdotL) * MOX_PointLightSpecularIntensityMultiplier;
    float3 specular = lightColour * pow(saturate(dot(g.normal, H)), max(specularExponent, 1.0))
                      * specularPower * g.specularMask * specularIntensity;
#endif

    float shadow = 1.0;
#ifndef MOX_NOPOINTSHADOWS
    if (withShadow)
    {
        float3 worldPos = ViewToWorldPosition(g.viewPosition);
        shadow = GetPointShadow(worldPos - i.worldLight);
    }
#endif

    return float4((diffuse + specular) * attenuation * shadow, 1.0);
}

#define POINT_LIGHT_STATES \
        ZEnable = true; \
        ZFunc = GreaterEqual; \
        ZWriteEnable = false; \
        CullMode = CW; \
        StencilEnable = false; \
        AlphaTestEnable = false; \
        AlphaBlendEnable = true; \
        BlendOp = Add; \
        SrcBlend = One; \
        DestBlend = One;

technique DeferredPointLightingSphere
{
    pass P0
    {
        POINT_LIGHT_STATES
        VertexShader = compile vs_3_0 PointSphereVS();
        PixelShader = compile ps_3_0 PointLightPS(false);
    }
}

technique DeferredPointLightingSphereShadow
{
    pass P0
    {
        POINT_LIGHT_STATES
        VertexShader = compile vs_3_0 PointSphereVS();
        PixelShader = compile ps_3_0 PointLightPS(true);
    }
}

technique DeferredPointLightingInstanced
{
    pass P0
    {
        POINT_LIGHT_STATES
        VertexShader = compile vs_3_0 PointInstancedVS();
        PixelShader = compile ps_3_0 PointLightPS(false);
    }
}

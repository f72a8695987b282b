// DeferredSpot.fx - spot lights of the deferred renderer. A cone around each
// light (back faces, depth test reversed so the camera may stand inside)
// lights the G-buffer additively; the instanced path builds the cones from a
// per-instance stream and draws them without shadows.

#ifndef MOX_SpotLightIntensityMultiplier
#define MOX_SpotLightIntensityMultiplier 1.0
#endif

#ifndef MOX_SpotLightSpecularIntensityMultiplier
#define MOX_SpotLightSpecularIntensityMultiplier 1.0
#endif

#ifndef MOX_SpotLightColorTint
#define MOX_SpotLightColorTint float3(1.0, 1.0, 1.0)
#endif

#include "CommonFns.fxh"
#include "DeferredFns.fxh"
#include "ShadowFns.fxh"

float4 gLightPosition : LIGHTPOSITION = float4(0.0, 0.0, 0.0, 30.0);   // world xyz, w range
float4 gLightDirection : LIGHTDIRECTION = float4(0.0, 0.0, 1.0, 0.0);  // world, along the beam
float4 gLightColour : LIGHTCOLOUR = float4(1.0, 1.0, 1.0, 1.0);        // rgb colour, a intensity
float4 gSpotParams : SPOTPARAMS = float4(0.82, 0.94, 1.0, 0.0);        // cos outer, cos inner, falloff power

struct SpotVSInput
{
    float4 position : POSITION;  // unit cone: apex at 0, base radius 1 at z = 1
};

struct SpotInstanceVSInput
{
    float4 position : POSITION;
    float4 light : TEXCOORD1;      // world xyz, w range
    float4 direction : TEXCOORD2;  // world xyz, w cos outer
    float4 colour : TEXCOORD3;     // rgb colour, a intensity
    float4 cone : TEXCOORD4;       // x cos inner, y falloff power
};

struct SpotVSOutput
{
    float4 position : POSITION;
    float4 light : TEXCOORD0;      // view xyz, w range
    float4 direction : TEXCOORD1;  // view xyz, w cos outer
    float4 colour : TEXCOORD2;
    float2 cone : TEXCOORD3;       // cos inner, falloff power
};

// The same minus the position, which pixel shaders cannot read.
struct SpotPSInput
{
    float4 light : TEXCOORD0;
    float4 direction : TEXCOORD1;
    float4 colour : TEXCOORD2;
    float2 cone : TEXCOORD3;
};

SpotVSOutput SpotConeVS(SpotVSInput v)
{
    SpotVSOutput o;
    o.position = mul(v.position, gWorldViewProjection);
    o.light = float4(mul(float4(gLightPosition.xyz, 1.0), gView).xyz, gLightPosition.w);
    o.direction = float4(normalize(mul(gLightDirection.xyz, (float3x3)gView)), gSpotParams.x);
    o.colour = gLightColour;
    o.cone = gSpotParams.yz;
    return o;
}

SpotVSOutput SpotInstancedVS(SpotInstanceVSInput v)
{
    SpotVSOutput o;
    float3 forward = normalize(v.direction.xyz);
    float3 helper = abs(forward.y) < 0.99 ? float3(0.0, 1.0, 0.0) : float3(1.0, 0.0, 0.0);
    float3 right = normalize(cross(helper, forward));
    float3 up = cross(forward, right);

    // Widen the base a little so its facets never cut the beam off.
    float cosOuter = clamp(v.direction.w, 0.05, 0.9999);
    float spread = sqrt(1.0 - cosOuter * cosOuter) / cosOuter * 1.1;
    float range = v.light.w * 1.05;
    float3 world = v.light.xyz + (v.position.x * right + v.position.y * up) * spread * range
                   + v.position.z * forward * range;

    o.position = mul(float4(world, 1.0), gViewProjection);
    o.light = float4(mul(float4(v.light.xyz, 1.0), gView).xyz, v.light.w);
    o.direction = float4(normalize(mul(forward, (float3x3)gView)), v.direction.w);
    o.colour = v.colour;
    o.cone = v.cone.xy;
    return o;
}

float4 SpotLightPS(SpotPSInput i, float2 vpos : VPOS, uniform bool withShadow) : COLOR0
{
    float2 uv = DeferredUVFromVPos(vpos);
    GBufferData g = ReadGBuffer(uv);
    clip(g.depth - 0.0001);

    float3 toLight = i.light.xyz - g.viewPosition;
    float lightDistance = length(toLight);
    float3 L = toLight / max(lightDistance, 0.0001);

    // Distance falloff times the soft edge between the outer and inner cone.
    float falloff = saturate(1.0 - lightDistance / max(i.light.w, 0.0001));
    float cosAngle = dot(-L, normalize(i.direction.xyz));
    float edge = smoothstep(i.direction.w, max(i.cone.x, i.direction.w + 0.001), cosAngle);
    float spot = falloff * falloff * pow(edge, max(i.cone.y, 0.01));
    float attenuation = spot * 0.9 * MOX_SpotLightIntensityMultiplier;
    clip(attenuation - 0.00001);

    float NdotL = saturate(dot(g.normal, L));
    float3 lightColour = i.colour.rgb * i.colour.a;
    float3 diffuse = g.albedo * MOX_SpotLightColorTint * lightColour * NdotL;

#ifdef MOX_NOSPOTPOINTSPECULAR
    float3 specular = float3(0.0, 0.0, 0.0);
#else
    float specularExponent = g.specularExponent;
    float specularPower = g.specularPower;
    float3 V = -normalize(g.viewPosition);
    float3 H = normalize(L + V);
    float specularIntensity = saturate(16.0 * NdotL) * MOX_SpotLightSpecularIntensityMultiplier;
    float3 specular = lightColour * pow(saturate(dot(g.normal, H)), max(specularExponent, 1.0))
                      * specularPower * g.specularMask * specularIntensity;
#endif

    float shadow = 1.0;
#ifndef MOX_NOSPOTSHADOWS
    if (withShadow)
        shadow = GetSpotShadow(ViewToWorldPosition(g.viewPosition), max(NdotL, 0.05));
#endif

    return float4((diffuse + specular) * attenuation * shadow, 1.0);
}

#define SPOT_LIGHT_STATES \
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

technique DeferredSpotLightingCone
{
    pass P0
    {
        SPOT_LIGHT_STATES
        VertexShader = compile vs_3_0 SpotConeVS();
        PixelShader = compile ps_3_0 SpotLightPS(false);
    }
}

technique DeferredSpotLightingConeShadow
{
    pass P0
    {
        SPOT_LIGHT_STATES
        VertexShader = compile vs_3_0 SpotConeVS();
        PixelShader = compile ps_3_0 SpotLightPS(true);
    }
}

technique DeferredSpotLightingInstanced
{
    pass P0
    {
        SPOT_LIGHT_STATES
        VertexShader = compile vs_3_0 SpotInstancedVS();
        PixelShader = compile ps_3_0 SpotLightPS(false);
    }
}

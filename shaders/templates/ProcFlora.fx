// ProcFlora.fx - procedural grass clumps scattered by the game around the
// camera. One clump mesh is instanced; every instance carries its base
// position, size and yaw. Drawn after the G-buffer, alpha blended, with its
// foot softened where it meets the ground.

#ifndef MOX_ProcFloraRandomSizeMultiplier
#define MOX_ProcFloraRandomSizeMultiplier 1.0
#endif

#ifndef MOX_ProcFloraRenderDistance
#define MOX_ProcFloraRenderDistance 50.0
#endif

#include "CommonFns.fxh"
#include "DepthFns.fxh"
#include "MOX_Fns.fxh"

// Distance at which the clumps begin to fade; they are gone 50 units later.
#ifdef MOX_PROCFLORAENHANCEMENTS
#define PROCFLORA_FADE_START MOX_ProcFloraRenderDistance
#else
#define PROCFLORA_FADE_START 30.0
#endif
#define PROCFLORA_FADE_RATE 0.02

// xy wind direction on the ground (x, z), z sway amplitude per unit of
// height, w sway frequency in radians per second
float4 gFloraWindParams : FLORAWIND = float4(0.8, 0.6, 0.06, 1.7);

texture gDiffuseTexture : DIFFUSE;
sampler2D gDiffuseSampler = sampler_state
{
    Texture = <gDiffuseTexture>;
    MinFilter = Linear;
    MagFilter = Linear;
    MipFilter = Linear;
    AddressU = Wrap;
    AddressV = Clamp;
};

struct FloraVSInput
{
    float4 position : POSITION;     // clump space, y up, 0 at the ground
    float3 normal : NORMAL;
    float2 texCoord : TEXCOORD0;
    float4 clump : TEXCOORD1;       // per instance: xyz world base position, w size
    float4 clumpRotation : TEXCOORD2;  // per instance: x sin(yaw), y cos(yaw), z sway phase
    float4 colour : COLOR0;         // per instance tint
};

struct FloraVSOutput
{
    float4 position : POSITION;
    float2 texCoord : TEXCOORD0;
    float4 colour : TEXCOORD1;      // rgb lit tint, a distance fade
    float4 clipPosition : TEXCOORD2;
};

struct FloraPSInput
{
    float2 texCoord : TEXCOORD0;
    float4 colour : TEXCOORD1;
    float4 clipPosition : TEXCOORD2;
};

float3 RotateAroundUp(float3 p, float s, float c)
{
    return float3(p.x * c - p.z * s, p.y, p.x * s + p.z * c);
}

float2 GetFloraSway(float3 clumpBase, float height, float phase)
{
    float wave = sin(gTime * gFloraWindParams.w + phase + dot(clumpBase.xz, float2(0.13, 0.11)));
    // Bend grows with the square of the height so the roots stay put.
    return gFloraWindParams.xy * gFloraWindParams.z * wave * height * height;
}

FloraVSOutput ProcFloraVS(FloraVSInput v)
{
    FloraVSOutput o;

    float size = v.clump.w;
    float3 local = RotateAroundUp(v.position.xyz, v.clumpRotation.x, v.clumpRotation.y);
    float3 normal = RotateAroundUp(v.normal, v.clumpRotation.x, v.clumpRotation.y);
    float2 groundXZ = v.clump.xz + local.xz * size;

#ifdef MOX_PROCFLORAENHANCEMENTS
#ifdef MOX_ProcFloraClumpSizeRandomization
    // Roots stay on the ground; only the upper vertices grow or shrink.
    if (local.y > 0.1)
        local.y += 0.25 * size * stableRandom(groundXZ) * 2.0 * MOX_ProcFloraRandomSizeMultiplier;
#endif
#endif

    float height = local.y * size;
    float3 worldPosition = float3(groundXZ.x, v.clump.y + height, groundXZ.y);

    float2 sway = GetFloraSway(v.clump.xyz, height, v.clumpRotation.z);
#ifdef MOX_PROCFLORAENHANCEMENTS
#ifdef MOX_ProcFloraSway
    worldPosition.xz += sway;
#endif
#else
    worldPosition.xz += sway;
#endif

    // Grass blades are thin: wrap the sun around them and darken the roots.
    float3 n = normalize(normal);
    float sunWrap = saturate(dot(n, gSunDirection.xyz) * 0.5 + 0.5);
    float rootShade = lerp(0.55, 1.0, saturate(v.position.y));
    float3 light = (GetHemisphericAmbient(n) + gSunColour.rgb * gSunColour.a * sunWrap) * rootShade;

    float range = length(worldPosition - gCameraPosition.xyz);
    float fade = 1.0 - saturate((range - PROCFLORA_FADE_START) * PROCFLORA_FADE_RATE);

    o.position = mul(float4(worldPosition, 1.0), gViewProjection);
    o.texCoord = v.texCoord;
    o.colour = float4(v.colour.rgb * light, v.colour.a * fade);
    o.clipPosition = o.position;
    return o;
}

float4 ProcFloraPS(FloraPSInput i) : COLOR0
{
    float4 albedo = tex2D(gDiffuseSampler, i.texCoord);
    float alpha = albedo.a * i.colour.a;

    float2 screenUV = DeferredScreenUV(i.clipPosition);
    alpha *= GetSoftDepthFade(screenUV, GetViewDepthFromClip(i.clipPosition), 0.15);

#ifdef MOX_PROCFLORAZORDERFIX
    clip(alpha - 0.1);
#endif

    return float4(albedo.rgb * i.colour.rgb, alpha);
}

technique LOW
{
    pass P0
    {
        ZEnable = true;
#ifdef MOX_PROCFLORAZORDERFIX
        ZWriteEnable = true;
#else
        ZWriteEnable = false;
#endif
        CullMode = None;
        AlphaTestEnable = true;
        AlphaFunc = Greater;
        AlphaRef = 8;
        AlphaBlendEnable = true;
        SrcBlend = SrcAlpha;
        DestBlend = InvSrcAlpha;
        VertexShader = compile vs_3_0 ProcFloraVS();
        PixelShader = compile ps_3_0 ProcFloraPS();
    }
}

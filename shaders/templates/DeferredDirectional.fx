// DeferredDirectional.fx - the sun pass of the deferred renderer: sun light
// with cascaded shadows and cloud shadows, hemispheric ambient with ambient
// occlusion, environment reflections. One full-screen quad over the G-buffer.

#ifndef MOX_SSAOIntensity
#define MOX_SSAOIntensity 1.0
#endif

#ifndef MOX_ReflectionsIntensity
#define MOX_ReflectionsIntensity 1.0
#endif

#ifndef MOX_ReflectionsColorDesaturation
#define MOX_ReflectionsColorDesaturation 0.5
#endif

#include "CommonFns.fxh"
#include "DeferredFns.fxh"
#include "ShadowFns.fxh"
#include "MOX_Fns.fxh"

// The game's ambient occlusion option (0 off, 1 on) and its quality (0..2).
float gAmbientOcclusionEnabled : AMBIENTOCCLUSIONENABLED = 1.0;
float gAmbientOcclusionQuality : AMBIENTOCCLUSIONQUALITY = 1.0;

// Unit vectors in xy (0..1 encoded), tiled across the screen.
texture gRandomTexture : RANDOMNORMALS;
sampler2D gRandomSampler = sampler_state
{
    Texture = <gRandomTexture>;
    MinFilter = Point;
    MagFilter = Point;
    MipFilter = None;
    AddressU = Wrap;
    AddressV = Wrap;
};

static const float g_sample_rad = 0.1;
static const float g_intensity = 1.0;
static const float g_scale = 0.25;
static const float g_bias = 0.25;
static const float kRandomTileSize = 64.0;

// One occlusion sample: surfaces in front of the normal occlude, less so
// the farther they are.
float OcclusionSample(float2 uv, float2 offset, float3 position, float3 normal, float bias)
{
    float2 tapUV = uv + offset;
    float tapDepth = GetDeferredDepth(tapUV);
    float3 diff = GetViewPosition(tapUV, tapDepth) - position;
    float sampleDistance = length(diff);
    float3 direction = diff / max(sampleDistance, 0.0001);
    float occlusion = max(0.0, dot(normal, direction) - bias) * (1.0 / (1.0 + g_scale * sampleDistance)) * g_intensity;
    return IsSkyDepth(tapDepth) ? 0.0 : occlusion;
}

// Screen-space ambient occlusion around one pixel: four directions reflected
// about a per-pixel random vector, each also turned by 45 degrees, four
// samples per direction at growing distances.
float ComputeSSAO(float2 uv, float3 position, float3 normal, float radius, float bias)
{
    float2 random = normalize(tex2Dlod(gRandomSampler,
        DeferredLod0(uv * gDeferredViewSize.xy / kRandomTileSize)).xy * 2.0 - 1.0);

    float occlusion = 0.0;
    float2 direction = float2(1.0, 0.0);
    [loop] for (int j = 0; j < 4; j++)
    {
        float2 first = reflect(direction, random) * radius;
        float2 turned = float2(first.x * 0.707 - first.y * 0.707, first.x * 0.707 + first.y * 0.707);

        // 0.25 first, 0.5 turned, 0.75 first, 1.0 turned: one sample in the
        // loop body keeps the pass within the instruction slots of ps_3_0.
        float2 offset = first;
        float2 other = turned;
        [loop] for (int k = 1; k <= 4; k++)
        {
            occlusion += OcclusionSample(uv, offset * (k * 0.25), position, normal, bias);
            float2 swap = offset;
            offset = other;
            other = swap;
        }
        // (1, 0), (0, 1), (-1, 0), (0, -1)
        direction = float2(-direction.y, direction.x);
    }
    return saturate(occlusion / 16.0);
}

// Occlusion amount (0 open, 1 closed) that darkens the ambient light.
float GetAmbientOcclusion(float2 uv, GBufferData g)
{
    float staticOcclusion = 1.0 - g.staticAO;

#ifdef MOX_SSAO
    float radius = g_sample_rad / clamp(g.depth, 8.0, 64.0);
    float computed = ComputeSSAO(uv, g.viewPosition, g.normal, radius, g_bias);
    return staticOcclusion + computed * MOX_SSAOIntensity;
#else
    if (gAmbientOcclusionEnabled < 0.5)
        return staticOcclusion;
    float bias = gAmbientOcclusionQuality < 0.5 ? 0.35 : (gAmbientOcclusionQuality < 1.5 ? 0.3 : 0.25);
    float radius = g_sample_rad / max(g.depth, 0.001);
    return max(staticOcclusion, ComputeSSAO(uv, g.viewPosition, g.normal, radius, bias));
#endif
}

float3 GetReflection(GBufferData g, float3 viewDir)
{
    float3 worldReflect = ViewToWorldDirection(reflect(viewDir, g.normal));
    float3 environment = GetEnvironmentReflection(worldReflect);

#ifdef MOX_REFLECTIONSENHANCEMENTS
    // Grazing angles reflect more, and bright days a little more again.
    float a = 1.0 - clamp(dot(-viewDir, g.normal), 0.0, 1.0);
    float3 reflection = environment * clamp(gGlobalLighting, 0.2, 1.0) * g.envFactor * (1.0 + a)
                        * clamp((1.0 + a) * gGlobalLighting, 1.0, 1.5) * MOX_ReflectionsIntensity;
    float grey = dot(reflection, float3(0.333, 0.333, 0.333));
    return lerp(float3(grey, grey, grey), reflection, MOX_ReflectionsColorDesaturation);
#else
    float fresnel = 0.25 + 0.75 * pow(1.0 - saturate(dot(-viewDir, g.normal)), 5.0);
    return environment * gGlobalLighting * g.envFactor * fresnel;
#endif
}

struct DirectionalVSOutput
{
    float4 position : POSITION;
    float2 texCoord : TEXCOORD0;
    float3 sunDir : TEXCOORD1;
    float3 worldRay : TEXCOORD2;
};

struct DirectionalPSInput
{
    float2 texCoord : TEXCOORD0;
    float3 sunDir : TEXCOORD1;
    float3 worldRay : TEXCOORD2;
};

// The full-screen quad, with what the pixel shader would otherwise work out
// per pixel: the sun's view-space direction, the same everywhere, and the
// world-space view ray at depth 1, which is linear across the screen.
DirectionalVSOutput DirectionalVS(DeferredQuadInput v)
{
    DeferredQuadOutput quad = DeferredFullScreenVS(v);
    DirectionalVSOutput o;
    o.position = quad.position;
    o.texCoord = quad.texCoord;
    o.sunDir = normalize(mul(gSunDirection.xyz, (float3x3)gView));
    o.worldRay = ViewToWorldDirection(DeferredViewRay(quad.texCoord));
    return o;
}

float4 DirectionalPS(DirectionalPSInput i, uniform bool hemispheric) : COLOR0
{
    float2 uv = i.texCoord;
    GBufferData g = ReadGBuffer(uv);
    clip(g.depth - 0.0001);  // sky: drawn by the sky dome

    float3 viewDir = normalize(g.viewPosition);
    // ViewToWorldPosition(g.viewPosition), from the interpolated ray.
    float3 worldPos = GetCameraWorldPosition() + i.worldRay * g.depth;
    float3 worldNormal = ViewToWorldDirection(g.normal);
    float3 sunDir = i.sunDir;

    float NdotL = saturate(dot(g.normal, sunDir));
    // Beyond the last cascade the sun casts no shadow.
    float cascade = GetShadowCascadeIndex(g.depth);
    float shadow = 1.0;
    if (NdotL > 0.0 && cascade < SHADOW_CASCADE_COUNT)
        shadow = FilterSunShadow(worldPos, cascade, NdotL);
#ifndef MOX_DISABLECLOUDSSHADOWS
    shadow *= GetCloudShadow(worldPos);
#endif

    // Blinn-Phong sun highlight, masked by the surface.
    float3 halfway = normalize(sunDir - viewDir);
    float specular = pow(saturate(dot(g.normal, halfway)), max(g.specularExponent, 1.0))
                     * g.specularPower * g.specularMask * saturate(16.0 * NdotL);

    float3 sun = gSunColour.rgb * gSunColour.a * shadow;
    float3 colour = g.albedo * sun * NdotL + sun * specular;

    float occlusion = GetAmbientOcclusion(uv, g);
#ifdef MOX_DEBUGSSAO
    return float4(1.0 - saturate(occlusion).xxx, 1.0);
#endif
    float3 ambient = hemispheric ? GetHemisphericAmbient(worldNormal)
                                 : 0.5 * (gAmbientSkyColour.rgb + gAmbientGroundColour.rgb);
    colour += g.albedo * ambient * (1.0 - saturate(occlusion));

    if (g.envFactor > 0.0)
        colour += GetReflection(g, viewDir);

    colour += g.albedo * g.emissive;
    return float4(colour, 1.0);
}

technique DeferredDirectionalHemispehericLighting
{
    pass P0
    {
        ZEnable = false;
        ZWriteEnable = false;
        AlphaBlendEnable = false;
        AlphaTestEnable = false;
        StencilEnable = false;
        CullMode = None;
        VertexShader = compile vs_3_0 DirectionalVS();
        PixelShader = compile ps_3_0 DirectionalPS(true);
    }
}

technique DeferredDirectionalLighting
{
    pass P0
    {
        ZEnable = false;
        ZWriteEnable = false;
        AlphaBlendEnable = false;
        AlphaTestEnable = false;
        StencilEnable = false;
        CullMode = None;
        VertexShader = compile vs_3_0 DirectionalVS();
        PixelShader = compile ps_3_0 DirectionalPS(false);
    }
}

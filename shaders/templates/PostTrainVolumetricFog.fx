// PostTrainVolumetricFog.fx - fog laid over the lit scene as a full-screen
// pass, from the depth buffer. HIGH marches the view ray through the height
// fog and adds light scattered from the sun; LOW uses the global density alone.

#ifndef MOX_FogDensityMultiplier
#define MOX_FogDensityMultiplier 1.0
#endif

#ifndef MOX_FogBrightness
#define MOX_FogBrightness 1.0
#endif

#ifndef MOX_FogColorDesaturation
#define MOX_FogColorDesaturation 0.25
#endif

#include "DeferredFns.fxh"
#include "FogFns.fxh"

#define VOLUMETRIC_FOG_STEPS 8

float4 gSunDirection : SUNDIRECTION = float4(0.0, 1.0, 0.0, 0.0);
float4 gSunColour : SUNCOLOUR = float4(1.0, 1.0, 1.0, 1.0);

// x forward-scattering anisotropy (-1..1), y strength of the sun's
// in-scattering, zw unused
float4 gVolumetricFogParams : VOLUMETRICFOGPARAMS = float4(0.6, 0.35, 0.0, 0.0);

// Share of the pixel covered by fog for a density and a distance.
float GetVolumetricFogAmount(float density, float range)
{
#ifdef MOX_FOGENHANCEMENTS
    // Clamped so that a zero density from the game still gives a little haze
    // and a broken one cannot wash out the whole screen.
    return saturate(ComputeFogFactor(clamp(density, 0.0005, 1.0), range) * MOX_FogDensityMultiplier);
#else
    return ComputeFogFactor(density, range);
#endif
}

float3 GetVolumetricFogColour(float3 colour)
{
#ifdef MOX_FOGENHANCEMENTS
    colour *= MOX_FogBrightness;
    float grey = dot(colour, float3(0.333, 0.333, 0.333));
    colour = lerp(colour, float3(grey, grey, grey), MOX_FogColorDesaturation);
#endif
    return colour;
}

float GetHeightDensity(float worldHeight)
{
    float above = max(worldHeight - gFogParams.z, 0.0);
    return GetFogDensity() * exp(-gFogParams.y * above);
}

// Henyey-Greenstein phase function, normalised so that 1 is isotropic.
float GetSunPhase(float cosAngle)
{
    float g = clamp(gVolumetricFogParams.x, -0.95, 0.95);
    float g2 = g * g;
    float denom = max(1.0 + g2 - 2.0 * g * cosAngle, 0.0001);
    return (1.0 - g2) / (denom * sqrt(denom));
}

float4 VolumetricFogHighPS(DeferredQuadPSInput i) : COLOR0
{
    float depth = GetDeferredDepth(i.texCoord);
    if (IsSkyDepth(depth))
        return float4(0.0, 0.0, 0.0, 0.0);

    float3 viewPosition = i.viewRay * depth;
    float range = length(viewPosition);
    float3 worldPosition = ViewToWorldPosition(viewPosition);
    float3 cameraPosition = GetCameraWorldPosition();

    // Mean density along the ray; the height fog thins with altitude.
    float density = 0.0;
    [unroll] for (int s = 0; s < VOLUMETRIC_FOG_STEPS; s++)
    {
        float t = ((float)s + 0.5) / VOLUMETRIC_FOG_STEPS;
        density += GetHeightDensity(lerp(cameraPosition.y, worldPosition.y, t));
    }
    density /= VOLUMETRIC_FOG_STEPS;

    float3 rayDirection = (worldPosition - cameraPosition) / max(range, 0.001);
    float cosAngle = dot(rayDirection, normalize(gSunDirection.xyz));
    float3 inScatter = gSunColour.rgb * gSunColour.a * GetSunPhase(cosAngle) * gVolumetricFogParams.y;
    float sunAbove = saturate(gSunDirection.y * 4.0 + 0.25);

    float3 colour = GetVolumetricFogColour(gFogColour.rgb + inScatter * sunAbove);
    return float4(colour, GetVolumetricFogAmount(density, range));
}

float4 VolumetricFogLowPS(DeferredQuadPSInput i) : COLOR0
{
    float depth = GetDeferredDepth(i.texCoord);
    if (IsSkyDepth(depth))
        return float4(0.0, 0.0, 0.0, 0.0);

    float range = length(i.viewRay * depth);
    float3 colour = GetVolumetricFogColour(gFogColour.rgb);
    return float4(colour, GetVolumetricFogAmount(GetFogDensity(), range));
}

technique HIGH
{
    pass P0
    {
        ZEnable = false;
        ZWriteEnable = false;
        CullMode = None;
        AlphaTestEnable = false;
        AlphaBlendEnable = true;
        SrcBlend = SrcAlpha;
        DestBlend = InvSrcAlpha;
        VertexShader = compile vs_3_0 DeferredFullScreenVS();
        PixelShader = compile ps_3_0 VolumetricFogHighPS();
    }
}

technique LOW
{
    pass P0
    {
        ZEnable = false;
        ZWriteEnable = false;
        CullMode = None;
        AlphaTestEnable = false;
        AlphaBlendEnable = true;
        SrcBlend = SrcAlpha;
        DestBlend = InvSrcAlpha;
        VertexShader = compile vs_3_0 DeferredFullScreenVS();
        PixelShader = compile ps_3_0 VolumetricFogLowPS();
    }
}

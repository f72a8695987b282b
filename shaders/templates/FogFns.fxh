// FogFns.fxh - distance fog.
//
// Switch read: MOX_FOGENHANCEMENTS - the density curve thins light fog
// (multiplier clamp((e^g - 1) * 1.5, 0.5, 1) on the density g).
//
// Offers:
//   float4 gFogColour : FOGCOLOUR   rgb fog colour
//   float4 gFogParams : FOGPARAMS   x global fog density, y height falloff (0 = none),
//                                   z base height, w unused
//   float  GetFogDensity()                          gFogParams.x
//   float  GetFogDensityCurve(float density)        the multiplier m (1 without the switch)
//   float  ComputeFogFactor(float density, float viewDistance)   1 - 1 / e^(g * m * s)
//   float  GetFogFactor(float viewDistance)             with the global density
//   float  GetHeightFogFactor(float viewDistance, float worldHeight)
//   float3 ApplyFog(float3 colour, float viewDistance)
//   float3 ApplyHeightFog(float3 colour, float viewDistance, float worldHeight)
#ifndef FOG_FNS_FXH
#define FOG_FNS_FXH

float4 gFogColour : FOGCOLOUR = float4(0.6, 0.65, 0.7, 1.0);
float4 gFogParams : FOGPARAMS = float4(0.0005, 0.0, 0.0, 0.0);

float GetFogDensity()
{
    return gFogParams.x;
}

float GetFogDensityCurve(float density)
{
#ifdef MOX_FOGENHANCEMENTS
    return clamp((exp(density) - 1.0) * 1.5, 0.5, 1.0);
#else
    return 1.0;
#endif
}

float ComputeFogFactor(float density, float viewDistance)
{
    float m = GetFogDensityCurve(density);
    return 1.0 - 1.0 / exp(density * m * max(viewDistance, 0.0));
}

float GetFogFactor(float viewDistance)
{
    return ComputeFogFactor(GetFogDensity(), viewDistance);
}

// Thinner fog above the base height when a falloff is set.
float GetHeightFogFactor(float viewDistance, float worldHeight)
{
    float above = max(worldHeight - gFogParams.z, 0.0);
    float density = GetFogDensity() * exp(-gFogParams.y * above);
    return ComputeFogFactor(density, viewDistance);
}

float3 ApplyFog(float3 colour, float viewDistance)
{
    return lerp(colour, gFogColour.rgb, GetFogFactor(viewDistance));
}

float3 ApplyHeightFog(float3 colour, float viewDistance, float worldHeight)
{
    return lerp(colour, gFogColour.rgb, GetHeightFogFactor(viewDistance, worldHeight));
}

#endif // FOG_FNS_FXH

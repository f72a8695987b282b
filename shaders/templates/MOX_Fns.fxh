// MOX_Fns.fxh - function library of the enhancement code.
//
// Offers (includes MOX_Defines.fxh):
//   float  stableRandom(float2 v)        deterministic value in [0, 1) per input
//   physically based lighting (dot products clamped to [0.01, 1]):
//   float  GetRoughnessFromSpecularPower(float power)       (1 - clamp(power, 0.4, 0.75))^2
//   float3 SchlickFresnel(float3 f0, float VdotH)
//   float  ShlickSmithHableVisibility(float LdotH, float roughness)
//   float  UE4Visibility(float NdotL, float NdotV, float roughness)
//   float  GGXDistribution(float NdotH, float roughness)
//   float  BurleyDiffuse(float roughness)                   energy factor lerp(1, 1/1.51, r)
//   float  GetPBRDiffuseTerm(float3 N, float3 L, float3 V, float roughness)
//   float3 GetPBRSpecularTerm(float3 N, float3 L, float3 V, float roughness, float3 f0)
//   2-D simplex noise:
//   float2 mod289(float2 x), float3 mod289(float3 x)
//   float3 permute(float3 x)
//   float3 taylorInvSqrt(float3 r)
//   float  snoise(float2 v)              roughly -1..1
#ifndef MOX_FNS_FXH
#define MOX_FNS_FXH

#include "MOX_Defines.fxh"

float stableRandom(float2 v)
{
    return frac(10000.0 * sin(17.0 * v.x + 0.1 * v.y) * (0.1 + abs(sin(13.0 * v.y + v.x))));
}

float GetRoughnessFromSpecularPower(float power)
{
    float r = 1.0 - clamp(power, 0.4, 0.75);
    return r * r;
}

float3 SchlickFresnel(float3 f0, float VdotH)
{
    float k = 1.0 - clamp(VdotH, 0.01, 1.0);
    float k2 = k * k;
    return f0 + (1.0 - f0) * (k2 * k2 * k);
}

// Schlick-Smith visibility folded into one reciprocal (Hable's optimisation).
float ShlickSmithHableVisibility(float LdotH, float roughness)
{
    float alpha = roughness * roughness;
    float k = alpha * 0.5;
    float k2 = k * k;
    float l = clamp(LdotH, 0.01, 1.0);
    return 1.0 / (l * l * (1.0 - k2) + k2);
}

float UE4Visibility(float NdotL, float NdotV, float roughness)
{
    float r = roughness + 1.0;
    float k = r * r / 8.0;
    float l = clamp(NdotL, 0.01, 1.0);
    float v = clamp(NdotV, 0.01, 1.0);
    return 0.25 / ((l * (1.0 - k) + k) * (v * (1.0 - k) + k));
}

float GGXDistribution(float NdotH, float roughness)
{
    float alpha = roughness * roughness;
    float a2 = alpha * alpha;
    float h = clamp(NdotH, 0.01, 1.0);
    float d = h * h * (a2 - 1.0) + 1.0;
    return a2 / (M_PI * d * d);
}

float BurleyDiffuse(float roughness)
{
    return lerp(1.0, 1.0 / 1.51, roughness);
}

float GetPBRDiffuseTerm(float3 N, float3 L, float3 V, float roughness)
{
    float NdotL = clamp(dot(N, L), 0.01, 1.0);
    return NdotL * BurleyDiffuse(roughness);
}

float3 GetPBRSpecularTerm(float3 N, float3 L, float3 V, float roughness, float3 f0)
{
    float3 H = normalize(L + V);
    float NdotL = clamp(dot(N, L), 0.01, 1.0);
    float NdotH = clamp(dot(N, H), 0.01, 1.0);
    float LdotH = clamp(dot(L, H), 0.01, 1.0);
    float D = GGXDistribution(NdotH, roughness);
    float Vis = ShlickSmithHableVisibility(LdotH, roughness);
    float3 F = SchlickFresnel(f0, LdotH);
    return D * Vis * F * NdotL * PBR_LIGHT_INTENSITY_MULTIPLIER;
}

float2 mod289(float2 x)
{
    return x - floor(x / 289.0) * 289.0;
}

float3 mod289(float3 x)
{
    return x - floor(x / 289.0) * 289.0;
}

float3 permute(float3 x)
{
    return mod289((34.0 * x + 1.0) * x);
}

float3 taylorInvSqrt(float3 r)
{
    return 1.79284291400159 - 0.85373472095314 * r;
}

float snoise(float2 v)
{
    // (3 - sqrt(3)) / 6, (sqrt(3) - 1) / 2, -1 + 2 * (3 - sqrt(3)) / 6, 1 / 41
    const float4 C = float4(0.211324865405187, 0.366025403784439, -0.577350269189626, 0.024390243902439);

    // Skew to find the simplex cell and the first corner.
    float2 i = floor(v + dot(v, C.yy));
    float2 x0 = v - i + dot(i, C.xx);

    // Middle corner: along x first when x0.x > x0.y.
    float xFirst = step(x0.y, x0.x);
    float2 i1 = float2(xFirst, 1.0 - xFirst);
    float4 x12 = x0.xyxy + C.xxzz;
    x12.xy -= i1;

    i = mod289(i);
    float3 p = permute(permute(i.y + float3(0.0, i1.y, 1.0)) + i.x + float3(0.0, i1.x, 1.0));

    float3 m = max(0.5 - float3(dot(x0, x0), dot(x12.xy, x12.xy), dot(x12.zw, x12.zw)), 0.0);
    m = m * m;
    m = m * m;

    // 41 gradients spread over a rotated diamond.
    float3 x = 2.0 * frac(p * C.www) - 1.0;
    float3 h = abs(x) - 0.5;
    float3 a0 = x - floor(x + 0.5);
    m *= taylorInvSqrt(a0 * a0 + h * h);

    float3 g;
    g.x = a0.x * x0.x + h.x * x0.y;
    g.yz = a0.yz * x12.xz + h.yz * x12.yw;
    return 130.0 * dot(m, g);
}

#endif // MOX_FNS_FXH

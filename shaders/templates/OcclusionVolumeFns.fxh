// OcclusionVolumeFns.fxh - boxes (tunnels, station roofs, cab shells) inside
// which sky light, sun and reflections are shut out.
//
// Offers:
//   OCCLUSION_VOLUME_COUNT 4
//   float4x4 gOcclusionVolumes[4]   : OCCLUSIONVOLUMES       world -> box space (-1..1)
//   float4   gOcclusionVolumeParams : OCCLUSIONVOLUMEPARAMS  x active count, y edge softness
//                                                            in box units, zw unused
//   float GetOcclusionVolumeFactor(float3 worldPos)   0 deep inside a volume, 1 outside
//   float3 ApplyOcclusionVolumes(float3 outdoorLight, float3 indoorLight, float3 worldPos)
#ifndef OCCLUSION_VOLUME_FNS_FXH
#define OCCLUSION_VOLUME_FNS_FXH

#define OCCLUSION_VOLUME_COUNT 4

float4x4 gOcclusionVolumes[OCCLUSION_VOLUME_COUNT] : OCCLUSIONVOLUMES;
float4 gOcclusionVolumeParams : OCCLUSIONVOLUMEPARAMS = float4(0.0, 0.1, 0.0, 0.0);

float GetOcclusionVolumeFactor(float3 worldPos)
{
    float open = 1.0;
    float softness = max(gOcclusionVolumeParams.y, 0.001);
    [unroll] for (int i = 0; i < OCCLUSION_VOLUME_COUNT; i++)
    {
        float3 p = mul(float4(worldPos, 1.0), gOcclusionVolumes[i]).xyz;
        float3 inside = saturate((1.0 - abs(p)) / softness);
        float occluded = inside.x * inside.y * inside.z;
        float active = step((float)i + 0.5, gOcclusionVolumeParams.x);
        open *= 1.0 - occluded * active;
    }
    return open;
}

float3 ApplyOcclusionVolumes(float3 outdoorLight, float3 indoorLight, float3 worldPos)
{
    return lerp(indoorLight, outdoorLight, GetOcclusionVolumeFactor(worldPos));
}

#endif // OCCLUSION_VOLUME_FNS_FXH

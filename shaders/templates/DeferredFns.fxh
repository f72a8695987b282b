// DeferredFns.fxh - the deferred renderer's buffers and the helpers that read
// and write them. View space is left-handed, +z into the screen.
//
// G-buffer layout (all point-sampled, clamped):
//   diffuse  : rgb albedo, a static (baked) ambient occlusion, 1 = open
//   normal   : rgb view-space normal * 0.5 + 0.5, a specular intensity mask
//   material : r specular exponent / 255, g specular power, b environment
//              (reflection) factor, a emissive glow
//   depth    : r view-space depth in world units, 0 where nothing was drawn (sky)
//   scene    : the lit scene colour (linear filter), read by the post effects
//
// Offers:
//   float4   gDeferredViewSize         : VIEWSIZE        xy pixels, zw = 1 / xy
//   float4   gDeferredProjectionParams : DEFERREDPROJECTIONPARAMS
//                x = 1 / proj._11, y = 1 / proj._22, z near clip, w far clip
//   float4x4 gInverseView              : VIEWINVERSE     view -> world
//   textures / samplers:
//       gDiffuseBufferTexture  : GBUFFERDIFFUSE   -> sampler2D gDiffuseBufferSampler
//       gNormalBufferTexture   : GBUFFERNORMAL    -> sampler2D gNormalBufferSampler
//       gMaterialBufferTexture : GBUFFERMATERIAL  -> sampler2D gMaterialBufferSampler
//       gDepthBufferTexture    : GBUFFERDEPTH     -> sampler2D gDepthBufferSampler
//       gSceneTexture          : SCENECOLOUR      -> sampler2D gSceneSampler
//   structs:
//       DeferredQuadInput  { float4 position : POSITION; float2 texCoord : TEXCOORD0; }
//       DeferredQuadOutput { float4 position : POSITION; float2 texCoord : TEXCOORD0;
//                            float3 viewRay : TEXCOORD1; }
//       DeferredQuadPSInput { float2 texCoord : TEXCOORD0; float3 viewRay : TEXCOORD1; }
//           what a pixel shader behind DeferredFullScreenVS takes: ps_3_0 cannot
//           read POSITION, so pixel shaders never take DeferredQuadOutput
//       GBufferData { albedo, staticAO, normal, specularMask, specularExponent,
//                     specularPower, envFactor, emissive, depth, viewPosition }
//       GBufferOutput { float4 diffuse : COLOR0; float4 normal : COLOR1;
//                       float4 material : COLOR2; float4 depth : COLOR3; }
//   functions:
//       DeferredQuadOutput DeferredFullScreenVS(DeferredQuadInput v)  full-screen quad
//       float2 DeferredHalfTexel()
//       float2 DeferredScreenUV(float4 clipPosition)    from a clip position passed on
//       float2 DeferredUVFromVPos(float2 vpos)          from the VPOS register
//       float3 DeferredViewRay(float2 uv)               view ray at depth 1
//       float4 DeferredLod0(float2 uv)                  tex2Dlod coordinate, level 0
//       float  GetDeferredDepth(float2 uv)
//       bool   IsSkyDepth(float depth)
//       float3 GetViewPosition(float2 uv, float depth)
//       float3 ViewToWorldPosition(float3 viewPosition)
//       float3 ViewToWorldDirection(float3 viewDirection)
//       float3 GetCameraWorldPosition()
//       float3 EncodeNormal(float3 n) / float3 DecodeNormal(float3 encoded)
//       GBufferData ReadGBuffer(float2 uv)
//       GBufferOutput PackGBuffer(float3 albedo, float staticAO, float3 viewNormal,
//           float specularMask, float specularExponent, float specularPower,
//           float envFactor, float emissive, float viewDepth)
//       float4 GetSceneColour(float2 uv)
#ifndef DEFERRED_FNS_FXH
#define DEFERRED_FNS_FXH

float4 gDeferredViewSize : VIEWSIZE = float4(1280.0, 720.0, 1.0 / 1280.0, 1.0 / 720.0);
float4 gDeferredProjectionParams : DEFERREDPROJECTIONPARAMS = float4(1.0, 0.5625, 0.5, 10000.0);
float4x4 gInverseView : VIEWINVERSE;

#define DEFERRED_BUFFER_SAMPLER(name, tex) \
    sampler2D name = sampler_state \
    { \
        Texture = <tex>; \
        MinFilter = Point; \
        MagFilter = Point; \
        MipFilter = None; \
        AddressU = Clamp; \
        AddressV = Clamp; \
    };

texture gDiffuseBufferTexture : GBUFFERDIFFUSE;
DEFERRED_BUFFER_SAMPLER(gDiffuseBufferSampler, gDiffuseBufferTexture)
texture gNormalBufferTexture : GBUFFERNORMAL;
DEFERRED_BUFFER_SAMPLER(gNormalBufferSampler, gNormalBufferTexture)
texture gMaterialBufferTexture : GBUFFERMATERIAL;
DEFERRED_BUFFER_SAMPLER(gMaterialBufferSampler, gMaterialBufferTexture)
texture gDepthBufferTexture : GBUFFERDEPTH;
DEFERRED_BUFFER_SAMPLER(gDepthBufferSampler, gDepthBufferTexture)

texture gSceneTexture : SCENECOLOUR;
sampler2D gSceneSampler = sampler_state
{
    Texture = <gSceneTexture>;
    MinFilter = Linear;
    MagFilter = Linear;
    MipFilter = None;
    AddressU = Clamp;
    AddressV = Clamp;
};

struct DeferredQuadInput
{
    float4 position : POSITION;
    float2 texCoord : TEXCOORD0;
};

struct DeferredQuadOutput
{
    float4 position : POSITION;
    float2 texCoord : TEXCOORD0;
    float3 viewRay : TEXCOORD1;
};

struct DeferredQuadPSInput
{
    float2 texCoord : TEXCOORD0;
    float3 viewRay : TEXCOORD1;
};

struct GBufferData
{
    float3 albedo;
    float staticAO;
    float3 normal;
    float specularMask;
    float specularExponent;
    float specularPower;
    float envFactor;
    float emissive;
    float depth;
    float3 viewPosition;
};

struct GBufferOutput
{
    float4 diffuse : COLOR0;
    float4 normal : COLOR1;
    float4 material : COLOR2;
    float4 depth : COLOR3;
};

// Direct3D 9 samples texel corners at pixel centres; shift by half a texel.
float2 DeferredHalfTexel()
{
    return 0.5 * gDeferredViewSize.zw;
}

float3 DeferredViewRay(float2 uv)
{
    // (uv.x * 2 - 1, 1 - uv.y * 2) as one vector operation.
    float2 ndc = uv * float2(2.0, -2.0) + float2(-1.0, 1.0);
    return float3(ndc * gDeferredProjectionParams.xy, 1.0);
}

DeferredQuadOutput DeferredFullScreenVS(DeferredQuadInput v)
{
    DeferredQuadOutput o;
    o.position = float4(v.position.xy, 0.0, 1.0);
    o.texCoord = v.texCoord + DeferredHalfTexel();
    o.viewRay = DeferredViewRay(v.texCoord);
    return o;
}

float2 DeferredScreenUV(float4 clipPosition)
{
    float2 ndc = clipPosition.xy / clipPosition.w;
    return ndc * float2(0.5, -0.5) + 0.5 + DeferredHalfTexel();
}

float2 DeferredUVFromVPos(float2 vpos)
{
    return (vpos + 0.5) * gDeferredViewSize.zw;
}

// float4(uv, 0, 0), the tex2Dlod coordinate of level 0, as one multiply:
// some compilers build the constructor anew, in three moves, at every read.
float4 DeferredLod0(float2 uv)
{
    return uv.xyxy * float4(1.0, 1.0, 0.0, 0.0);
}

float GetDeferredDepth(float2 uv)
{
    return tex2Dlod(gDepthBufferSampler, DeferredLod0(uv)).r;
}

bool IsSkyDepth(float depth)
{
    return depth <= 0.0;
}

float3 GetViewPosition(float2 uv, float depth)
{
    // DeferredViewRay(uv) * depth, whose z is 1 * depth.
    return float3(DeferredViewRay(uv).xy * depth, depth);
}

float3 ViewToWorldPosition(float3 viewPosition)
{
    return mul(float4(viewPosition, 1.0), gInverseView).xyz;
}

float3 ViewToWorldDirection(float3 viewDirection)
{
    return mul(viewDirection, (float3x3)gInverseView);
}

float3 GetCameraWorldPosition()
{
    return gInverseView[3].xyz;
}

float3 EncodeNormal(float3 n)
{
    return n * 0.5 + 0.5;
}

float3 DecodeNormal(float3 encoded)
{
    return normalize(encoded * 2.0 - 1.0);
}

GBufferData ReadGBuffer(float2 uv)
{
    float4 diffuse = tex2Dlod(gDiffuseBufferSampler, DeferredLod0(uv));
    float4 normal = tex2Dlod(gNormalBufferSampler, DeferredLod0(uv));
    float4 material = tex2Dlod(gMaterialBufferSampler, DeferredLod0(uv));

    GBufferData g;
    g.albedo = diffuse.rgb;
    g.staticAO = diffuse.a;
    g.normal = DecodeNormal(normal.rgb);
    g.specularMask = normal.a;
    g.specularExponent = material.r * 255.0;
    g.specularPower = material.g;
    g.envFactor = material.b;
    g.emissive = material.a;
    g.depth = GetDeferredDepth(uv);
    g.viewPosition = GetViewPosition(uv, g.depth);
    return g;
}

GBufferOutput PackGBuffer(float3 albedo, float staticAO, float3 viewNormal,
                          float specularMask, float specularExponent, float specularPower,
                          float envFactor, float emissive, float viewDepth)
{
    GBufferOutput o;
    o.diffuse = float4(albedo, staticAO);
    o.normal = float4(EncodeNormal(normalize(viewNormal)), specularMask);
    o.material = float4(saturate(specularExponent / 255.0), specularPower, envFactor, emissive);
    o.depth = float4(viewDepth, 0.0, 0.0, 1.0);
    return o;
}

float4 GetSceneColour(float2 uv)
{
    return tex2Dlod(gSceneSampler, DeferredLod0(uv));
}

#endif // DEFERRED_FNS_FXH

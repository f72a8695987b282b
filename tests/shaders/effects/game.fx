// Stands for a game effect: parameters of each kind the game drives (matrix
// with semantic, annotated vector, render-target texture, array, struct) and
// two techniques. Compiled with: vkd3d-compiler -x hlsl -p fx_2_0 -b fx
struct Light { float3 Position; float Range; };
float4x4 WorldViewProj : WORLDVIEWPROJECTION;
float4 FogColour : FOG_COLOUR < string UIName = "Fog colour"; float Scale = 2.0; >;
texture SceneTarget < string RenderTarget = "yes"; >;
float Weights[3];
Light Lights[2];
technique HIGH < int Quality = 2; > { pass P0 { } pass P1 < string Note = "second"; > { } }
technique LOW { pass P0 { } }

// A replacement that keeps the whole interface of game.fx and adds to it.
struct Light { float3 Position; float Range; };
float4x4 WorldViewProj : WORLDVIEWPROJECTION;
float4 FogColour : FOG_COLOUR;
texture SceneTarget < string RenderTarget = "yes"; >;
float Weights[3];
Light Lights[2];
float Extra;
technique LOW { pass P0 { } }
technique HIGH { pass P0 { } }
technique ULTRA { pass P0 { } }

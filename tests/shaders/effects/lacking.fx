// A replacement that lost technique HIGH and parameter WorldViewProj, and
// changed the type of FogColour.
struct Light { float3 Position; float Range; };
float3 FogColour : FOG_COLOUR;
texture SceneTarget < string RenderTarget = "yes"; >;
float Weights[3];
Light Lights[2];
technique LOW { pass P0 { } }

#pragma once
// What the game hands the previewed effects that no picture can tell: its
// fog, its depth of field's focus, its glow strength, its sun disc and edge
// smoothing constants. Each is chosen here once, for a clear afternoon in the
// game; where the effect declares a default, that default is taken (but for
// the fog's height falloff, which the default leaves out). The panel says
// that these make the preview approximate. (The view's size, the
// projection, the camera and the sun are the scene's own: PreviewScene.h.)

struct GameInputs {
    // PostTrainVolumetricFog and FogFns.fxh. FOGCOLOUR: the effect's grey-blue
    // haze. FOGPARAMS: x the global density of a light haze (the effect's
    // default), y a height falloff that thins it over the hills (the default
    // has none: the preview's eight steps through the fog would all be alike),
    // z the base height (the ground). VOLUMETRICFOGPARAMS: forward scattering and the
    // sun's share (the effect's defaults). The game picks HIGH or LOW by its
    // own quality option; the preview shows HIGH.
    float fogColour[4] = {0.6f, 0.65f, 0.7f, 1.0f};
    float fogParams[4] = {0.0005f, 0.01f, 0.0f, 0.0f};
    float volumetricFogParams[4] = {0.6f, 0.35f, 0.0f, 0.0f};

    // PostDepthOfField. DOFFOCUSDEPTH: the game focuses where the camera
    // looks; 50 m, the effect's default, is a train's length ahead.
    // DOFMAXCOC: the largest blur in pixels. DOFPARAMS: the stock planes
    // (near, far), the camera's own focus and whether it is used.
    float dofFocusDepth = 50.0f;
    float dofMaxCircleOfConfusion = 1.0f;
    float dofParams[4] = {10.0f, 2000.0f, 50.0f, 0.0f};

    // PostTrainLightGlow. LIGHTGLOWINTENSITY: the stock composite's strength;
    // the game keeps it at 1 by day. The game picks HIGH, MEDIUM or LOW by
    // its quality option; the preview shows HIGH.
    float lightGlowIntensity = 1.0f;

    // TrainSkyDome. SKYSUNPARAMS: the disc's sharpness and intensity.
    float skySunParams[4] = {2000.0f, 4.0f, 0.0f, 0.0f};

    // PostProcessFXAA. The edge thresholds the effect declares, and the
    // reciprocal frame the game hands it (FXAARCPFRAME), which it does not
    // keep up to date with the view: taken as that of a 1280 x 720 view, the
    // effect's default. FXAAFix replaces it with the view's own.
    float fxaaEdgeThreshold = 0.166f;
    float fxaaEdgeThresholdMin = 0.0833f;
    float fxaaGameRcpFrame[2] = {1.0f / 1280.0f, 1.0f / 720.0f};
};

inline constexpr GameInputs kGameInputs{};

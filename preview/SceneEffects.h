#pragma once
// The effects the game runs on the lit scene before its post chain, computed
// on the CPU as their pixel shaders compute them: one function per pixel
// shader, named after it, in the order of its technique, on 8-bit targets
// with the shaders' own sampling (preview/PostTargets.h). Each reads the rows
// of the parameter table whose preview step is its own, and the game's inputs
// of preview/GameInputs.h.
//
// The frame passed in is the back buffer as the effect finds it; an effect
// that samples the scene (SCENECOLOUR) samples that frame, as the game hands
// each effect a copy of it. Blending passes return the frame after the blend.
#include <array>
#include <cstdint>
#include <vector>

#include "preview/PostTargets.h"
#include "preview/PreviewScene.h"
#include "settings/Settings.h"

namespace SceneStep {

// TrainSkyDome, technique DEFERRED: SkyPS where nothing was drawn.
PostTarget SkyDome(const PreviewScene& scene, const PostTarget& frame, const ShaderSettings& settings,
                   int threads = 1);

// PostTrainVolumetricFog, technique HIGH: VolumetricFogHighPS, blended over
// the frame by its alpha (SrcAlpha, InvSrcAlpha).
PostTarget VolumetricFog(const PreviewScene& scene, const PostTarget& frame, const ShaderSettings& settings,
                         int threads = 1);

// PostTrainLightGlow, technique HIGH. With LightGlowEnhancements one pass,
// GlowDirectPS, added onto the frame (one, one) where its alpha passes the
// test; without, the stock passes: GlowMaskPS into the half-size mask,
// GlowBlurHighHPS into the blur target, GlowBlurHighVPS back into the mask,
// and GlowCompositePS added onto the frame.
PostTarget GlowDirect(const PreviewScene& scene, const PostTarget& frame, const ShaderSettings& settings);
PostTarget GlowMask(const PreviewScene& scene, const PostTarget& frame);
PostTarget GlowBlurHigh(const PostTarget& source, int viewWidth, int viewHeight, bool vertical);
PostTarget GlowComposite(const PostTarget& frame, const PostTarget& mask);
PostTarget LightGlow(const PreviewScene& scene, const PostTarget& frame, const ShaderSettings& settings);

// PostDepthOfField, technique DepthOfField: DOFCopyPS into the scene copy
// (three quarters of the view with DOFEnhancements), then DOFBlurPS.
PostTarget DofCopy(const PostTarget& frame, const ShaderSettings& settings);
PostTarget DofBlur(const PreviewScene& scene, const PostTarget& frame, const PostTarget& copy,
                   const ShaderSettings& settings, int threads = 1);

// PostProcessFXAA, technique FXAA: FXAAPS (FXAA 3.11, quality preset 29,
// luma from green). Works on a picture alone.
PostTarget Fxaa(const PostTarget& frame, const ShaderSettings& settings, int threads = 1);
// Some of FXAAPS's comparisons of 8-bit values can tie exactly (a read half
// across an edge that equals a quarter of its gradient, two equal
// gradients); there the GPU's rounding of its texture coordinates picks the
// branch. Every colour pixel (x, y) can take, one for each way its ties can
// fall (up to ten ties), the preview's own first.
std::vector<std::array<uint8_t, 3>> FxaaAnswers(const PostTarget& frame, const ShaderSettings& settings, int x, int y);

}  // namespace SceneStep

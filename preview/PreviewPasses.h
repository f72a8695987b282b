#pragma once
// The steps of the preview in the order the game runs their effects, and the
// settings that feed each: the parameter table's rows whose preview step is
// that step, compared field by field through the table.
#include <array>

#include "settings/SettingsTable.h"

inline constexpr std::array<PreviewPass, 6> kPreviewOrder = {
    PreviewPass::SkyDome,      PreviewPass::Fog,           PreviewPass::LightGlow,
    PreviewPass::DepthOfField, PreviewPass::EdgeSmoothing, PreviewPass::PostChain};

// True for the steps that read the scene's depth, light mask or sky, which a
// screenshot does not have; edge smoothing and the post chain work on a
// picture alone.
bool PassNeedsScene(PreviewPass pass);

// True when every parameter whose preview step is `pass` has the same value
// in both records.
bool SameSettingsFor(PreviewPass pass, const ShaderSettings& a, const ShaderSettings& b);
// The same for every step of the preview.
bool SamePreviewedSettings(const ShaderSettings& a, const ShaderSettings& b);
// How many parameters some step of the preview reads.
int PreviewedSettingCount();

#pragma once
// The parameter table: element name, kind, field and default of each of the
// 54 parameters in settings-file order. Construction, the file reader's
// fall-backs and RestoreShaderDefaults all take their defaults from here.
#include <cstddef>
#include <span>

#include "settings/Settings.h"

enum class ParamKind { Bool, Float, Tint };

// The step of the live preview that reads a parameter; None for those only
// the game shows (lighting, reflections, glass, flora, vegetation, weather).
enum class PreviewPass { None, SkyDome, Fog, LightGlow, DepthOfField, EdgeSmoothing, PostChain };

struct ParamDesc {
    const char* name;
    ParamKind kind;
    bool ShaderSettings::*boolField;
    float ShaderSettings::*floatField;
    ColorTint ShaderSettings::*tintField;
    bool defaultBool;
    float defaultFloat;
    PreviewPass preview = PreviewPass::None;
};

std::span<const ParamDesc> ShaderParamTable();  // 54 rows, file order
void ApplyDefault(ShaderSettings& shader, const ParamDesc& param);

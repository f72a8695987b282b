#pragma once
// The parameter table: element name, kind, field and default of each of the
// 54 parameters in settings-file order. Construction, the file reader's
// fall-backs and RestoreShaderDefaults all take their defaults from here.
#include <cstddef>
#include <span>

#include "settings/Settings.h"

enum class ParamKind { Bool, Float, Tint };

struct ParamDesc {
    const char* name;
    ParamKind kind;
    bool ShaderSettings::*boolField;
    float ShaderSettings::*floatField;
    ColorTint ShaderSettings::*tintField;
    bool defaultBool;
    float defaultFloat;
};

std::span<const ParamDesc> ShaderParamTable();  // 54 rows, file order
void ApplyDefault(ShaderSettings& shader, const ParamDesc& param);

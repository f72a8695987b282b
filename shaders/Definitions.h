#pragma once
// Settings turned into the preprocessor definitions written in front of each
// effect template.
#include <string>
#include <vector>

#include "settings/Settings.h"

using DefinitionList = std::vector<std::string>;

// "%f" in the C conventions, whatever the user's locale.
std::string FormatFloat(float value);
// "float3(r,g,b)" with FormatFloat components.
std::string FormatTint(const ColorTint& tint);
// The list for one effect, in append order: the definitions of the
// parameters that feed it (SettingsTable.h).
DefinitionList BuildDefinitionList(const std::u16string& effectName, const ShaderSettings& shader);
// One LF in front of the template, then "#define entry" lines put in front in
// list order (so the file shows them reversed).
std::string BuildEffectSource(std::string templateText, const DefinitionList& definitions);

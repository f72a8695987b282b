#include "shaders/Definitions.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "settings/SettingsTable.h"

std::string FormatFloat(float value) {
    const double widened = value;
    // Non-finite values as this platform's C library writes them with "%f"
    // ("-nan" from glibc, "nan" from the Windows runtime); no locale changes
    // these words.
    if (!std::isfinite(widened)) {
        char text[32];
        std::snprintf(text, sizeof text, "%f", widened);
        return text;
    }
    // to_chars never consults the locale, so the separator is always a point.
    char buffer[400];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, widened, std::chars_format::fixed, 6);
    return std::string(buffer, result.ptr);
}

std::string FormatTint(const ColorTint& tint) {
    return "float3(" + FormatFloat(tint.r) + "," + FormatFloat(tint.g) + "," + FormatFloat(tint.b) + ")";
}

namespace {

// A switch bare while on, a value with its value; nothing while the switch
// the parameter depends on is off.
void Add(DefinitionList& list, const ParamDesc& param, const ShaderSettings& shader) {
    if (!SwitchedOn(shader, param)) return;
    switch (param.kind) {
        case ParamKind::Bool:
            if (shader.*param.boolField) list.emplace_back(param.definition);
            break;
        case ParamKind::Float:
            list.push_back(std::string(param.definition) + " " + FormatFloat(shader.*param.floatField));
            break;
        case ParamKind::Tint:
            list.push_back(std::string(param.definition) + " " + FormatTint(shader.*param.tintField));
            break;
    }
}

}  // namespace

DefinitionList BuildDefinitionList(const std::u16string& effectName, const ShaderSettings& shader) {
    DefinitionList list;
    const std::span<const char* const> first = DefinitionsFirst(effectName);
    for (const char* name : first) {
        const ParamDesc* param = FindParam(name);
        if (param && param->definition && Feeds(*param, effectName)) Add(list, *param, shader);
    }
    for (const ParamDesc& param : ShaderParamTable()) {
        const bool written = std::find(first.begin(), first.end(), std::string_view(param.name)) != first.end();
        if (!written && param.definition && Feeds(param, effectName)) Add(list, param, shader);
    }
    return list;
}

std::string BuildEffectSource(std::string templateText, const DefinitionList& definitions) {
    // Each entry goes in front of the text so far, so the file lists them last first.
    std::string head;
    for (auto it = definitions.rbegin(); it != definitions.rend(); ++it) {
        head += "#define ";
        head += *it;
        head += '\n';
    }
    head += '\n';
    templateText.insert(0, head);
    return templateText;
}

#pragma once
// How the test framework shows the settings records in a failed comparison:
// the fields that differ from their defaults, by name, so that a mismatch
// names the parameter.
#include <ostream>
#include <sstream>

#include "app/Text.h"
#include "settings/Settings.h"
#include "settings/SettingsTable.h"

inline void PrintTo(const ColorTint& tint, std::ostream* out) {
    *out << "(" << tint.r << ", " << tint.g << ", " << tint.b << ")";
}

inline void PrintTo(const ShaderSettings& shader, std::ostream* out) {
    const ShaderSettings defaults;
    std::ostringstream moved;
    for (const ParamDesc& p : ShaderParamTable()) {
        switch (p.kind) {
            case ParamKind::Bool:
                if (shader.*p.boolField != defaults.*p.boolField)
                    moved << " " << p.name << "=" << (shader.*p.boolField ? "true" : "false");
                break;
            case ParamKind::Float:
                if (!(shader.*p.floatField == defaults.*p.floatField))
                    moved << " " << p.name << "=" << shader.*p.floatField;
                break;
            case ParamKind::Tint:
                if (!(shader.*p.tintField == defaults.*p.tintField)) {
                    moved << " " << p.name << "=";
                    PrintTo(shader.*p.tintField, &moved);
                }
                break;
        }
    }
    *out << "{" << (moved.str().empty() ? " defaults" : moved.str()) << " }";
}

inline void PrintTo(const Settings& s, std::ostream* out) {
    *out << "{Language=" << s.Language << " HelpIcons=" << s.HelpIcons << " TSPath=\"" << WideToUtf8(s.TSPath)
         << "\" ShadersInstallOK=" << s.ShadersInstallOK << " ShadersVersion=\"" << WideToUtf8(s.ShadersVersion)
         << "\" NeedShadersUpdate=" << s.NeedShadersUpdate << " Shader=";
    PrintTo(s.Shader, out);
    *out << "}";
}

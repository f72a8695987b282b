#pragma once
// The effects as tests meet them: their names, their files in a game's
// dev/Shaders, stand-in stock files, and settings with every switch alike.
#include <string>
#include <vector>

#include "app/Text.h"
#include "settings/SettingsTable.h"
#include "shaders/ShaderTemplates.h"
#include "tests/support/TestEnv.h"

// The effect names in compile order.
inline std::vector<std::string> EffectNames() {
    std::vector<std::string> names;
    for (const ShaderTemplate& t : ShaderTemplates())
        if (t.kind == TemplateKind::Effect) names.push_back(WideToUtf8(t.name));
    return names;
}

inline fs::path GameShader(const fs::path& game, const std::string& effect) {
    return game / "dev" / "Shaders" / (effect + ".fx.o");
}

// "<prefix><effect>" as the game's file of every effect.
inline void PutStockShaders(const fs::path& game, const std::string& prefix = "STOCK ") {
    for (const std::string& e : EffectNames()) WriteText(GameShader(game, e), prefix + e);
}

// Every switch on (or off), but the one given the other way.
inline ShaderSettings Switches(bool on, const ParamDesc* except = nullptr) {
    ShaderSettings s;
    for (const ParamDesc& p : ShaderParamTable())
        if (p.kind == ParamKind::Bool) s.*p.boolField = (&p == except) ? !on : on;
    return s;
}

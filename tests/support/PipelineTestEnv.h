#pragma once
// The shader pipeline as tests meet it: a fake game folder as TSPath with the
// stand-in compiler beside the program, the effects and their files in the
// game, stand-in stock files, settings with every switch alike, and the
// weather add-on's marker.

#include "app/AppPaths.h"
#include "app/FileProbes.h"
#include "settings/Settings.h"
#include "settings/SettingsTable.h"
#include "shaders/ShaderInstaller.h"
#include "shaders/ShaderTemplates.h"
#include "tests/support/TestEnv.h"

// Temp program paths, a fake game folder <root>/game as TSPath and the
// stand-in compiler beside the program as "fxc", where the process service
// finds it before any fxc.exe. Returns the game folder.
inline fs::path SetUpPipeline(const TempDir& root) {
    UseTempAppPaths(root);
    Settings::Instance().TSPath = MakeFakeGameFolder(root.path / "game");
    fs::copy_file(ToolPath("fake_fxc"), FsPath(AppPaths.programFolder + u"fxc"), fs::copy_options::overwrite_existing);
    return root.path / "game";
}

// Each test on its own pipeline.
struct PipelineTest : ::testing::Test {
    TempDir root;
    const fs::path game = SetUpPipeline(root);
    Settings& settings = Settings::Instance();
};

inline const InstallOutcome& LastInstall() { return ShaderInstaller::Instance().install; }
inline const RestoreOutcome& LastRestore() { return ShaderInstaller::Instance().restore; }

inline void AddWeatherPack(const fs::path& game) {
    WriteText(game / "Assets" / "AP" / "WeatherEP" / "TrackMarkers" / "Weather" / "weather.bin", "marker");
}

// The text with every LF as CR LF, as generated files are written.
inline std::string CrLf(const std::string& text) {
    std::string out;
    for (char c : text) out += c == '\n' ? "\r\n" : std::string(1, c);
    return out;
}

// The argument lines the stand-in compiler recorded, one per call.
inline std::vector<std::string> CompilerCalls() { return ReadLines(FsPath(AppPaths.programFolder + u"fxc-calls.txt")); }

// The effects the stand-in compiler was run for since the last call, in the order it was started.
inline std::vector<std::string> TakeCompiledEffects() {
    std::vector<std::string> names;
    for (const std::string& call : CompilerCalls()) {
        const auto start = call.find("temp\\") + 5;
        names.push_back(call.substr(start, call.find(".fx.o") - start));
    }
    fs::remove(FsPath(AppPaths.programFolder + u"fxc-calls.txt"));
    return names;
}

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

inline fs::path SkyOverrideFile(const fs::path& game) {
    return game / "data" / "SilverLining" / "Silverlining.override";
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

// The default settings with one value moved.
inline ShaderSettings Moved(const ParamDesc& p) {
    ShaderSettings s;
    if (p.kind == ParamKind::Float) s.*p.floatField += 0.5f;
    if (p.kind == ParamKind::Tint) s.*p.tintField = {0.5f, 0.25f, 1.0f};
    return s;
}

// The settings the shader checks build, by name: the defaults; every switch
// off; every switch on; each switch on alone ("+Name") and off alone
// ("-Name"); each value moved from the defaults ("=Name").
inline std::vector<std::pair<std::string, ShaderSettings>> CheckedSettings() {
    std::vector<std::pair<std::string, ShaderSettings>> all = {
        {"defaults", ShaderSettings()}, {"off", Switches(false)}, {"all", Switches(true)}};
    for (const ParamDesc& p : ShaderParamTable()) {
        if (p.kind != ParamKind::Bool) {
            all.emplace_back(std::string("=") + p.name, Moved(p));
            continue;
        }
        all.emplace_back(std::string("+") + p.name, Switches(false, &p));
        all.emplace_back(std::string("-") + p.name, Switches(true, &p));
    }
    return all;
}

// The effects the tests compile for real lie in tests/shaders/effects/.
inline const fs::path kEffects = fs::path(VANTREL_SOURCE_DIR) / "tests" / "shaders" / "effects";

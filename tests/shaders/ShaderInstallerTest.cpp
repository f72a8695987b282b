#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "app/AppPaths.h"
#include "app/FileProbes.h"
#include "app/Log.h"
#include "app/Text.h"
#include "settings/Settings.h"
#include "settings/SettingsTable.h"
#include "shaders/Definitions.h"
#include "shaders/ShaderInstaller.h"
#include "shaders/ShaderTemplates.h"
#include "shaders/SkyOverride.h"
#include "tests/support/PipelineTestEnv.h"

namespace {

const std::set<std::string> kGuarded = {"PostTrainVolumetricFog", "TrainGlass", "TrainGlassWeatherEffects",
                                        "TrainSkyDome"};

std::vector<std::string> EffectNames() {
    std::vector<std::string> names;
    for (const ShaderTemplate& t : ShaderTemplates()) {
        if (t.kind == TemplateKind::Effect) names.push_back(WideToUtf8(t.name));
    }
    return names;
}

fs::path GameShader(const fs::path& game, const std::string& effect) {
    return game / "dev" / "Shaders" / (effect + ".fx.o");
}

void PutStockShaders(const fs::path& game) {
    for (const std::string& e : EffectNames()) WriteText(GameShader(game, e), "STOCK " + e);
}

// What the stand-in compiler leaves for an effect built from the settings.
std::string Compiled(const std::string& effect, const ShaderSettings& shader) {
    const ShaderTemplate* t = FindShaderTemplate(Utf8ToWide(effect));
    return "FAKEFXC\n" + CrLf(BuildEffectSource(std::string(t->text), BuildDefinitionList(Utf8ToWide(effect), shader)));
}

std::string CompiledName(const std::string& call) {
    const auto start = call.find("temp\\") + 5;
    return call.substr(start, call.find(".fx.o") - start);
}

}  // namespace

TEST(ShaderInstall, WeatherPackLeavesTheFourGuardedFilesAndAllOffSettingsGoIn) {
    TempDir root;
    const fs::path game = SetUpPipeline(root);
    Settings& settings = Settings::Instance();
    for (const ParamDesc& p : ShaderParamTable()) {
        if (p.kind == ParamKind::Bool) settings.Shader.*p.boolField = false;
    }
    settings.Shader.ProceduralFloraSway = true;  // no effect while the outer switch is off
    PutStockShaders(game);
    AddWeatherPack(game);
    const fs::path work = FsPath(AppPaths.workFolder);
    WriteText(work / "leftover.fx.o", "old");
    WriteText(work / "notes.txt", "foreign");
    WriteText(work / "busy" / "inside.txt", "a folder that cannot be removed as a file");

    ASSERT_TRUE(ShaderInstaller::Install());

    std::vector<std::string> compiled;
    for (const std::string& call : CompilerCalls()) compiled.push_back(CompiledName(call));
    std::vector<std::string> expected;
    for (const std::string& e : EffectNames()) {
        if (!kGuarded.count(e)) expected.push_back(e);
    }
    EXPECT_EQ(compiled, expected);
    EXPECT_EQ(compiled.size(), 11u);
    for (const std::string& e : EffectNames()) {
        if (kGuarded.count(e)) {
            EXPECT_EQ(ReadText(GameShader(game, e)), "STOCK " + e);
            EXPECT_FALSE(fs::exists(game / "Vantrel" / "Originals" / (e + ".fx.o")));
        } else {
            EXPECT_EQ(ReadText(GameShader(game, e)), Compiled(e, settings.Shader)) << e;
        }
    }
    EXPECT_EQ(ReadText(GameShader(game, "ProcFlora")).substr(0, 10), "FAKEFXC\n\r\n");

    // Headers, foreign files and compiler outputs are gone; the folder stays.
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(work)) left.push_back(entry.path().filename().string());
    EXPECT_EQ(left, std::vector<std::string>{"busy"});

    EXPECT_EQ(ReadText(game / "data" / "SilverLining" / "Silverlining.override"), CrLf(kSkyOverrideBaseBlock));
    EXPECT_TRUE(settings.ShadersInstallOK);
    EXPECT_FALSE(settings.NeedShadersUpdate);
    EXPECT_EQ(settings.ShadersVersion, APP_VERSION);
    bool ok = false, tsx = true, bloom = true;
    ShaderInstaller::GetInstallResult(ok, tsx, bloom);
    EXPECT_TRUE(ok);
    EXPECT_FALSE(tsx);  // the fake game has no converter, so nothing is forced
    EXPECT_FALSE(bloom);
    const auto log = ReadLogLines();
    EXPECT_EQ(log.front(), "Compiling shaders...");
    EXPECT_EQ(log.back(), "Shaders compilation done");
    EXPECT_TRUE(Logged("Tweaked Silverlining file"));
    EXPECT_TRUE(Logged("Compiled and installed shader: TrainUprightViewFacingFlora"));
    EXPECT_FALSE(Logged("Compiled and installed shader: TrainSkyDome"));
}

TEST(ShaderInstall, FailureAtTheFifthEffectThenARetryThatKeepsTheGameFiles) {
    TempDir root;
    const fs::path game = SetUpPipeline(root);
    Settings& settings = Settings::Instance();
    settings.ShadersInstallOK = false;
    settings.NeedShadersUpdate = true;
    settings.ShadersVersion = u"1.03";
    PutStockShaders(game);
    const fs::path overrideFile = game / "data" / "SilverLining" / "Silverlining.override";
    WriteText(overrideFile, "user's own");

    setenv("FAKE_FXC_FAIL", "Rain", 1);
    EXPECT_FALSE(ShaderInstaller::Install());
    const std::vector<std::string> effects = EffectNames();
    for (size_t i = 0; i < effects.size(); ++i) {
        if (i < 4) {
            EXPECT_EQ(ReadText(GameShader(game, effects[i])), Compiled(effects[i], settings.Shader)) << effects[i];
        } else {
            EXPECT_EQ(ReadText(GameShader(game, effects[i])), "STOCK " + effects[i]);
        }
    }
    bool ok = true, tsx = false, bloom = false;
    ShaderInstaller::GetInstallResult(ok, tsx, bloom);
    EXPECT_FALSE(ok);
    EXPECT_FALSE(settings.ShadersInstallOK);
    EXPECT_TRUE(settings.NeedShadersUpdate);
    EXPECT_EQ(settings.ShadersVersion, u"1.03");
    for (const ShaderTemplate& t : ShaderTemplates()) {
        if (t.kind != TemplateKind::Header) continue;
        EXPECT_EQ(ReadText(FsPath(AppPaths.workFolder + t.name)), CrLf(std::string(t.text)));
    }
    EXPECT_EQ(ReadText(overrideFile), "user's own");
    EXPECT_TRUE(Logged("ERROR: Shader compilation error for shader: Rain"));
    EXPECT_FALSE(Logged("Shaders compilation done"));

    // The retry starts from the beginning; the record keeps the game's own files.
    unsetenv("FAKE_FXC_FAIL");
    ClearLog();
    ASSERT_TRUE(ShaderInstaller::Install());
    ShaderInstaller::GetInstallResult(ok, tsx, bloom);
    EXPECT_TRUE(ok);
    EXPECT_EQ(CompilerCalls().size(), 5u + 15u);
    const fs::path originals = game / "Vantrel" / "Originals";
    for (const std::string& e : effects) {
        EXPECT_EQ(ReadText(GameShader(game, e)), Compiled(e, settings.Shader)) << e;
        EXPECT_EQ(ReadText(originals / (e + ".fx.o")), "STOCK " + e);
    }
    const auto log = ReadLogLines();
    EXPECT_EQ(std::count_if(log.begin(), log.end(),
                            [](const std::string& l) { return l.rfind("Backed up original shader: ", 0) == 0; }),
              11);  // the first four were saved by the failed run
}

TEST(ShaderInstall, EmptyGameFolderOrUnsavableBackupStops) {
    TempDir root;
    SetUpPipeline(root);
    Settings& settings = Settings::Instance();
    const std::u16string game = settings.TSPath;
    settings.TSPath.clear();
    EXPECT_FALSE(ShaderInstaller::Install());
    EXPECT_EQ(ReadLogLines(), (std::vector<std::string>{"Compiling shaders...",
                                                        "Can't install/update TS enhanced shaders. TS Path is empty"}));
    EXPECT_TRUE(fs::is_empty(FsPath(AppPaths.workFolder)));

    // A game file that cannot be backed up is not replaced.
    settings.TSPath = game;
    WriteText(FsPath(game) / "dev" / "Shaders" / "DeferredDirectional.fx.o", "STOCK");
    WriteText(FsPath(game) / "Vantrel", "a file where the record's folder should be");
    EXPECT_FALSE(ShaderInstaller::Install());
    EXPECT_EQ(ReadText(FsPath(game) / "dev" / "Shaders" / "DeferredDirectional.fx.o"), "STOCK");
    EXPECT_FALSE(Logged("Compiled and installed shader: DeferredDirectional"));
    bool ok = true, tsx = false, bloom = false;
    ShaderInstaller::GetInstallResult(ok, tsx, bloom);
    EXPECT_FALSE(ok);
}

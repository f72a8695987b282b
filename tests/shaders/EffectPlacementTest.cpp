// The interface check of each effect against the game's own, through the
// install with the stand-in compiler writing real effect binaries (the
// fixtures in tests/shaders/effects/, made by vkd3d).
#include <gtest/gtest.h>

#include "app/AppPaths.h"
#include "app/FileProbes.h"
#include "app/Text.h"
#include "settings/Settings.h"
#include "shaders/EffectPlacement.h"
#include "shaders/ShaderInstaller.h"
#include "tests/support/GameShaders.h"
#include "tests/support/PipelineTestEnv.h"

namespace {

const fs::path kEffects = fs::path(VANTREL_SOURCE_DIR) / "tests" / "shaders" / "effects";

// The stand-in compiler writes this fixture as the effect's output.
void CompilerWrites(const std::string& effect, const std::string& fixture) {
    fs::copy_file(kEffects / fixture, FsPath(AppPaths.programFolder) / ("fxc-output-" + effect),
                  fs::copy_options::overwrite_existing);
}

}  // namespace

TEST(EffectPlacement, TheGameEffectStaysWhenTheNewOneLacksPartOfItsInterface) {
    TempDir root;
    const fs::path game = SetUpPipeline(root);
    const std::string gameEffect = ReadText(kEffects / "game.fx.o"), complete = ReadText(kEffects / "complete.fx.o");
    for (const char* effect : {"Rain", "DeferredSpot"}) WriteText(GameShader(game, effect), gameEffect);
    WriteText(GameShader(game, "ProcFlora"), "not an effect binary");
    CompilerWrites("Rain", "lacking.fx.o");
    CompilerWrites("DeferredSpot", "complete.fx.o");
    CompilerWrites("ProcFlora", "lacking.fx.o");

    ASSERT_TRUE(ShaderInstaller::Install());
    const ShaderInstaller& state = ShaderInstaller::Instance();
    EXPECT_EQ(ReadText(GameShader(game, "Rain")), gameEffect);
    EXPECT_EQ(ReadText(GameShader(game, "DeferredSpot")), complete);
    EXPECT_EQ(ReadText(game / "Vantrel" / "Originals" / "DeferredSpot.fx.o"), gameEffect);
    EXPECT_EQ(ReadText(GameShader(game, "ProcFlora")), ReadText(kEffects / "lacking.fx.o"));  // nothing to compare
    EXPECT_EQ(state.effectsInstalled, 14);
    EXPECT_EQ(state.effectsCompiled, 15);
    EXPECT_EQ(state.keptEffects, std::vector<std::u16string>{u"Rain"});
    EXPECT_TRUE(Logged("Kept the game's own Rain.fx.o: the new effect lacks techniques LOW; parameters WorldViewProj "
                       "(float4x4), FogColour (float4)"));
    EXPECT_FALSE(Logged("Compiled and installed shader: Rain"));

    // A later effect that lost part of the interface where our earlier one is
    // in place: the game's own goes back and is no longer ours to restore.
    CompilerWrites("DeferredSpot", "lacking.fx.o");
    // The stand-in's output changed while its input did not: nothing kept may stand in for it.
    fs::remove_all(FsPath(AppPaths.preferenceFolder + u"CompiledEffects"));
    ASSERT_TRUE(ShaderInstaller::Install());
    EXPECT_EQ(ReadText(GameShader(game, "DeferredSpot")), gameEffect);
    EXPECT_EQ(state.keptEffects, (std::vector<std::u16string>{u"Rain", u"DeferredSpot"}));
    ASSERT_TRUE(ShaderInstaller::Restore());
    EXPECT_EQ(ReadText(GameShader(game, "DeferredSpot")), gameEffect);
    EXPECT_EQ(ReadText(GameShader(game, "ProcFlora")), "not an effect binary");
    EXPECT_EQ(ShaderInstaller::Instance().filesRestored, 1);

    // The record of one placement; an output that cannot be read fails it and changes nothing.
    const std::u16string fixtures = Utf8ToWide(kEffects.string()) + u"/";
    const EffectPlacement kept = PutEffectIntoGame(Settings::Instance().TSPath, u"Rain", fixtures + u"lacking.fx.o");
    EXPECT_EQ(kept.outcome, PlacementOutcome::KeptGameEffect);
    EXPECT_EQ(kept.missingTechniques, std::vector<std::string>{"LOW"});
    EXPECT_EQ(kept.missingParameters, (std::vector<std::string>{"WorldViewProj (float4x4)", "FogColour (float4)"}));
    const EffectPlacement failed = PutEffectIntoGame(Settings::Instance().TSPath, u"Rain", fixtures + u"missing.fx.o");
    EXPECT_EQ(failed.outcome, PlacementOutcome::Failed);
    EXPECT_NE(WideToUtf8(failed.message).find("missing.fx.o cannot be read"), std::string::npos);
    EXPECT_EQ(ReadText(GameShader(game, "Rain")), gameEffect);
}

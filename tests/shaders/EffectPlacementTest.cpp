// The interface check of one effect against the game's own, through the
// install with the stand-in compiler writing real effect binaries (the
// fixtures in tests/shaders/effects/, made by vkd3d).
#include <gtest/gtest.h>

#include "app/AppPaths.h"
#include "app/FileProbes.h"
#include "app/Text.h"
#include "settings/Settings.h"
#include "shaders/EffectPlacement.h"
#include "shaders/ShaderInstaller.h"
#include "tests/support/PipelineTestEnv.h"

namespace {

const fs::path kEffects = fs::path(VANTREL_SOURCE_DIR) / "tests" / "shaders" / "effects";
const std::string kLacks = "techniques LOW; parameters WorldViewProj (float4x4), FogColour (float4)";

// The stand-in compiler writes this fixture as the effect's output.
void CompilerWrites(const std::string& effect, const std::string& fixture) {
    fs::copy_file(kEffects / fixture, FsPath(AppPaths.programFolder) / ("fxc-output-" + effect),
                  fs::copy_options::overwrite_existing);
}

}  // namespace

TEST(EffectPlacement, TheGameEffectStaysWhenTheNewOneLacksPartOfItsInterface) {
    TempDir root;
    const fs::path game = SetUpPipeline(root);
    const fs::path shaders = game / "dev" / "Shaders";
    const std::string gameEffect = ReadText(kEffects / "game.fx.o");
    WriteText(shaders / "Rain.fx.o", gameEffect);
    WriteText(shaders / "DeferredSpot.fx.o", gameEffect);
    WriteText(shaders / "ProcFlora.fx.o", "not an effect binary");
    CompilerWrites("Rain", "lacking.fx.o");
    CompilerWrites("DeferredSpot", "complete.fx.o");
    CompilerWrites("ProcFlora", "lacking.fx.o");

    ASSERT_TRUE(ShaderInstaller::Install());
    const ShaderInstaller& state = ShaderInstaller::Instance();
    EXPECT_EQ(ReadText(shaders / "Rain.fx.o"), gameEffect);
    EXPECT_EQ(ReadText(shaders / "DeferredSpot.fx.o"), ReadText(kEffects / "complete.fx.o"));
    EXPECT_EQ(ReadText(shaders / "ProcFlora.fx.o"), ReadText(kEffects / "lacking.fx.o"));  // nothing to check against
    EXPECT_EQ(state.effectsInstalled, 14);
    EXPECT_EQ(state.effectsCompiled, 15);
    EXPECT_EQ(state.keptEffects, std::vector<std::u16string>{u"Rain"});
    EXPECT_TRUE(Logged("Kept the game's own Rain.fx.o: the new effect lacks " + kLacks));
    EXPECT_FALSE(Logged("Compiled and installed shader: Rain"));

    // A later effect that lost part of the interface where our earlier one is
    // in place: the game's own goes back and is no longer ours to restore.
    CompilerWrites("DeferredSpot", "lacking.fx.o");
    // The stand-in's output changed while its input did not: nothing kept may stand in for it.
    fs::remove_all(FsPath(AppPaths.preferenceFolder + u"CompiledEffects"));
    ASSERT_TRUE(ShaderInstaller::Install());
    EXPECT_EQ(ReadText(shaders / "DeferredSpot.fx.o"), gameEffect);
    EXPECT_EQ(state.keptEffects, (std::vector<std::u16string>{u"Rain", u"DeferredSpot"}));
    ASSERT_TRUE(ShaderInstaller::Restore());
    EXPECT_EQ(ReadText(shaders / "DeferredSpot.fx.o"), gameEffect);
    EXPECT_EQ(ReadText(shaders / "ProcFlora.fx.o"), "not an effect binary");
    EXPECT_EQ(ShaderInstaller::Instance().filesRestored, 1);
}

TEST(EffectPlacement, TheRecordTellsWhatHappenedToOneEffect) {
    TempDir root;
    const fs::path game = SetUpPipeline(root);
    const std::u16string gamePath = Settings::Instance().TSPath;
    const std::u16string fixtures = Utf8ToWide(kEffects.string()) + u"/";
    WriteText(game / "dev" / "Shaders" / "TrainGlass.fx.o", ReadText(kEffects / "game.fx.o"));

    EffectPlacement kept = PutEffectIntoGame(gamePath, u"TrainGlass", fixtures + u"lacking.fx.o");
    EXPECT_EQ(kept.outcome, PlacementOutcome::KeptGameEffect);
    EXPECT_EQ(kept.missingTechniques, std::vector<std::string>{"LOW"});
    EXPECT_EQ(kept.missingParameters, (std::vector<std::string>{"WorldViewProj (float4x4)", "FogColour (float4)"}));
    EXPECT_EQ(WideToUtf8(kept.message), "Kept the game's own TrainGlass.fx.o: the new effect lacks " + kLacks);
    EXPECT_FALSE(fs::exists(game / "Vantrel"));

    EffectPlacement installed = PutEffectIntoGame(gamePath, u"TrainGlass", fixtures + u"complete.fx.o");
    EXPECT_EQ(installed.outcome, PlacementOutcome::Installed);
    EXPECT_EQ(installed.message, u"Compiled and installed shader: TrainGlass");
    EXPECT_EQ(ReadText(game / "Vantrel" / "Originals" / "TrainGlass.fx.o"), ReadText(kEffects / "game.fx.o"));

    EffectPlacement failed = PutEffectIntoGame(gamePath, u"TrainGlass", fixtures + u"missing.fx.o");
    EXPECT_EQ(failed.outcome, PlacementOutcome::Failed);
    EXPECT_NE(WideToUtf8(failed.message).find("missing.fx.o cannot be read"), std::string::npos);
    EXPECT_EQ(ReadText(game / "dev" / "Shaders" / "TrainGlass.fx.o"), ReadText(kEffects / "complete.fx.o"));
}

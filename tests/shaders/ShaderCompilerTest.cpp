#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "app/AppPaths.h"
#include "app/FileProbes.h"
#include "settings/Settings.h"
#include "shaders/ShaderCompiler.h"
#include "tests/support/PipelineTestEnv.h"

TEST(CompileEffect, CompilesInTheWorkFolderAndReplacesTheGameFile) {
    TempDir root;
    const fs::path game = SetUpPipeline(root);
    const fs::path work = FsPath(AppPaths.workFolder);
    WriteText(game / "dev" / "Shaders" / "Train_post_bloom.fx.o", "GAME FILE");
    // A longer leftover from an earlier run must be replaced, not appended to.
    WriteText(work / "Train_post_bloom.fx", std::string(5000, 'x'));

    ASSERT_TRUE(CompileEffect(u"Train_post_bloom", "line one\nline two\n", {"MOX_A", "MOX_B 1.000000"}));

    EXPECT_EQ(ReadText(game / "dev" / "Shaders" / "Train_post_bloom.fx.o"),
              "FAKEFXC\n#define MOX_B 1.000000\r\n#define MOX_A\r\n\r\nline one\r\nline two\r\n");
    EXPECT_FALSE(fs::exists(work / "Train_post_bloom.fx"));
    EXPECT_FALSE(fs::exists(work / "Train_post_bloom.fx.o"));
    EXPECT_TRUE(Logged("Compiled and installed shader: Train_post_bloom"));
    const auto calls = CompilerCalls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0], "/Gec\t/T\tfx_2_0\t/nologo\t/O3\t/Fo\ttemp\\Train_post_bloom.fx.o\ttemp\\Train_post_bloom.fx\t");

    // An empty list still puts one empty line in front.
    ASSERT_TRUE(CompileEffect(u"Rain", "body\n", {}));
    EXPECT_EQ(ReadText(game / "dev" / "Shaders" / "Rain.fx.o"), "FAKEFXC\n\r\nbody\r\n");
}

TEST(CompileEffect, AFailedCompileLeavesTheGameFile) {
    TempDir root;
    const fs::path game = SetUpPipeline(root);
    WriteText(game / "dev" / "Shaders" / "Rain.fx.o", "GAME FILE");
    WriteText(FsPath(AppPaths.programFolder + u"fxc-fail-Rain"), "");

    EXPECT_FALSE(CompileEffect(u"Rain", "body\n", {"MOX_X"}));
    EXPECT_EQ(ReadText(game / "dev" / "Shaders" / "Rain.fx.o"), "GAME FILE");
    EXPECT_FALSE(fs::exists(FsPath(AppPaths.workFolder + u"Rain.fx")));
    EXPECT_TRUE(Logged("ERROR: Shader compilation error for shader: Rain"));
    EXPECT_FALSE(Logged("Compiled and installed shader: Rain"));
    EXPECT_FALSE(fs::exists(game / "Vantrel"));
}

TEST(CompileEffect, MissingCompilerIsNamedInTheLog) {
    TempDir root;
    const fs::path game = SetUpPipeline(root);
    fs::remove(FsPath(AppPaths.programFolder + u"fxc"));
    fs::create_directories(root.path / "emptybin");
    setenv("PATH", (root.path / "emptybin").c_str(), 1);
    WriteText(game / "dev" / "Shaders" / "Rain.fx.o", "GAME FILE");

    EXPECT_FALSE(CompileEffect(u"Rain", "body\n", {}));
    const auto log = ReadLogLines();
    ASSERT_GE(log.size(), 3u);
    const auto hint = std::find_if(log.begin(), log.end(), [](const std::string& l) {
        return l.find("fxc.exe was not found beside the program") != std::string::npos;
    });
    ASSERT_NE(hint, log.end());
    EXPECT_NE(hint->find(root.path.string() + "/program/"), std::string::npos) << *hint;
    const auto failed = std::find(hint, log.end(), "Failed to create shader compiler process");
    EXPECT_NE(failed, log.end());
    EXPECT_NE(std::find(failed, log.end(), "ERROR: Shader compilation error for shader: Rain"), log.end());
    EXPECT_EQ(ReadText(game / "dev" / "Shaders" / "Rain.fx.o"), "GAME FILE");
}

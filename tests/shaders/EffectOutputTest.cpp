// What the install makes of a compiler's output, end to end through the
// stand-in compiler: declared techniques, outputs that are no whole effect,
// the order compiles start in, and the compiler's words as text.

#include <fstream>

#include "app/AppPaths.h"
#include "app/FileIo.h"
#include "app/Log.h"
#include "shaders/CompilerMessages.h"
#include "shaders/DeclaredTechniques.h"
#include "shaders/ShaderCompiler.h"
#include "tests/support/FakeCompilerOutput.h"
#include "tests/support/FakeTools.h"
#include "tests/support/PipelineTestEnv.h"

namespace {

// "name(pass,pass):shaders ..." of what the source declares, or "not followed".
std::string Declared(const std::string& source, const std::map<std::string, std::string>& headers = {}) {
    std::vector<DeclaredTechnique> techniques;
    const auto include = [&](const std::string& name, std::string& text) {
        const auto found = headers.find(name);
        if (found == headers.end()) return false;
        text = found->second;
        return true;
    };
    if (!FindDeclaredTechniques(source, include, techniques)) return "not followed";
    std::string text;
    for (const DeclaredTechnique& t : techniques) {
        std::string passes;
        for (const std::string& p : t.passes) passes += (passes.empty() && &p == &t.passes.front() ? "" : ",") + p;
        text += (text.empty() ? "" : " ") + t.name + "(" + passes + "):" + std::to_string(t.shaders);
    }
    return text;
}

// With stock files in the game.
struct EffectOutput : PipelineTest {
    EffectOutput() { PutStockShaders(game); }
    fs::path Kept(const std::string& effect) const {
        return FsPath(AppPaths.preferenceFolder + u"CompiledEffects/" + Utf8ToWide(effect) + u".fx.o.kept");
    }
};

}  // namespace

TEST(DeclaredTechniques, FollowConditionsMacrosAndIncludesAndGiveUpWhereTheyCannot) {
    const std::map<std::string, std::string> headers = {
        {"h.fxh", "#define H_TECH FromHeader\n#define MAKE technique Made { pass M { } }\n"},
        {"self.fxh", "#include \"self.fxh\"\n"}};
    std::string runaway;
    for (int i = 0; i < 30; ++i) runaway += "#define M" + std::to_string(i) + " M" + std::to_string(i + 1) + " M" +
                                            std::to_string(i + 1) + "\n";
    const std::pair<std::string, std::string> cases[] = {
        {"technique A { pass P0 { VertexShader = compile vs_3_0 VS(); PixelShader = compile ps_3_0 PS(true); }"
         " pass P1 { } }\ntechnique B < string Note = \"technique C { pass D {} }\"; > { pass Q < int n = 1; > { } }",
         "A(P0,P1):2 B(Q):0"},
        {"technique A\r\n{\r\n    pass P\r\n    {\r\n    }\r\n}\r\n", "A(P):0"},
        {"#define ON\n#ifdef ON\ntechnique A { pass X {} }\n#else\ntechnique A { pass Y {} }\n#endif\n"
         "#ifndef ON\ntechnique Z {}\n#endif\n",
         "A(X):0"},
        {"#define Q 12\n#define V 0.5\n#if Q == 10\ntechnique T10 {}\n#elif (Q >= 11 && defined(ON)) || !defined OFF"
         "\ntechnique T11 {}\n#else\ntechnique T0 {}\n#endif\n#if V > 0.25 && 0x10 == 16 && (3 << 2) % 5 == 2\n"
         "technique Numbers {}\n#endif\n#if UNDEFINED\ntechnique Never {}\n#endif\n",
         "T11():0 Numbers():0"},
        {"#ifdef OUTER\n#ifdef INNER\n#else\ntechnique Hidden {}\n#endif\n#elif 1\ntechnique Elif {}\n#endif\n",
         "Elif():0"},
        {"#define TECH(name, p) technique name { pass p { PixelShader = compile ps_3_0 PS(); } }\n"
         "TECH(Fallback, P0)\nTECH(\n  Other,\n  P1)\n#define NAME HIGH\n#define STATES ZEnable = false;\n"
         "technique NAME { pass P0 { STATES } }\n",
         "Fallback(P0):1 Other(P1):1 HIGH(P0):0"},
        {"// technique Commented {}\n/* technique Block\n{ pass X {} } */\n#define LONG technique \\\n"
         "    Continued { pass P {} }\nLONG\n#define T A\n#undef T\ntechnique T {}\n",
         "Continued(P):0 T():0"},
        {"#include \"h.fxh\"\ntechnique H_TECH {}\nMAKE\n", "FromHeader():0 Made(M):0"},
        {"Technique { Pass { } pass { } }\n", "(,):0"},
        {"#ifdef X\n#error not reached\n#endif\ntechnique A {}\n", "A():0"},
        {"#include \"missing.fxh\"\ntechnique A {}\n", "not followed"},
        {"#include \"self.fxh\"\n", "not followed"},
        {"#error stop\ntechnique A {}\n", "not followed"},
        {"#if 1 +\n#endif\n", "not followed"},
        {"#if 1 / 0\n#endif\n", "not followed"},
        {"#ifdef A\ntechnique A {}\n", "not followed"},
        {"#endif\n", "not followed"},
        {"#define F(x) x\nF(1\n", "not followed"},
        {runaway + "M0\n", "not followed"},
    };
    for (const auto& [source, expected] : cases) EXPECT_EQ(Declared(source, headers), expected) << source;
}

TEST(CompilerMessages, LinesStayUtf8OrReadAsWindows1252ControlsShowAndTheCutFallsBetweenCharacters) {
    const std::pair<std::string, std::string> cases[] = {
        {"Rain.fx(3,5): erreur X3004 : identificateur non déclaré 'façade'\r\n",
         "Rain.fx(3,5): erreur X3004 : identificateur non déclaré 'façade'\n"},
        // One line of each: the UTF-8 one stays, the Windows-1252 one is read as such.
        {"déjà vu\n\x93quoted\x94 \x96 caf\xe9 \x80\x81\n",
         "déjà vu\n\u201Cquoted\u201D \u2013 café \u20AC\uFFFD\n"},
        {std::string("before\0after\x01\tend\x7f", 18), "before<NUL>after<0x01>\tend<0x7F>"},
        {"lone\rreturn", "lone<0x0D>return"},
        // Output cut inside its last character: that character goes.
        {"messages \xc3\xa9t\xc3\xa9 and \xe2\x80", "messages été and "},
        {"", ""}};
    for (const auto& [bytes, text] : cases) EXPECT_EQ(CompilerMessagesAsText(bytes), text) << bytes;
    // Kept to the limit at a character boundary.
    const std::string many = "x" + std::string(20, '\0') + [] {
        std::string accents;
        for (int i = 0; i < 40000; ++i) accents += "\xc3\xa9";
        return accents;
    }();
    const std::string kept = CompilerMessagesAsText(many);
    EXPECT_LE(kept.size(), kCompilerMessagesLimit);
    EXPECT_GE(kept.size(), kCompilerMessagesLimit - 3);
    EXPECT_FALSE(Utf8ToWide(kept).empty());
    EXPECT_TRUE(kept.ends_with("\xc3\xa9"));
}

TEST_F(EffectOutput, TheRealCompilersWholeEffectsPassAndEveryShorterOneIsRefused) {
    for (const std::string name : {"game", "complete", "lacking"}) {
        SCOPED_TRACE(name);
        const std::string source = CrLf(ReadText(kEffects / (name + ".fx")));
        const std::string bytes = ReadText(kEffects / (name + ".fx.o"));
        const std::u16string output = AppPaths.workFolder + u"probe.fx.o";
        ASSERT_TRUE(WriteFileBytes(output, bytes));
        EXPECT_EQ(IncompleteEffectProblem(source, output), "");
        for (size_t length = 0; length < bytes.size(); length += 3) {
            ASSERT_TRUE(WriteFileBytes(output, bytes.substr(0, length)));
            EXPECT_NE(IncompleteEffectProblem(source, output), "") << length;
        }
    }
    // Another effect's source declares what this output lacks.
    ASSERT_TRUE(WriteFileBytes(AppPaths.workFolder + u"probe.fx.o", ReadText(kEffects / "lacking.fx.o")));
    EXPECT_EQ(IncompleteEffectProblem(CrLf(ReadText(kEffects / "game.fx")), AppPaths.workFolder + u"probe.fx.o"),
              "lacks technique HIGH");
}

TEST_F(EffectOutput, AnOutputThatIsNoWholeEffectFailsItsEffectAndNothingOfItIsInstalledOrKept) {
    struct Case {
        std::string effect, how, problem;
    };
    const Case cases[] = {
        {"Rain", "cut60", "does not read as an fx_2_0 effect (cut short, damaged or of another kind)"},
        {"Rain", "cut8", "does not read as an fx_2_0 effect (cut short, damaged or of another kind)"},
        {"ProcFlora", "empty", "is empty"},
        {"DeferredSpot", "foreign", "does not read as an fx_2_0 effect (cut short, damaged or of another kind)"},
        {"PostDepthOfField", "notechnique", "lacks technique DepthOfField"},
        {"PostDepthOfField", "nopass", "lacks pass Blur of technique DepthOfField"},
        {"PostTrainLightGlow", "nopass", "lacks pass Composite of technique HIGH"},
    };
    settings.Shader.LightGlowEnhancements = true;  // HIGH has one pass, Composite
    for (const Case& c : cases) {
        SCOPED_TRACE(c.effect + " " + c.how);
        ScopedEnv damage("FAKE_FXC_DAMAGE", c.effect + ":" + c.how);
        fs::remove_all(FsPath(AppPaths.preferenceFolder + u"CompiledEffects"));  // compiled afresh
        const std::string before = ReadText(GameShader(game, c.effect));
        ClearLog();
        EXPECT_FALSE(ShaderInstaller::Install());
        const InstallOutcome& state = LastInstall();
        EXPECT_EQ(state.failedEffect, Utf8ToWide(c.effect));
        const std::string why = "The compiler reported success, but its " + c.effect + ".fx.o " + c.problem +
                                "; nothing of it is installed.";
        EXPECT_NE(state.failureMessage.find(why), std::string::npos) << state.failureMessage;
        EXPECT_TRUE(Logged("ERROR: Shader compilation error for shader: " + c.effect));
        EXPECT_TRUE(Logged(why));
        EXPECT_TRUE(ReadText(GameShader(game, c.effect)) == before);
        EXPECT_FALSE(fs::exists(Kept(c.effect)));
        EXPECT_FALSE(fs::exists(FsPath(AppPaths.workFolder + Utf8ToWide(c.effect) + u".fx.o")));
    }
    // The same compiler working again installs every effect.
    ASSERT_TRUE(ShaderInstaller::Install());
    const auto whole = [&](const std::string& e) {
        return fake_compiler::Text(ReadText(GameShader(game, e))).starts_with("FAKEFXC\n");
    };
    for (const std::string& e : EffectNames()) EXPECT_TRUE(whole(e)) << e;

    // A kept output that is no whole effect (made by a broken compiler
    // before) is compiled again, not installed.
    const std::string kept = ReadText(Kept("Rain"));
    const size_t header = kept.find('\n') + 1;
    std::string line = kept.substr(0, header);
    const std::string output = kept.substr(header), cut = output.substr(0, 8);
    line.replace(line.find(" " + std::to_string(output.size()) + " "), std::to_string(output.size()).size() + 2,
                 " " + std::to_string(cut.size()) + " ");
    WriteText(Kept("Rain"), line + cut);
    fs::remove(FsPath(AppPaths.programFolder + u"fxc-calls.txt"));
    ASSERT_TRUE(ShaderInstaller::Install());
    EXPECT_EQ(TakeCompiledEffects(), std::vector<std::string>{"Rain"});
    EXPECT_TRUE(whole("Rain"));
}

TEST_F(EffectOutput, EffectsStartLongestFirstByTheTimeKeptWithThemAndInstallInTheirOwnOrder) {
    // Never compiled: by their shader count, the bloom's 28 first; equal ones in install order.
    ASSERT_TRUE(ShaderInstaller::Install(1));
    const std::vector<std::string> byShaders = {
        "Train_post_bloom",    "PostTrainLightGlow",          "TrainGlass",       "TrainViewFacingFlora",
        "TrainUprightViewFacingFlora", "DeferredPoint",       "DeferredSpot",     "TrainGlassWeatherEffects",
        "TrainSkyDome",        "DeferredDirectional",         "PostDepthOfField", "PostTrainVolumetricFog",
        "ProcFlora",           "Rain",                        "PostProcessFXAA"};
    EXPECT_EQ(TakeCompiledEffects(), byShaders);
    EXPECT_EQ(LoggedAfter("Compiled and installed shader: "), EffectNames());

    // Once measured: Rain took longest, so it starts first, though its input
    // changed since (another compiler); the rest by what they took.
    for (const std::string& e : EffectNames()) EXPECT_NE(ReadText(Kept(e)).find(" 2 "), std::string::npos) << e;
    {
        ScopedEnv slow("FAKE_FXC_SLOW", "Rain,PostProcessFXAA");
        settings.Shader.WeatherEffectsEnhancements = !settings.Shader.WeatherEffectsEnhancements;
        settings.Shader.FXAAFix = !settings.Shader.FXAAFix;
        ASSERT_TRUE(ShaderInstaller::Install(1));
    }
    const std::set<std::string> slow = {"PostProcessFXAA", "Rain"};
    const std::vector<std::string> changed = TakeCompiledEffects();  // in the order of their first, quick compiles
    EXPECT_EQ(std::set<std::string>(changed.begin(), changed.end()), slow);
    std::ofstream(FsPath(AppPaths.programFolder + u"fxc"), std::ios::app | std::ios::binary) << '\0';
    ASSERT_TRUE(ShaderInstaller::Install(1));
    const std::vector<std::string> order = TakeCompiledEffects();
    ASSERT_EQ(order.size(), 15u);
    EXPECT_EQ(std::set<std::string>(order.begin(), order.begin() + 2), slow);
}

TEST_F(EffectOutput, TheCompilersWordsReachTheResultAsTextCutShortOnlyBetweenCharacters) {
    // A Windows-1252 line, a NUL, and 70 000 bytes of accents cut by the process service at 64 KiB.
    std::string words = "Rain.fx(1,1): warning: \x93" "caf\xe9\x94\n" + std::string("a\0b\n", 4) + "x";
    for (int i = 0; i < 35000; ++i) words += "\xc3\xa9";
    WriteText(FsPath(AppPaths.programFolder + u"fxc-words-Rain"), words);
    ScopedEnv fail("FAKE_FXC_FAIL", "Rain");
    EXPECT_FALSE(ShaderInstaller::Install());
    const std::string& message = LastInstall().failureMessage;
    EXPECT_FALSE(Utf8ToWide(message).empty());
    EXPECT_EQ(message.rfind("Rain.fx(1,1): warning: \u201Ccafé\u201D\na<NUL>b\nxéé", 0), 0u)
        << message.substr(0, 80);
    EXPECT_LE(message.size(), kCompilerMessagesLimit + 1);
    EXPECT_TRUE(message.ends_with("éé\n")) << message.substr(message.size() - 20);
    // The log holds Latin-1: what lies beyond it shows as '?' there.
    EXPECT_TRUE(Logged("Rain.fx(1,1): warning: ?caf\xe9?"));
    EXPECT_TRUE(Logged("a<NUL>b"));
}

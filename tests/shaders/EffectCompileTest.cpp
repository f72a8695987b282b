// Every effect built as the install builds it, in several configurations, run
// through vkd3d-compiler (HlslCheck.h): the effect as fx_2_0, each pass's
// shaders, their linking and instruction slots; and the check's own negative cases.

#include <algorithm>
#include <regex>

#include "app/FileIo.h"
#include "shaders/DeclaredTechniques.h"
#include "shaders/Definitions.h"
#include "tests/support/HlslCheck.h"
#include "tests/support/PipelineTestEnv.h"

namespace {

// The techniques the game looks up, besides the FVF_FALLBACK ones of CommonFns.fxh.
const std::set<std::string> kFlora = {"DEFERRED", "DEFERRED_INSTANCED", "LOW", "LOW_INSTANCED"};
const std::map<std::string, std::set<std::string>> kTechniques = {
    {"DeferredDirectional", {"DeferredDirectionalHemispehericLighting", "DeferredDirectionalLighting"}},
    {"DeferredPoint",
     {"DeferredPointLightingSphere", "DeferredPointLightingSphereShadow", "DeferredPointLightingInstanced"}},
    {"DeferredSpot", {"DeferredSpotLightingCone", "DeferredSpotLightingConeShadow", "DeferredSpotLightingInstanced"}},
    {"PostDepthOfField", {"DepthOfField"}}, {"PostTrainVolumetricFog", {"HIGH", "LOW"}}, {"ProcFlora", {"LOW"}},
    {"Rain", {"LOW"}}, {"PostTrainLightGlow", {"HIGH", "MEDIUM", "LOW"}}, {"PostProcessFXAA", {"FXAA"}},
    {"TrainGlass", {"DEFERRED", "HIGH", "MEDIUM", "LOW"}}, {"TrainViewFacingFlora", kFlora},
    {"TrainGlassWeatherEffects", {"DEFERRED", "HIGH_DEPTH", "MEDIUM"}}, {"TrainUprightViewFacingFlora", kFlora},
    {"Train_post_bloom", {"AdaptiveBloom"}}, {"TrainSkyDome", {"DEFERRED", "LOW", "FALLBACK"}},
};

struct Configuration {
    std::string name;
    DefinitionList definitions;
};

// No definitions, then each of the checked settings. Equal lists once.
std::vector<Configuration> ConfigurationsOf(const std::u16string& effect) {
    std::vector<Configuration> all = {{"none", {}}};
    for (const auto& [name, settings] : CheckedSettings()) all.push_back({name, BuildDefinitionList(effect, settings)});
    // TrainGlass is given the glass tint fix too, though only the rain glass reads it.
    const auto read = [&](DefinitionList list) {
        if (effect == u"TrainGlass") std::erase(list, "MOX_OVERTINTEDGLASSFIX");
        return list;
    };
    std::vector<Configuration> distinct;
    std::set<DefinitionList> seen;
    for (const Configuration& c : all)
        if (seen.insert(read(c.definitions)).second) distinct.push_back(c);
    return distinct;
}

// The tokens of a preprocessed text: a definition leaves an empty line behind.
std::string Tokens(const std::string& text) { return std::regex_replace(" " + text, std::regex(R"(\s+)"), " "); }

}  // namespace

TEST(EffectCompile, EveryShaderOfEveryConfigurationCompilesLinksAndFitsAndEveryDefinitionIsRead) {
    // CI always has the compiler: without it this check fails rather than skips.
    ASSERT_TRUE(fs::exists(kVkd3dCompiler)) << kVkd3dCompiler << " is missing; run scripts/setup-vkd3d.sh";
    TempDir work;
    std::vector<EffectBuild> builds;
    for (const ShaderTemplate& t : ShaderTemplates()) {
        const std::string name = WideToUtf8(t.name);
        if (t.kind == TemplateKind::Header) {
            ASSERT_TRUE(WriteTextFileCrLf(Utf8ToWide((work.path / name).string()), std::string(t.text)));
            continue;
        }
        ASSERT_TRUE(kTechniques.count(name)) << name << " has no techniques listed here";
        const std::vector<Configuration> configurations = ConfigurationsOf(t.name);
        for (size_t i = 0; i < configurations.size(); ++i) {
            const fs::path file = work.path / (name + "." + std::to_string(i) + ".fx");
            ASSERT_TRUE(WriteTextFileCrLf(Utf8ToWide(file.string()),
                                          BuildEffectSource(std::string(t.text), configurations[i].definitions)));
            // The "=Value" builds are only preprocessed.
            builds.push_back({name, configurations[i].name, file, configurations[i].name[0] != '=', ""});
        }
    }
    const CheckReport report = CheckEffects(builds);
    for (const std::string& failure : report.failures) ADD_FAILURE() << failure;
    EXPECT_GE(report.shaders, 135u);  // the passes were read

    // Different definitions make a different effect: none is left unread. The
    // techniques the game looks up are there in every configuration.
    std::vector<std::string> tokens;
    for (const EffectBuild& b : builds) {
        tokens.push_back(Tokens(b.preprocessed));
        for (size_t k = 0; k + 1 < tokens.size(); ++k)
            if (builds[k].effect == b.effect && tokens[k] == tokens.back())
                ADD_FAILURE() << b.effect << ": " << builds[k].configuration << " and " << b.configuration
                              << " preprocess alike: a definition is never read";
        std::set<std::string> found;
        for (const std::string& name : TechniqueNames(b.preprocessed))
            EXPECT_TRUE(name.starts_with("FVF_FALLBACK") || found.insert(name).second) << b.effect << ": " << name;
        EXPECT_EQ(found, kTechniques.at(b.effect)) << Where(b);
        // What the install expects of the compiler's output is what the compiler sees.
        std::vector<DeclaredTechnique> declared;
        const auto include = [&](const std::string& name, std::string& text) {
            return ReadFileBytes(W(b.file.parent_path() / name), text);
        };
        ASSERT_TRUE(FindDeclaredTechniques(ReadText(b.file), include, declared)) << Where(b);
        std::vector<std::string> expected, seen;
        for (const Pass& pass : FindPasses(b.preprocessed)) expected.push_back(pass.name);
        for (const DeclaredTechnique& t : declared)
            for (const std::string& pass : t.passes) seen.push_back(t.name + "/" + pass);
        EXPECT_EQ(seen, expected) << Where(b);
    }
}

TEST(EffectCompile, CheckCatchesWhatTheD3D9CompilerRejects) {
    ASSERT_TRUE(fs::exists(kVkd3dCompiler)) << kVkd3dCompiler << " is missing; run scripts/setup-vkd3d.sh";
    TempDir work;
    WriteText(work.path / "Probe.fx", R"(float4 gColour;
struct VOut { float4 position : POSITION; float2 uv : TEXCOORD0; };
VOut ProbeVS(float4 position : POSITION, float2 uv : TEXCOORD0) { VOut o; o.position = position; o.uv = uv; return o; }
float4 SelectPS(float2 uv : TEXCOORD0, float3 n : TEXCOORD1, uniform bool useNormal) : COLOR0
{
    return useNormal ? float4(n, 1.0) : float4(uv, 0.0, 1.0);
}
float4 LongPS(float2 uv : TEXCOORD0) : COLOR0
{
    float4 c = gColour;
    [unroll] for (int k = 0; k < 12; k++) c = sin(c * uv.x);
    return c;
}
technique Good
{
    pass P0 { ZEnable = false; VertexShader = compile vs_2_0 ProbeVS(); PixelShader = compile ps_2_0 SelectPS(false); }
}
technique Bad
{
    pass Unlinked { VertexShader = compile vs_3_0 ProbeVS(); PixelShader = compile ps_3_0 SelectPS(true); }
    pass Unlinked2 { VertexShader = compile vs_2_0 ProbeVS(); PixelShader = compile ps_2_0 SelectPS(true); }
    pass Long { VertexShader = compile vs_2_0 ProbeVS(); PixelShader = compile ps_2_0 LongPS(); }
    pass Mixed { VertexShader = compile vs_2_0 ProbeVS(); PixelShader = compile ps_3_0 LongPS(); }
    pass Stated { ZEnabel = false; }
}
)");
    // A warning or an unknown entry shows in every compile of its file: a file of their own.
    WriteText(work.path / "broken" / "Broken.fx", R"(float4 gColour;
float4 TruncatingPS(float2 uv : TEXCOORD0) : COLOR0 { float2 c = gColour; return float4(c, uv); }
technique Broken
{
    pass Warned { PixelShader = compile ps_3_0 TruncatingPS(); }
    pass Missing { PixelShader = compile ps_3_0 NoSuchPS(); }
}
)");
    std::vector<EffectBuild> builds = {{"Probe", "probe", work.path / "Probe.fx", true, ""},
                                       {"Broken", "probe", work.path / "broken" / "Broken.fx", true, ""}};
    const CheckReport report = CheckEffects(builds);
    EXPECT_EQ(TechniqueNames(builds[0].preprocessed), (std::vector<std::string>{"Good", "Bad"}));
    std::string all;
    for (const std::string& f : report.failures) all += f + "\n";
    // The uniform argument picks the branch: false reads only TEXCOORD0.
    for (const char* expected :
         {"Bad/Unlinked: the pixel shader reads TEXCOORD1", "Bad/Unlinked2: the pixel shader reads TEXCOORD1",
          "Bad/Long: ps_2_0 LongPS takes", "Bad/Mixed: mixes shader model 3.0", "Unrecognized state name ZEnabel",
          "Broken/Warned: ps_3_0 TruncatingPS:\nBroken.fx:2:", "Broken/Missing: ps_3_0 NoSuchPS:",
          "Broken (probe): the effect as fx_2_0:\nBroken.fx:2:"})
        EXPECT_NE(all.find(expected), std::string::npos) << expected << " not in:\n" << all;
    EXPECT_EQ(report.failures.size(), 8u) << all;
    EXPECT_FALSE(report.notImplemented.empty());

    // Macro instructions weigh their slots, modifiers and comparisons keep the
    // instruction's, declarations take none.
    const Slots slots = CountSlots(
        "ps_3_0\ndcl_texcoord0 v0\ndef c0 = 1.0, 1.0, 1.0, 1.0\nsincos r0.xy, v0.x\ntexldl r1, r0, s0\n"
        "if_ne r1.x, -r1.x\n    mov_sat r1, c0\nendif\ntexld r2, r0, s0\n");
    EXPECT_EQ(slots.arithmetic, 8 + 3 + 1 + 1);
    EXPECT_EQ(slots.texture, 2 + 1);
    EXPECT_TRUE(slots.unknown.empty());
    EXPECT_GT(SlotFill("ps_2_0", Slots{0, 33, ""}), 1.0);
}

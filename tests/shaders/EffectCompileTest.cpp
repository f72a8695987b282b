// Every effect built as the install builds it (the definitions in front of the
// template, the headers beside it with CR LF line ends) in several
// configurations, and run through vkd3d-compiler: every shader a pass names,
// under its profile, with its uniform arguments; passes linked; instruction
// slots within the profile's limit; the techniques the game looks up.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <set>

#include "app/FileIo.h"
#include "app/Text.h"
#include "settings/Settings.h"
#include "settings/SettingsTable.h"
#include "shaders/Definitions.h"
#include "shaders/ShaderTemplates.h"
#include "tests/shaders/EffectCheck.h"
#include "tests/shaders/TemplateTable.h"
#include "tests/support/TestEnv.h"

namespace {

struct Configuration {
    std::string name;
    DefinitionList definitions;
};

ShaderSettings Switches(bool on, const ParamDesc* except = nullptr) {
    ShaderSettings s;
    for (const ParamDesc& p : ShaderParamTable())
        if (p.kind == ParamKind::Bool) s.*p.boolField = (&p == except) ? !on : on;
    return s;
}

// No definitions; the default settings; every switch off; every switch on;
// each switch on alone ("+Name"); each switch off alone ("-Name", for
// switches that only act under another one). Values at their defaults;
// equal lists once.
std::vector<Configuration> ConfigurationsOf(const std::u16string& effect) {
    std::vector<Configuration> all = {{"none", {}},
                                      {"defaults", BuildDefinitionList(effect, ShaderSettings())},
                                      {"off", BuildDefinitionList(effect, Switches(false))},
                                      {"all", BuildDefinitionList(effect, Switches(true))}};
    for (const ParamDesc& p : ShaderParamTable()) {
        if (p.kind != ParamKind::Bool) continue;
        all.push_back({std::string("+") + p.name, BuildDefinitionList(effect, Switches(false, &p))});
        all.push_back({std::string("-") + p.name, BuildDefinitionList(effect, Switches(true, &p))});
    }
    std::vector<Configuration> distinct;
    for (const Configuration& c : all) {
        const bool seen = std::any_of(distinct.begin(), distinct.end(),
                                      [&](const Configuration& d) { return d.definitions == c.definitions; });
        if (!seen) distinct.push_back(c);
    }
    return distinct;
}

void WriteCrLf(const fs::path& file, const std::string& text) {
    ASSERT_TRUE(WriteTextFileCrLf(Utf8ToWide(file.string()), text)) << file;
}

// The work folder of one install: every header, and the effect source.
void WriteBuild(const fs::path& folder, const std::string& effect, const DefinitionList& definitions) {
    fs::create_directories(folder);
    for (const ShaderTemplate& t : ShaderTemplates())
        if (t.kind == TemplateKind::Header) WriteCrLf(folder / WideToUtf8(t.name), std::string(t.text));
    const ShaderTemplate* found = FindShaderTemplate(Utf8ToWide(effect));
    ASSERT_NE(found, nullptr) << effect;
    WriteCrLf(folder / (effect + ".fx"), BuildEffectSource(std::string(found->text), definitions));
}

double Fill(const ShaderRow& r) {
    if (r.profile == "ps_2_0") return std::max(r.slots.arithmetic / 64.0, r.slots.texture / 32.0);
    return r.slots.Total() / (r.profile == "vs_2_0" ? 256.0 : 512.0);
}

// The fullest configuration of each shader, fullest first.
void PrintSlotTable(const std::vector<ShaderRow>& rows) {
    std::map<std::string, ShaderRow> worst;
    for (const ShaderRow& r : rows) {
        const std::string key = r.effect + " " + r.shader + " " + r.profile;
        const auto found = worst.find(key);
        if (found == worst.end() || Fill(r) > Fill(found->second)) worst[key] = r;
    }
    std::vector<ShaderRow> sorted;
    for (const auto& [key, row] : worst) sorted.push_back(row);
    std::stable_sort(sorted.begin(), sorted.end(), [](const ShaderRow& a, const ShaderRow& b) { return Fill(a) > Fill(b); });
    std::printf("%-58s %-7s %-36s %7s %6s\n", "shader", "profile", "configuration", "slots", "limit");
    for (const ShaderRow& r : sorted)
        std::printf("%-58s %-7s %-36s %7s %6s\n", (r.effect + " " + r.shader).c_str(), r.profile.c_str(),
                    r.configuration.c_str(), SlotCountText(r.profile, r.slots).c_str(),
                    SlotLimitText(r.profile).c_str());
}

bool Contains(const std::vector<std::string>& failures, const std::string& text) {
    return std::any_of(failures.begin(), failures.end(),
                       [&](const std::string& f) { return f.find(text) != std::string::npos; });
}

}  // namespace

TEST(EffectCompile, EveryShaderOfEveryConfigurationCompilesLinksAndFits) {
    // CI always has the compiler: without it this check fails rather than skips.
    ASSERT_TRUE(fs::exists(CompilerPath())) << CompilerPath() << " is missing; run scripts/setup-vkd3d.sh";
    const auto started = std::chrono::steady_clock::now();
    TempDir work;
    std::vector<EffectBuild> builds;
    for (const EffectRow& row : kEffects) {
        const std::vector<Configuration> configurations = ConfigurationsOf(Utf8ToWide(row.name));
        for (size_t i = 0; i < configurations.size(); ++i) {
            const fs::path folder = work.path / row.name / std::to_string(i);
            WriteBuild(folder, row.name, configurations[i].definitions);
            builds.push_back({row.name, configurations[i].name, folder});
        }
    }
    const CheckReport report = CheckEffects(builds);
    for (const std::string& failure : report.failures) ADD_FAILURE() << failure;

    // The techniques the game looks up, in every configuration.
    for (const TechniqueList& list : report.techniques) {
        const auto row = std::find_if(kEffects.begin(), kEffects.end(),
                                      [&](const EffectRow& r) { return list.effect == r.name; });
        std::set<std::string> expected(row->techniques.begin(), row->techniques.end()), found;
        for (const std::string& name : list.names) {
            EXPECT_TRUE(found.insert(name).second) << list.effect << " (" << list.configuration << "): " << name << " twice";
            if (!kFallbackTechniques.count(name)) {
                EXPECT_TRUE(expected.count(name))
                    << list.effect << " (" << list.configuration << "): unexpected technique " << name;
            }
        }
        for (const std::string& name : expected)
            EXPECT_TRUE(found.count(name)) << list.effect << " (" << list.configuration << "): no technique " << name;
    }
    // Guards against a reading of the passes that finds no shader at all.
    EXPECT_GE(report.rows.size(), 135u);

    PrintSlotTable(report.rows);
    std::printf("fx_2_0 features vkd3d does not write yet (not failures):\n");
    for (const std::string& line : report.notImplemented) std::printf("  %s\n", line.c_str());
    std::printf("%zu builds, %zu shaders compiled in %.1f s\n", builds.size(), report.rows.size(),
                std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
}

TEST(EffectCompile, CheckCatchesWhatTheD3D9CompilerRejects) {
    ASSERT_TRUE(fs::exists(CompilerPath())) << CompilerPath() << " is missing; run scripts/setup-vkd3d.sh";
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
    const CheckReport report =
        CheckEffects({{"Probe", "probe", work.path}, {"Broken", "probe", work.path / "broken"}});
    std::string all;
    for (const std::string& f : report.failures) all += f + "\n";
    ASSERT_EQ(report.techniques.size(), 2u);
    EXPECT_EQ(report.techniques[0].names, (std::vector<std::string>{"Good", "Bad"}));
    // The uniform argument picks the branch: false reads only TEXCOORD0.
    EXPECT_FALSE(Contains(report.failures, "Good/")) << all;
    EXPECT_TRUE(Contains(report.failures, "Bad/Unlinked: the pixel shader reads TEXCOORD1")) << all;
    EXPECT_TRUE(Contains(report.failures, "Bad/Unlinked2: the pixel shader reads TEXCOORD1")) << all;
    EXPECT_TRUE(Contains(report.failures, "Bad/Long: ps_2_0 LongPS takes")) << all;
    EXPECT_TRUE(Contains(report.failures, "Bad/Mixed: mixes shader model 3.0")) << all;
    EXPECT_TRUE(Contains(report.failures, "Broken/Warned: ps_3_0 TruncatingPS:\nBroken.fx:2:")) << all;
    EXPECT_TRUE(Contains(report.failures, "Broken/Missing: ps_3_0 NoSuchPS:")) << all;
    EXPECT_TRUE(Contains(report.failures, "Unrecognized state name ZEnabel")) << all;
    EXPECT_TRUE(Contains(report.failures, "Broken (probe): the effect as fx_2_0:\nBroken.fx:2:")) << all;
    EXPECT_EQ(report.failures.size(), 8u) << all;
    EXPECT_FALSE(report.notImplemented.empty());

    // Macro instructions weigh their slots; modifiers and comparisons do not
    // change the instruction; declarations take none.
    const SlotCount slots = CountSlots(
        "ps_3_0\ndcl_texcoord0 v0\ndef c0 = 1.0, 1.0, 1.0, 1.0\nsincos r0.xy, v0.x\ntexldl r1, r0, s0\n"
        "if_ne r1.x, -r1.x\n    mov_sat r1, c0\nendif\ntexld r2, r0, s0\n");
    EXPECT_EQ(slots.arithmetic, 8 + 3 + 1 + 1);
    EXPECT_EQ(slots.texture, 2 + 1);
    EXPECT_TRUE(slots.unknown.empty());
    EXPECT_FALSE(WithinSlotLimit("ps_2_0", SlotCount{65, 0, {}}));
    EXPECT_FALSE(WithinSlotLimit("ps_2_0", SlotCount{0, 33, {}}));
    EXPECT_TRUE(WithinSlotLimit("ps_2_0", SlotCount{64, 32, {}}));
    EXPECT_FALSE(WithinSlotLimit("vs_3_0", SlotCount{400, 113, {}}));
}

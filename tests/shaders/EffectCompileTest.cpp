// Every effect built as the install builds it (the definitions in front of the
// template, the headers beside it with CR LF line ends) in several
// configurations and run through vkd3d-compiler, the HLSL compiler for
// Direct3D 9 shader models, one build per core at a time: the whole effect as
// fx_2_0, every shader a pass names under its profile and with its uniform
// arguments, the semantics linking each pass, and the instruction slots of the
// assembly it writes (-b d3d-asm) against the profile's limit. And the check's
// own negative cases.

#include <atomic>
#include <cctype>
#include <cstdio>
#include <mutex>
#include <regex>
#include <sstream>

#include "app/FileIo.h"
#include "shaders/Definitions.h"
#include "tests/support/PipelineTestEnv.h"

namespace {

// The wrapper script setup-vkd3d.sh writes into the build folder.
const fs::path kCompiler = VANTREL_VKD3D_COMPILER;

struct Output {
    std::string out, err;
    std::string problem;  // the messages of a failed run
};

// The compiler run on file in its folder (vkd3d resolves quoted includes
// against the current folder, as fxc runs beside the work folder).
Output Run(const fs::path& file, const std::string& arguments) {
    static std::atomic<int> runs{0};
    const fs::path out = file.parent_path() / ("run" + std::to_string(runs++)), err = out.string() + ".err";
    const auto quoted = [](const fs::path& path) { return "'" + path.string() + "'"; };
    const std::string command = "cd " + quoted(file.parent_path()) + " && " + quoted(kCompiler) + " " + arguments +
                                " " + quoted(file.filename()) + " > " + quoted(out) + " 2> " + quoted(err);
    const int status = std::system(command.c_str());
    Output o{ReadText(out), ReadText(err), ""};
    if (status != 0 || !o.err.empty())
        o.problem = o.err.empty() ? "(exit status " + std::to_string(status) + ", no message)" : o.err;
    return o;
}

// work(i) for every i below count, on every core.
void ForEach(size_t count, const std::function<void(size_t)>& work) {
    std::atomic<size_t> next{0};
    std::vector<std::thread> threads(std::max(2u, std::thread::hardware_concurrency()));
    for (std::thread& t : threads)
        t = std::thread([&] {
            for (size_t i = next++; i < count; i = next++) work(i);
        });
    for (std::thread& t : threads) t.join();
}

std::string Join(const std::vector<std::string>& items) {
    std::string out;
    for (const std::string& item : items) out += (out.empty() ? "" : ", ") + item;
    return out;
}

// The comma-separated items of a list, trimmed.
std::vector<std::string> Split(const std::string& list) {
    static const std::regex item(R"([^,\s]([^,]*[^,\s])?)");
    return {std::sregex_token_iterator(list.begin(), list.end(), item), {}};
}

// The instruction lines, without indentation; line 0 is the version.
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (const size_t start = line.find_first_not_of(" \t"); start != std::string::npos)
            lines.push_back(line.substr(start));
    return lines;
}

// "compile <profile> <entry>(<arguments>)" in a pass.
struct ShaderUse {
    std::string profile, entry;
    std::vector<std::string> arguments;  // literal values of the uniform parameters
    std::string Label() const { return arguments.empty() ? entry : entry + "(" + Join(arguments) + ")"; }
};

struct Pass {
    std::string name;  // "technique/pass"
    std::vector<ShaderUse> shaders;
};

std::vector<Pass> FindPasses(const std::string& text) {
    static const std::regex token(R"(\b(technique|pass)\s+(\w*)|\bcompile\s+(\w+)\s+(\w+)\s*\(([^)]*)\))");
    std::vector<Pass> passes;
    std::string technique;
    for (std::sregex_iterator it(text.begin(), text.end(), token), end; it != end; ++it) {
        const std::smatch& m = *it;
        if (m[1] == "technique") technique = m[2];
        else if (m[1] == "pass") passes.push_back({technique + "/" + m[2].str(), {}});
        else if (!passes.empty()) passes.back().shaders.push_back({m[3], m[4], Split(m[5])});
    }
    return passes;
}

std::vector<std::string> TechniqueNames(const std::string& text) {  // in text order
    static const std::regex technique(R"(\btechnique\s+(\w+))");
    std::vector<std::string> names;
    for (std::sregex_iterator it(text.begin(), text.end(), technique), end; it != end; ++it) names.push_back((*it)[1]);
    return names;
}

// An entry point named name that takes the varying parameters of use.entry
// and passes the pass's literal arguments for its uniform ones; empty when
// the definition is not found or its uniform parameters do not match.
std::string EntryWrapper(const std::string& text, const ShaderUse& use, const std::string& name) {
    std::smatch m;
    if (!std::regex_search(text, m, std::regex(R"((\w+)\s+)" + use.entry + R"(\s*\(([^)]*)\)\s*(:\s*\w+)?\s*\{)")))
        return "";
    static const std::regex uniform(R"(\buniform\b)"), parameterName(R"((\w+)\s*(:\s*\w+)?$)");
    std::vector<std::string> varying, call;
    size_t next = 0;
    for (const std::string& parameter : Split(m[2])) {
        std::smatch n;
        if (std::regex_search(parameter, uniform)) {
            if (next == use.arguments.size()) return "";
            call.push_back(use.arguments[next++]);
        } else if (std::regex_search(parameter, n, parameterName)) {
            varying.push_back(parameter);
            call.push_back(n[1]);
        }
    }
    if (next != use.arguments.size()) return "";
    return m[1].str() + " " + name + "(" + Join(varying) + ") " + m[3].str() + "\n{\n    return " + use.entry + "(" +
           Join(call) + ");\n}\n";
}

struct Slots {
    int arithmetic = 0, texture = 0;  // flow control counts as arithmetic
    std::string unknown;              // an opcode without a known weight
};

// What each profile allows; only ps_2_0 limits texture instructions apart.
const std::map<std::string, Slots> kSlotLimits = {
    {"ps_2_0", {64, 32, ""}}, {"vs_2_0", {256, 0, ""}}, {"ps_3_0", {512, 0, ""}}, {"vs_3_0", {512, 0, ""}}};

// "12+3" where the profile limits the two kinds apart, else their sum.
std::string SlotText(const std::string& profile, const Slots& s) {
    if (kSlotLimits.at(profile).texture == 0) return std::to_string(s.arithmetic + s.texture);
    return std::to_string(s.arithmetic) + "+" + std::to_string(s.texture);
}

double SlotFill(const std::string& profile, const Slots& s) {  // above 1: over the limit
    const Slots& limit = kSlotLimits.at(profile);
    if (limit.texture == 0) return double(s.arithmetic + s.texture) / limit.arithmetic;
    return std::max(double(s.arithmetic) / limit.arithmetic, double(s.texture) / limit.texture);
}

// Slots per instruction, from the instruction tables of Microsoft's Direct3D 9
// assembly reference: each number gives the slots of the names after it.
// Declarations and definitions take none.
int Weight(const std::string& opcode) {
    static const std::map<std::string, int> weights = [] {
        std::map<std::string, int> table;
        std::istringstream in(
            "0 label 1 abs add cmp dp3 dp4 dst exp expp frc log logp mad max min mov mova mul nop rcp rsq sge slt sub "
            "setp break else endif ret texkill texld texldb texldp 2 crs dp2add dsx dsy lrp m3x2 call endloop endrep "
            "texldl 3 lit m3x3 m4x3 nrm pow sgn breakc breakp callnz if ifc loop rep texldd 4 m3x4 m4x4 8 sincos");
        int slots = 0;
        for (std::string word; in >> word;) {
            if (std::isdigit(static_cast<unsigned char>(word[0]))) slots = std::stoi(word);
            else table[word] = slots;
        }
        return table;
    }();
    // "mov_sat" weighs as "mov"; the comparing "if_ne" and "break_lt" as "ifc" and "breakc".
    std::string stem = opcode.substr(0, opcode.find('_'));
    if (stem != opcode && (stem == "if" || stem == "break")) stem += "c";
    const auto found = weights.find(stem);
    return found == weights.end() ? -1 : found->second;
}

Slots CountSlots(const std::string& assembly) {
    Slots slots;
    const std::vector<std::string> lines = Lines(assembly);
    for (size_t i = 1; i < lines.size(); ++i) {
        const std::string opcode = lines[i].substr(0, lines[i].find_first_of(" \t"));
        if (opcode.rfind("dcl", 0) == 0 || opcode.rfind("def", 0) == 0) continue;
        const int weight = Weight(opcode);
        if (weight < 0) slots.unknown = opcode;
        else (opcode.rfind("tex", 0) == 0 ? slots.texture : slots.arithmetic) += weight;
    }
    return slots;
}

// "texcoord" + "" -> "TEXCOORD0"
std::string Semantic(std::string usage, const std::string& index) {
    for (char& c : usage) c = char(std::toupper(static_cast<unsigned char>(c)));
    return usage + (index.empty() ? "0" : index);
}

// The semantics ("TEXCOORD0") a pixel shader reads (not VPOS and VFACE, which
// the rasteriser makes) or a vertex shader writes. Shader model 3.0 declares
// both ("dcl_texcoord1 v2", "dcl_texcoord0 o1"); ps_2_0 declares "dcl t0.xy"
// (TEXCOORD) and "dcl v0" (COLOR); vs_2_0 writes oPos, oT<n>, oD<n>, oFog, oPts.
std::set<std::string> Semantics(const std::string& assembly, bool pixel) {
    static const std::regex declared3[2] = {std::regex(R"(^dcl_([a-z]+)(\d*)\s+o\d)"),
                                            std::regex(R"(^dcl_([a-z]+)(\d*)(_\w+)?\s+v\d)")};
    static const std::regex declared2(R"(^dcl(_\w+)?\s+([tv])(\d+))"), written2(R"(\bo(Pos|T\d|D\d|Fog|Pts)\b)");
    static const std::map<std::string, std::string> named = {{"Pos", "POSITION0"}, {"Fog", "FOG0"}, {"Pts", "PSIZE0"}};
    std::set<std::string> semantics;
    for (const std::string& line : Lines(assembly)) {
        std::smatch m;
        if (std::regex_search(line, m, declared3[pixel])) semantics.insert(Semantic(m[1], m[2]));
        else if (pixel && std::regex_search(line, m, declared2))
            semantics.insert(Semantic(m[2] == "t" ? "texcoord" : "color", m[3]));
        for (std::sregex_iterator it(line.begin(), line.end(), written2), end; !pixel && it != end; ++it) {
            const std::string reg = (*it)[1];
            semantics.insert(named.count(reg) ? named.at(reg) : (reg[0] == 'T' ? "TEXCOORD" : "COLOR") + reg.substr(1));
        }
    }
    return semantics;
}

struct EffectBuild {
    std::string effect, configuration;
    fs::path file;             // the headers it includes lie beside it
    bool compile = true;       // false: only preprocessed
    std::string preprocessed;  // set by the check
};

std::string Where(const EffectBuild& b) { return b.effect + " (" + b.configuration + ")"; }

struct ShaderRow {
    std::string effect, configuration, shader, profile;
    Slots slots;
};

struct CheckReport {
    std::vector<std::string> failures;          // each names effect, configuration and what failed
    std::vector<ShaderRow> rows;                // every shader compiled
    std::map<std::string, int> notImplemented;  // fx_2_0 features vkd3d does not write yet, counted
};

// One shader as assembly. Uniform arguments are bound by a wrapper in a
// file of its own that includes the effect, which stays as written.
Output CompileShader(const EffectBuild& b, const ShaderUse& use, int number) {
    if (use.arguments.empty()) return Run(b.file, "-x hlsl -p " + use.profile + " -e " + use.entry + " -b d3d-asm");
    const std::string entry = "CheckEntry" + std::to_string(number);
    const std::string wrapper = EntryWrapper(b.preprocessed, use, entry);
    if (wrapper.empty()) return {"", "", "no definition of " + use.entry + " with uniform parameters to match\n"};
    const fs::path file = b.file.parent_path() / (b.file.stem().string() + "." + entry + ".fx");
    WriteText(file, "#include \"" + b.file.filename().string() + "\"\n" + wrapper);
    return Run(file, "-x hlsl -p " + use.profile + " -e " + entry + " -b d3d-asm");
}

// Everything the compiler finds wrong with one build.
CheckReport CheckBuild(EffectBuild& b) {
    CheckReport report;
    const Output preprocessed = Run(b.file, "-E -x hlsl");
    if (!preprocessed.problem.empty())
        report.failures.push_back(Where(b) + ": preprocessing failed:\n" + preprocessed.problem);
    b.preprocessed = preprocessed.out;
    if (!b.compile || !preprocessed.problem.empty()) return report;
    // fx_2_0: vkd3d stops at effect features it does not write yet (E5017),
    // which are counted; any other message is an error fxc would report too.
    std::istringstream effect(Run(b.file, "-x hlsl -p fx_2_0 -b fx -o " + b.file.stem().string() + ".fxo").err);
    std::string others;
    for (std::string line; std::getline(effect, line);) {
        static const std::string marker = "not yet implemented feature: ";
        const size_t feature = line.find(marker);
        if (line.find("E5017") != std::string::npos && feature != std::string::npos)
            ++report.notImplemented[line.substr(feature + marker.size())];
        else if (!line.empty() && line.rfind("Failed to compile shader", 0) != 0)
            others += line + "\n";
    }
    if (!others.empty()) report.failures.push_back(Where(b) + ": the effect as fx_2_0:\n" + others);

    std::map<std::string, Output> shaders;  // by label and profile
    for (const Pass& pass : FindPasses(b.preprocessed)) {
        const std::string where = Where(b) + " " + pass.name + ": ";
        std::string assembly[2];  // vertex, pixel shader
        bool linkable = true;
        std::set<std::string> models;
        for (const ShaderUse& use : pass.shaders) {
            models.insert(use.profile.substr(3));
            const auto [found, first] = shaders.try_emplace(use.Label() + " " + use.profile);
            if (first) found->second = CompileShader(b, use, int(shaders.size()));
            const Output& shader = found->second;
            if (!shader.problem.empty()) {
                linkable = false;
                if (first) report.failures.push_back(where + use.profile + " " + use.Label() + ":\n" + shader.problem);
                continue;
            }
            assembly[use.profile[0] == 'p'] = shader.out;
            if (!first) continue;
            const ShaderRow row{b.effect, b.configuration, use.Label(), use.profile, CountSlots(shader.out)};
            if (!row.slots.unknown.empty())
                report.failures.push_back(where + row.shader + ": no slot weight for " + row.slots.unknown);
            else if (!kSlotLimits.count(use.profile))
                report.failures.push_back(where + "no slot limit known for " + use.profile);
            else if (SlotFill(use.profile, row.slots) > 1.0)
                report.failures.push_back(where + use.profile + " " + row.shader + " takes " +
                                          SlotText(use.profile, row.slots) + " instruction slots, over " +
                                          SlotText(use.profile, kSlotLimits.at(use.profile)));
            report.rows.push_back(row);
        }
        // Direct3D 9 draws a 3.0 shader only with a 3.0 partner.
        if (models.count("3_0") && models.size() > 1)
            report.failures.push_back(where + "mixes shader model 3.0 with an older one");
        if (!linkable || assembly[0].empty() || assembly[1].empty()) continue;
        const std::set<std::string> written = Semantics(assembly[0], false);
        for (const std::string& input : Semantics(assembly[1], true))
            if (!written.count(input))
                report.failures.push_back(where + "the pixel shader reads " + input +
                                          ", which the vertex shader does not write");
    }
    return report;
}

CheckReport CheckEffects(std::vector<EffectBuild>& builds) {
    CheckReport all;
    std::mutex lock;
    ForEach(builds.size(), [&](size_t i) {
        const CheckReport r = CheckBuild(builds[i]);
        const std::lock_guard<std::mutex> hold(lock);
        all.failures.insert(all.failures.end(), r.failures.begin(), r.failures.end());
        all.rows.insert(all.rows.end(), r.rows.begin(), r.rows.end());
        for (const auto& [feature, count] : r.notImplemented) all.notImplemented[feature] += count;
    });
    return all;
}

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

// The default settings with one value moved.
ShaderSettings Moved(const ParamDesc& p) {
    ShaderSettings s;
    if (p.kind == ParamKind::Float) s.*p.floatField += 0.5f;
    if (p.kind == ParamKind::Tint) s.*p.tintField = {0.5f, 0.25f, 1.0f};
    return s;
}

struct Configuration {
    std::string name;
    DefinitionList definitions;
};

// No definitions; the defaults; every switch off; every switch on; each
// switch on alone ("+Name") and off alone ("-Name"); each value moved from the
// defaults ("=Name"). Equal lists once.
std::vector<Configuration> ConfigurationsOf(const std::u16string& effect) {
    std::vector<Configuration> all = {{"none", {}},
                                      {"defaults", BuildDefinitionList(effect, ShaderSettings())},
                                      {"off", BuildDefinitionList(effect, Switches(false))},
                                      {"all", BuildDefinitionList(effect, Switches(true))}};
    for (const ParamDesc& p : ShaderParamTable()) {
        if (p.kind != ParamKind::Bool)
            all.push_back({std::string("=") + p.name, BuildDefinitionList(effect, Moved(p))});
        for (bool on : {false, true})
            if (p.kind == ParamKind::Bool)
                all.push_back({(on ? "-" : "+") + std::string(p.name), BuildDefinitionList(effect, Switches(on, &p))});
    }
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
    // Every parameter but the two cloud switches, which choose the blocks of
    // the sky file, reaches an effect.
    std::vector<std::string> unreached;
    for (const ParamDesc& p : ShaderParamTable()) {
        const bool on = p.kind == ParamKind::Bool;
        const ShaderSettings base = on ? Switches(true) : ShaderSettings(), moved = on ? Switches(true, &p) : Moved(p);
        bool reached = false;
        for (const auto& [name, techniques] : kTechniques) {
            const std::u16string effect = Utf8ToWide(name);
            reached = reached || BuildDefinitionList(effect, base) != BuildDefinitionList(effect, moved);
        }
        if (!reached) unreached.push_back(p.name);
    }
    EXPECT_EQ(unreached, (std::vector<std::string>{"DynamicCloudsEnhancements", "DynamicCloudsPerformanceFix"}));

    // CI always has the compiler: without it this check fails rather than skips.
    ASSERT_TRUE(fs::exists(kCompiler)) << kCompiler << " is missing; run scripts/setup-vkd3d.sh";
    const auto started = std::chrono::steady_clock::now();
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
    EXPECT_GE(report.rows.size(), 135u);  // the passes were read

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
    }

    // The table of counts, fullest first, each shader once in its fullest configuration.
    std::vector<ShaderRow> rows = report.rows;
    const auto fill = [](const ShaderRow& r) { return SlotFill(r.profile, r.slots); };
    std::stable_sort(rows.begin(), rows.end(), [&](const auto& a, const auto& b) { return fill(a) > fill(b); });
    std::set<std::string> printed;
    std::printf("%-58s %-7s %-36s %7s %6s\n", "shader", "profile", "configuration", "slots", "limit");
    for (const ShaderRow& r : rows)
        if (printed.insert(r.effect + " " + r.shader + " " + r.profile).second)
            std::printf("%-58s %-7s %-36s %7s %6s\n", (r.effect + " " + r.shader).c_str(), r.profile.c_str(),
                        r.configuration.c_str(), SlotText(r.profile, r.slots).c_str(),
                        SlotText(r.profile, kSlotLimits.at(r.profile)).c_str());
    std::printf("fx_2_0 features vkd3d does not write yet (not failures):\n");
    for (const auto& [feature, count] : report.notImplemented) std::printf("  %d x %s\n", count, feature.c_str());
    std::printf("%zu builds, %zu shaders in %.1f s\n", builds.size(), report.rows.size(),
                std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
}

TEST(EffectCompile, CheckCatchesWhatTheD3D9CompilerRejects) {
    ASSERT_TRUE(fs::exists(kCompiler)) << kCompiler << " is missing; run scripts/setup-vkd3d.sh";
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

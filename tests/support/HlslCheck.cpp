// The HLSL check's toolchain around vkd3d-compiler (HlslCheck.h).
#include "tests/support/HlslCheck.h"

#include <atomic>
#include <cctype>
#include <mutex>
#include <regex>
#include <sstream>
#include <thread>

Output Run(const fs::path& file, const std::string& arguments) {
    static std::atomic<int> runs{0};
    const fs::path out = file.parent_path() / ("run" + std::to_string(runs++)), err = out.string() + ".err";
    const auto quoted = [](const fs::path& path) { return "'" + path.string() + "'"; };
    const std::string command = "cd " + quoted(file.parent_path()) + " && " + quoted(kVkd3dCompiler) + " " + arguments +
                                " " + quoted(file.filename()) + " > " + quoted(out) + " 2> " + quoted(err);
    const int status = std::system(command.c_str());
    Output o{ReadText(out), ReadText(err), ""};
    if (status != 0 || !o.err.empty())
        o.problem = o.err.empty() ? "(exit status " + std::to_string(status) + ", no message)" : o.err;
    return o;
}

namespace {

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

}  // namespace

std::string ShaderUse::Label() const { return arguments.empty() ? entry : entry + "(" + Join(arguments) + ")"; }

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

std::vector<std::string> TechniqueNames(const std::string& text) {
    static const std::regex technique(R"(\btechnique\s+(\w+))");
    std::vector<std::string> names;
    for (std::sregex_iterator it(text.begin(), text.end(), technique), end; it != end; ++it) names.push_back((*it)[1]);
    return names;
}
namespace {

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

// What each profile allows; only ps_2_0 limits texture instructions apart.
const std::map<std::string, Slots> kSlotLimits = {
    {"ps_2_0", {64, 32, ""}}, {"vs_2_0", {256, 0, ""}}, {"ps_3_0", {512, 0, ""}}, {"vs_3_0", {512, 0, ""}}};

// "12+3" where the profile limits the two kinds apart, else their sum.
std::string SlotText(const std::string& profile, const Slots& s) {
    if (kSlotLimits.at(profile).texture == 0) return std::to_string(s.arithmetic + s.texture);
    return std::to_string(s.arithmetic) + "+" + std::to_string(s.texture);
}

}  // namespace

double SlotFill(const std::string& profile, const Slots& s) {
    const Slots& limit = kSlotLimits.at(profile);
    if (limit.texture == 0) return double(s.arithmetic + s.texture) / limit.arithmetic;
    return std::max(double(s.arithmetic) / limit.arithmetic, double(s.texture) / limit.texture);
}
namespace {

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

}  // namespace

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
namespace {

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

}  // namespace

std::string Where(const EffectBuild& b) { return b.effect + " (" + b.configuration + ")"; }

namespace {

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
            const Slots slots = CountSlots(shader.out);
            if (!slots.unknown.empty())
                report.failures.push_back(where + use.Label() + ": no slot weight for " + slots.unknown);
            else if (!kSlotLimits.count(use.profile))
                report.failures.push_back(where + "no slot limit known for " + use.profile);
            else if (SlotFill(use.profile, slots) > 1.0)
                report.failures.push_back(where + use.profile + " " + use.Label() + " takes " +
                                          SlotText(use.profile, slots) + " instruction slots, over " +
                                          SlotText(use.profile, kSlotLimits.at(use.profile)));
            ++report.shaders;
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

}  // namespace

CheckReport CheckEffects(std::vector<EffectBuild>& builds) {
    CheckReport all;
    std::mutex lock;
    ForEach(builds.size(), [&](size_t i) {
        const CheckReport r = CheckBuild(builds[i]);
        const std::lock_guard<std::mutex> hold(lock);
        all.failures.insert(all.failures.end(), r.failures.begin(), r.failures.end());
        all.shaders += r.shaders;
        for (const auto& [feature, count] : r.notImplemented) all.notImplemented[feature] += count;
    });
    return all;
}


// Runs vkd3d-compiler over effect builds, one build per core at a time, and
// judges what it prints: messages, and from the Direct3D 9 assembly it writes
// (-b d3d-asm) the instruction slots and the semantics linking a pass.
#include "tests/shaders/EffectCheck.h"

#include <atomic>
#include <cctype>
#include <mutex>
#include <regex>
#include <sstream>

namespace {

struct Output {
    std::string out, err;
    std::string problem;  // the messages of a failed run
};

// The compiler run on file in its folder (vkd3d resolves quoted includes
// against the current folder, as fxc runs beside the work folder).
Output Run(const fs::path& file, const std::string& arguments) {
    static std::atomic<int> runs{0};
    const std::string number = std::to_string(runs++);
    const fs::path folder = file.parent_path();
    const fs::path out = folder / ("run" + number + ".out"), err = folder / ("run" + number + ".err");
    const auto quoted = [](const fs::path& path) { return "'" + path.string() + "'"; };
    const std::string command = "cd " + quoted(folder) + " && " + quoted(CompilerPath()) + " " + arguments + " " +
                                quoted(file.filename()) + " > " + quoted(out) + " 2> " + quoted(err);
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

std::string Where(const EffectBuild& b) { return b.effect + " (" + b.configuration + ")"; }

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

// The instruction lines, without indentation; line 0 is the version.
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (const size_t start = line.find_first_not_of(" \t"); start != std::string::npos)
            lines.push_back(line.substr(start));
    return lines;
}

// "texcoord" + "" -> "TEXCOORD0"
std::string Semantic(std::string usage, const std::string& index) {
    for (char& c : usage) c = char(std::toupper(static_cast<unsigned char>(c)));
    return usage + (index.empty() ? "0" : index);
}

std::vector<std::string> Sorted(std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    v.erase(std::unique(v.begin(), v.end()), v.end());
    return v;
}

// Semantics ("TEXCOORD0") a pixel shader reads (not VPOS and VFACE, which the
// rasteriser makes) and those a vertex shader writes; sorted.
std::vector<std::string> PixelShaderInputs(const std::string& assembly) {
    // ps_3_0: "dcl_texcoord1 v2"; ps_2_0: "dcl t0.xy" (TEXCOORD), "dcl v0" (COLOR).
    static const std::regex declared3(R"(^dcl_([a-z]+)(\d*)(_\w+)?\s+v\d)"), declared2(R"(^dcl(_\w+)?\s+([tv])(\d+))");
    std::vector<std::string> inputs;
    for (const std::string& line : Lines(assembly)) {
        std::smatch m;
        if (std::regex_search(line, m, declared3)) inputs.push_back(Semantic(m[1], m[2]));
        else if (std::regex_search(line, m, declared2))
            inputs.push_back(Semantic(m[2] == "t" ? "texcoord" : "color", m[3]));
    }
    return Sorted(inputs);
}

std::vector<std::string> VertexShaderOutputs(const std::string& assembly) {
    // vs_3_0: "dcl_texcoord0 o1"; vs_2_0 writes oPos, oT<n>, oD<n>, oFog, oPts.
    static const std::regex declared3(R"(^dcl_([a-z]+)(\d*)\s+o\d)"), written2(R"(\bo(Pos|T\d|D\d|Fog|Pts)\b)");
    static const std::map<std::string, std::string> named = {{"Pos", "POSITION0"}, {"Fog", "FOG0"}, {"Pts", "PSIZE0"}};
    std::vector<std::string> outputs;
    for (const std::string& line : Lines(assembly)) {
        std::smatch m;
        if (std::regex_search(line, m, declared3)) {
            outputs.push_back(Semantic(m[1], m[2]));
            continue;
        }
        for (std::sregex_iterator it(line.begin(), line.end(), written2), end; it != end; ++it) {
            const std::string reg = (*it)[1];
            outputs.push_back(named.count(reg) ? named.at(reg)
                                               : (reg[0] == 'T' ? "TEXCOORD" : "COLOR") + reg.substr(1));
        }
    }
    return Sorted(outputs);
}

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
CheckReport CheckBuild(const EffectBuild& b) {
    CheckReport report;
    // fx_2_0: vkd3d stops at effect features it does not write yet (E5017),
    // which are counted; any other message is an error fxc would report too.
    std::istringstream effect(Run(b.file, "-x hlsl -p fx_2_0 -b fx -o " + b.file.stem().string() + ".fxo").err);
    std::string others;
    for (std::string line; std::getline(effect, line);) {
        static const std::string marker = "not yet implemented feature: ";
        const size_t feature = line.find(marker);
        if (line.find("E5017") != std::string::npos && feature != std::string::npos)
            report.notImplemented.push_back(line.substr(feature + marker.size()));
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
            else if (SlotLimit(use.profile).empty())
                report.failures.push_back(where + "no slot limit known for " + use.profile);
            else if (SlotFill(use.profile, row.slots) > 1.0)
                report.failures.push_back(where + use.profile + " " + row.shader + " takes " +
                                          SlotText(use.profile, row.slots) + " instruction slots, over " +
                                          SlotLimit(use.profile));
            report.rows.push_back(row);
        }
        // Direct3D 9 draws a 3.0 shader only with a 3.0 partner.
        if (models.count("3_0") && models.size() > 1)
            report.failures.push_back(where + "mixes shader model 3.0 with an older one");
        if (!linkable || assembly[0].empty() || assembly[1].empty()) continue;
        const std::vector<std::string> written = VertexShaderOutputs(assembly[0]);
        for (const std::string& input : PixelShaderInputs(assembly[1]))
            if (!std::binary_search(written.begin(), written.end(), input))
                report.failures.push_back(where + "the pixel shader reads " + input +
                                          ", which the vertex shader does not write");
    }
    return report;
}

}  // namespace

void PreprocessBuilds(std::vector<EffectBuild>& builds, std::vector<std::string>& failures) {
    std::mutex lock;
    ForEach(builds.size(), [&](size_t i) {
        const Output o = Run(builds[i].file, "-E -x hlsl");
        const std::lock_guard<std::mutex> hold(lock);
        if (!o.problem.empty()) failures.push_back(Where(builds[i]) + ": preprocessing failed:\n" + o.problem);
        else builds[i].preprocessed = o.out;
    });
}

std::vector<std::string> TechniqueNames(const std::string& preprocessed) {
    static const std::regex technique(R"(\btechnique\s+(\w+))");
    std::vector<std::string> names;
    for (std::sregex_iterator it(preprocessed.begin(), preprocessed.end(), technique), end; it != end; ++it)
        names.push_back((*it)[1]);
    return names;
}

CheckReport CheckEffects(const std::vector<EffectBuild>& builds) {
    std::vector<CheckReport> reports(builds.size());
    ForEach(builds.size(), [&](size_t i) {
        if (!builds[i].preprocessed.empty()) reports[i] = CheckBuild(builds[i]);
    });
    CheckReport all;
    std::map<std::string, int> notImplemented;
    for (const CheckReport& r : reports) {
        all.failures.insert(all.failures.end(), r.failures.begin(), r.failures.end());
        all.rows.insert(all.rows.end(), r.rows.begin(), r.rows.end());
        for (const std::string& feature : r.notImplemented) ++notImplemented[feature];
    }
    for (const auto& [feature, count] : notImplemented)
        all.notImplemented.push_back(std::to_string(count) + " x " + feature);
    return all;
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

std::string SlotLimit(const std::string& profile) {
    if (profile == "ps_2_0") return "64+32";
    if (profile == "vs_2_0") return "256";
    return profile == "ps_3_0" || profile == "vs_3_0" ? "512" : "";
}

std::string SlotText(const std::string& profile, const Slots& s) {
    if (profile == "ps_2_0") return std::to_string(s.arithmetic) + "+" + std::to_string(s.texture);
    return std::to_string(s.arithmetic + s.texture);
}

double SlotFill(const std::string& profile, const Slots& s) {
    if (profile == "ps_2_0") return std::max(s.arithmetic / 64.0, s.texture / 32.0);
    return (s.arithmetic + s.texture) / (profile == "vs_2_0" ? 256.0 : 512.0);
}

// Instruction slots and linkage semantics read from the Direct3D 9 assembly
// vkd3d-compiler prints (-b d3d-asm).
#include <algorithm>
#include <cctype>
#include <map>
#include <regex>
#include <sstream>

#include "tests/shaders/EffectCheck.h"

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

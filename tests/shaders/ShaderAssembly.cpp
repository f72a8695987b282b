// Instruction slots and linkage semantics read from the Direct3D 9 assembly
// vkd3d-compiler prints (-b d3d-asm).
#include <algorithm>
#include <cctype>
#include <map>
#include <regex>
#include <sstream>

#include "tests/shaders/EffectCheck.h"

namespace {

struct Weight {
    int slots;
    bool texture;  // counted against ps_2_0's texture limit
};

// Instruction slots of each instruction, from the instruction tables of
// Microsoft's Direct3D 9 assembly reference (ps_2_0, ps_2_x, ps_3_0, vs_2_0,
// vs_2_x, vs_3_0). Comparison variants (if_gt, break_ne, setp_lt) are
// looked up by their stem. Declarations and definitions take no slot.
const std::map<std::string, Weight>& Weights() {
    static const std::map<std::string, Weight> table = {
        // arithmetic
        {"abs", {1, false}}, {"add", {1, false}}, {"cmp", {1, false}}, {"crs", {2, false}},
        {"dp2add", {2, false}}, {"dp3", {1, false}}, {"dp4", {1, false}}, {"dst", {1, false}},
        {"dsx", {2, false}}, {"dsy", {2, false}}, {"exp", {1, false}}, {"expp", {1, false}},
        {"frc", {1, false}}, {"lit", {3, false}}, {"log", {1, false}}, {"logp", {1, false}},
        {"lrp", {2, false}}, {"m3x2", {2, false}}, {"m3x3", {3, false}}, {"m3x4", {4, false}},
        {"m4x3", {3, false}}, {"m4x4", {4, false}}, {"mad", {1, false}}, {"max", {1, false}},
        {"min", {1, false}}, {"mov", {1, false}}, {"mova", {1, false}}, {"mul", {1, false}},
        {"nop", {1, false}}, {"nrm", {3, false}}, {"pow", {3, false}}, {"rcp", {1, false}},
        {"rsq", {1, false}}, {"sge", {1, false}}, {"sgn", {3, false}}, {"sincos", {8, false}},
        {"slt", {1, false}}, {"sub", {1, false}}, {"setp", {1, false}},
        // flow control
        {"break", {1, false}}, {"breakc", {3, false}}, {"breakp", {3, false}}, {"call", {2, false}},
        {"callnz", {3, false}}, {"else", {1, false}}, {"endif", {1, false}}, {"endloop", {2, false}},
        {"endrep", {2, false}}, {"if", {3, false}}, {"ifc", {3, false}}, {"label", {0, false}},
        {"loop", {3, false}}, {"rep", {3, false}}, {"ret", {1, false}},
        // texture
        {"texkill", {1, true}}, {"texld", {1, true}}, {"texldb", {1, true}}, {"texldp", {1, true}},
        {"texldd", {3, true}}, {"texldl", {2, true}},
    };
    return table;
}

// "mov_sat" -> "mov", "if_ne" -> "ifc", "break_lt" -> "breakc", "setp_gt" -> "setp".
std::string Stem(const std::string& opcode) {
    const size_t underscore = opcode.find('_');
    if (underscore == std::string::npos) return opcode;
    const std::string stem = opcode.substr(0, underscore);
    if (stem == "if" || stem == "break") return stem + "c";
    return stem;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        const size_t start = line.find_first_not_of(" \t");
        if (start != std::string::npos) lines.push_back(line.substr(start));
    }
    return lines;
}

std::string Upper(std::string s) {
    for (char& c : s) c = char(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// "texcoord" + "" -> "TEXCOORD0"
std::string Semantic(const std::string& usage, const std::string& index) {
    return Upper(usage) + (index.empty() ? "0" : index);
}

std::vector<std::string> Sorted(std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    v.erase(std::unique(v.begin(), v.end()), v.end());
    return v;
}

}  // namespace

SlotCount CountSlots(const std::string& assembly) {
    SlotCount count;
    const std::vector<std::string> lines = Lines(assembly);
    for (size_t i = 1; i < lines.size(); ++i) {  // line 0 is the version
        const std::string opcode = lines[i].substr(0, lines[i].find_first_of(" \t"));
        if (opcode.rfind("dcl", 0) == 0 || opcode.rfind("def", 0) == 0) continue;
        const auto weight = Weights().find(Stem(opcode));
        if (weight == Weights().end()) {
            count.unknown.push_back(opcode);
            continue;
        }
        (weight->second.texture ? count.texture : count.arithmetic) += weight->second.slots;
    }
    return count;
}

// ps_2_0: 64 arithmetic and 32 texture slots; vs_2_0 256; the 3.0 models 512.
bool WithinSlotLimit(const std::string& profile, const SlotCount& count) {
    if (profile == "ps_2_0") return count.arithmetic <= 64 && count.texture <= 32;
    if (profile == "vs_2_0") return count.Total() <= 256;
    if (profile == "ps_3_0" || profile == "vs_3_0") return count.Total() <= 512;
    return false;
}

std::string SlotLimitText(const std::string& profile) {
    if (profile == "ps_2_0") return "64+32";
    if (profile == "vs_2_0") return "256";
    if (profile == "ps_3_0" || profile == "vs_3_0") return "512";
    return "";
}

std::string SlotCountText(const std::string& profile, const SlotCount& count) {
    if (profile == "ps_2_0") return std::to_string(count.arithmetic) + "+" + std::to_string(count.texture);
    return std::to_string(count.Total());
}

std::vector<std::string> PixelShaderInputs(const std::string& assembly) {
    // ps_3_0: "dcl_texcoord1 v2"; ps_2_0: "dcl t0.xy" (TEXCOORD), "dcl v0" (COLOR).
    static const std::regex declared3(R"(^dcl_([a-z]+)(\d*)(_\w+)?\s+v\d)");
    static const std::regex declared2(R"(^dcl(_\w+)?\s+([tv])(\d+))");
    std::vector<std::string> inputs;
    for (const std::string& line : Lines(assembly)) {
        std::smatch m;
        if (std::regex_search(line, m, declared3))
            inputs.push_back(Semantic(m[1], m[2]));
        else if (std::regex_search(line, m, declared2))
            inputs.push_back(Semantic(m[2] == "t" ? "texcoord" : "color", m[3]));
    }
    return Sorted(inputs);
}

std::vector<std::string> VertexShaderOutputs(const std::string& assembly) {
    // vs_3_0: "dcl_texcoord0 o1"; vs_2_0 writes oPos, oT<n>, oD<n>, oFog, oPts.
    static const std::regex declared3(R"(^dcl_([a-z]+)(\d*)\s+o\d)");
    static const std::regex written2(R"(\bo(Pos|T\d|D\d|Fog|Pts)\b)");
    std::vector<std::string> outputs;
    for (const std::string& line : Lines(assembly)) {
        std::smatch m;
        if (std::regex_search(line, m, declared3)) {
            outputs.push_back(Semantic(m[1], m[2]));
            continue;
        }
        for (std::sregex_iterator it(line.begin(), line.end(), written2), end; it != end; ++it) {
            const std::string reg = (*it)[1];
            if (reg[0] == 'T') outputs.push_back("TEXCOORD" + reg.substr(1));
            else if (reg[0] == 'D') outputs.push_back("COLOR" + reg.substr(1));
            else outputs.push_back(reg == "Pos" ? "POSITION0" : reg == "Fog" ? "FOG0" : "PSIZE0");
        }
    }
    return Sorted(outputs);
}

#pragma once
// What the stand-in compilers (tests/tools/fake_fxc.cpp, the stand-in
// d3dcompiler_47.dll) write: a real fx_2_0 effect with the techniques and
// passes the source declares, then a marker and the source, so that a test
// can tell what was compiled from what. The source is read as the effect
// templates are written: techniques and passes on lines of their own, chosen
// only by #ifdef, #ifndef and #else on names the source itself defines.
// Header-only, shared by the tools and the tests.
#include <regex>
#include <set>
#include <sstream>

#include "EffectWriter.h"

namespace fake_compiler {

// The techniques, "technique/pass" each, as the source's own lines declare them.
inline std::vector<effect_writer::Technique> SourceTechniques(const std::string& source) {
    static const std::regex directive(R"(^\s*#\s*(\w+)\s*(\w*))"), declared(R"(\b(technique|pass)\s+(\w+))");
    std::vector<effect_writer::Technique> techniques;
    std::set<std::string> defined;
    std::vector<bool> active{true};  // one entry per open #if..., the outermost first
    std::istringstream lines(source);
    bool continued = false;
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const bool wasContinued = continued;
        continued = !line.empty() && line.back() == '\\';
        if (wasContinued) continue;  // the rest of a #define
        line = line.substr(0, line.find("//"));
        std::smatch m;
        if (std::regex_search(line, m, directive)) {
            const bool outer = active.size() < 2 || active[active.size() - 2];
            if (m[1] == "ifdef" || m[1] == "ifndef")
                active.push_back(active.back() && (defined.count(m[2]) == (m[1] == "ifdef" ? 1u : 0u)));
            else if (m[1] == "else") active.back() = outer && !active.back();
            else if (m[1] == "endif" && active.size() > 1) active.pop_back();
            else if (m[1] == "define" && active.back()) defined.insert(m[2]);
            continue;
        }
        if (!active.back() || !std::regex_search(line, m, declared)) continue;
        if (m[1] == "technique") techniques.push_back({m[2], {}});
        else if (!techniques.empty()) techniques.back().passes.push_back(m[2]);
    }
    return techniques;
}

inline std::string Effect(const std::string& marker, const std::string& source) {
    return effect_writer::Effect(SourceTechniques(source)) + marker + source;
}

// The marker and source of such an effect; empty when the bytes are none.
inline std::string Text(const std::string& effect) {
    const size_t at = effect.find("FAKE");
    return effect.rfind(effect_writer::Words({0xFEFF0901u}), 0) == 0 && at != std::string::npos ? effect.substr(at)
                                                                                                 : std::string();
}

}  // namespace fake_compiler

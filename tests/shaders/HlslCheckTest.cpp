// Front-end check of the HLSL templates: every shader a technique compiles is
// run through glslang's HLSL parser, once as the install builds it with no
// definitions and once with every switch and value defined. glslang does not
// know the effect framework, so textures, sampler states and techniques are
// cut out first (after preprocessing, so macro-made techniques go too).
// Alongside: the interface the game relies on (technique names), the hooks
// with their defaults and the include lists.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "app/Text.h"
#include "settings/Settings.h"
#include "settings/SettingsTable.h"
#include "shaders/Definitions.h"
#include "tests/support/TestEnv.h"

namespace {

const fs::path kTemplateDir = fs::path(VANTREL_SOURCE_DIR) / "shaders" / "templates";

struct Hook {
    const char* name;
    const char* value;
};

struct EffectRow {
    const char* name;
    std::vector<std::string> techniques;
    std::vector<std::string> includes;
    std::vector<Hook> hooks;
    std::vector<std::string> switches;  // read by the effect or one of its headers
};

struct HeaderRow {
    const char* name;
    std::vector<std::string> includes;
    std::vector<std::string> switches;
};

const std::vector<HeaderRow> kHeaders = {
    {"ViewportFns.fxh", {}, {}},
    {"CommonFns.fxh", {}, {"USE_HALF_PRECISION"}},
    {"DeferredFns.fxh", {}, {}},
    {"ShadowFns.fxh", {}, {"MOX_SUNSHADOWSENHANCEMENTS"}},
    {"MOX_Fns.fxh", {"MOX_Defines.fxh"}, {}},
    {"MOX_Defines.fxh", {}, {}},
    {"FogFns.fxh", {}, {"MOX_FOGENHANCEMENTS"}},
    {"DepthFns.fxh", {"DeferredFns.fxh"}, {}},
    {"OcclusionVolumeFns.fxh", {}, {}},
    {"FXAA3_11.fxh", {}, {}},
};

const std::vector<EffectRow> kEffects = {
    {"DeferredDirectional",
     {"DeferredDirectionalHemispehericLighting", "DeferredDirectionalLighting"},
     {"CommonFns.fxh", "DeferredFns.fxh", "ShadowFns.fxh", "MOX_Fns.fxh"},
     {{"MOX_SSAOIntensity", "1.0"},
      {"MOX_ReflectionsIntensity", "1.0"},
      {"MOX_ReflectionsColorDesaturation", "0.5"}},
     {"MOX_SSAO", "MOX_REFLECTIONSENHANCEMENTS", "MOX_DISABLECLOUDSSHADOWS", "MOX_SUNSHADOWSENHANCEMENTS"}},
    {"PostDepthOfField", {"DepthOfField"}, {"DeferredFns.fxh"}, {{"MOX_DOFNearPlane", "1000.0"}}, {"MOX_DOFENHANCEMENTS"}},
    {"PostTrainVolumetricFog",
     {"HIGH", "LOW"},
     {"DeferredFns.fxh", "FogFns.fxh"},
     {{"MOX_FogDensityMultiplier", "1.0"}, {"MOX_FogBrightness", "1.0"}, {"MOX_FogColorDesaturation", "0.25"}},
     {"MOX_FOGENHANCEMENTS"}},
    {"ProcFlora",
     {"LOW"},
     {"CommonFns.fxh", "DepthFns.fxh", "MOX_Fns.fxh"},
     {{"MOX_ProcFloraRandomSizeMultiplier", "1.0"}, {"MOX_ProcFloraRenderDistance", "50.0"}},
     {"MOX_PROCFLORAENHANCEMENTS", "MOX_ProcFloraClumpSizeRandomization", "MOX_ProcFloraSway"}},
    {"Rain",
     {"LOW"},
     {"CommonFns.fxh"},
     {{"MOX_WeatherEffectsRandomRainSnowMinimumOpacity", "0.75"}},
     {"MOX_WEATHEREFFECTSENHANCEMENTS"}},
    {"DeferredPoint",
     {"DeferredPointLightingSphere", "DeferredPointLightingSphereShadow", "DeferredPointLightingInstanced"},
     {"CommonFns.fxh", "DeferredFns.fxh", "ShadowFns.fxh"},
     {{"MOX_PointLightIntensityMultiplier", "1.0"},
      {"MOX_PointLightSpecularIntensityMultiplier", "1.0"},
      {"MOX_PointLightColorTint", "float3(1.0, 1.0, 1.0)"}},
     {"MOX_NOPOINTSHADOWS", "MOX_NOSPOTPOINTSPECULAR"}},
    {"DeferredSpot",
     {"DeferredSpotLightingCone", "DeferredSpotLightingConeShadow", "DeferredSpotLightingInstanced"},
     {"CommonFns.fxh", "DeferredFns.fxh", "ShadowFns.fxh"},
     {{"MOX_SpotLightIntensityMultiplier", "1.0"},
      {"MOX_SpotLightSpecularIntensityMultiplier", "1.0"},
      {"MOX_SpotLightColorTint", "float3(1.0, 1.0, 1.0)"}},
     {"MOX_NOSPOTSHADOWS", "MOX_NOSPOTPOINTSPECULAR"}},
    {"PostTrainLightGlow",
     {"HIGH", "MEDIUM", "LOW"},
     {"DeferredFns.fxh"},
     {{"MOX_LightGlowColorTint", "float3(1.0, 1.0, 1.0)"}},
     {"MOX_LIGHTGLOWENHANCEMENTS"}},
    {"TrainGlass",
     {"DEFERRED", "HIGH", "MEDIUM", "LOW"},
     {"CommonFns.fxh", "DeferredFns.fxh", "DepthFns.fxh", "ShadowFns.fxh", "FogFns.fxh", "OcclusionVolumeFns.fxh"},
     {{"MOX_GlassReflectionsIntensity", "1.0"}, {"MOX_GlassReflectionsColorDesaturation", "0.25"}},
     {"MOX_GLASSRENDERINGENHANCEMENTS"}},
    {"TrainGlassWeatherEffects",
     {"DEFERRED", "HIGH_DEPTH", "MEDIUM"},
     {"CommonFns.fxh", "DeferredFns.fxh", "DepthFns.fxh", "ShadowFns.fxh", "OcclusionVolumeFns.fxh",
      "ViewportFns.fxh"},
     {},
     {"MOX_OVERTINTEDGLASSFIX"}},
    {"PostProcessFXAA", {"FXAA"}, {"FXAA3_11.fxh"}, {{"MOX_FXAAEdgeBluringIntensity", "0.5"}}, {"MOX_FXAAFIX"}},
    {"TrainViewFacingFlora",
     {"DEFERRED", "DEFERRED_INSTANCED", "LOW", "LOW_INSTANCED"},
     {"CommonFns.fxh", "DeferredFns.fxh", "MOX_Defines.fxh", "MOX_Fns.fxh"},
     {{"MOX_VegetationMaxColorVariationAmplitude", "0.25"}, {"MOX_VegetationMaxBrightnessVariationAmplitude", "0.20"}},
     {"MOX_2DVEGETATIONSHADINGENHANCEMENTS"}},
    {"TrainUprightViewFacingFlora",
     {"DEFERRED", "DEFERRED_INSTANCED", "LOW", "LOW_INSTANCED"},
     {"CommonFns.fxh", "DeferredFns.fxh", "MOX_Defines.fxh", "MOX_Fns.fxh"},
     {{"MOX_VegetationMaxColorVariationAmplitude", "0.25"}, {"MOX_VegetationMaxBrightnessVariationAmplitude", "0.20"}},
     {"MOX_2DVEGETATIONSHADINGENHANCEMENTS"}},
    {"Train_post_bloom",
     {"AdaptiveBloom"},
     {},
     {{"MOX_HDRExposure", "1.0"},
      {"MOX_BloomIntensity", "1.0"},
      {"MOX_BloomColorDesaturation", "0.25"},
      {"MOX_Gamma", "1.0"},
      {"MOX_ImageSharpness", "1.0"},
      {"MOX_ImageContrast", "1.0"},
      {"MOX_ColorVibrance", "0.15"},
      {"MOX_ImageGrayLevel", "0.0"},
      {"MOX_ImageSepiaLevel", "0.0"}},
     {"MOX_COLORBANDINGFIX"}},
    {"TrainSkyDome",
     {"DEFERRED", "LOW", "FALLBACK"},
     {"CommonFns.fxh"},
     {{"MOX_SkySunSizeMultiplier", "1.0"}, {"MOX_SkyBrightnessMultiplier", "1.0"}},
     {}},
};

// Techniques the fallback macros of CommonFns.fxh declare.
const std::set<std::string> kFallbackTechniques = {"FVF_FALLBACK", "FVF_FALLBACK_WITH_ALPHA"};

std::string Join(const std::vector<std::string>& parts, const char* separator) {
    std::string out;
    for (const std::string& p : parts) {
        if (!out.empty()) out += separator;
        out += p;
    }
    return out;
}

std::string Quoted(const fs::path& path) {
    std::string quoted(1, '"');
    quoted += path.string();
    quoted += '"';
    return quoted;
}

// ---- plain text scanning

bool IsIdentChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

bool EqualsNoCase(const std::string& a, const char* b) {
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = char(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = char(y - 'A' + 'a');
        if (x != y) return false;
    }
    return i == a.size() && !b[i];
}

// Comments blanked to spaces, line ends kept, so positions and line numbers
// stay those of the file.
std::string StripComments(const std::string& text) {
    std::string out = text;
    size_t i = 0;
    while (i < out.size()) {
        if (out[i] == '"') {
            for (++i; i < out.size() && out[i] != '"' && out[i] != '\n'; ++i) {}
            ++i;
        } else if (out.compare(i, 2, "//") == 0) {
            for (; i < out.size() && out[i] != '\n'; ++i) out[i] = ' ';
        } else if (out.compare(i, 2, "/*") == 0) {
            const size_t end = out.find("*/", i + 2);
            const size_t stop = end == std::string::npos ? out.size() : end + 2;
            for (; i < stop; ++i)
                if (out[i] != '\n') out[i] = ' ';
        } else {
            ++i;
        }
    }
    return out;
}

// Index one past the brace that closes the block opened at or after from;
// npos when the block is not closed. An annotation between from and the
// block (which may hold braces of its own) is stepped over.
size_t SkipBlock(const std::string& text, size_t from) {
    size_t i = from;
    for (int angle = 0; i < text.size() && !(text[i] == '{' && angle == 0); ++i) {
        if (text[i] == '"') {
            i = text.find('"', i + 1);
            if (i == std::string::npos) return i;
        } else if (text[i] == '<') {
            ++angle;
        } else if (text[i] == '>') {
            --angle;
        }
    }
    if (i >= text.size()) return std::string::npos;
    int depth = 0;
    for (; i < text.size(); ++i) {
        if (text[i] == '"') {
            const size_t close = text.find('"', i + 1);
            if (close == std::string::npos) return close;
            i = close;
        } else if (text[i] == '{') {
            ++depth;
        } else if (text[i] == '}' && --depth == 0) {
            return i + 1;
        }
    }
    return std::string::npos;
}

// Blanks [from, to) but keeps the line ends, so glslang's line numbers still
// match the #line markers of the preprocessed text.
void Blank(std::string& text, size_t from, size_t to) {
    for (size_t i = from; i < to && i < text.size(); ++i)
        if (text[i] != '\n') text[i] = ' ';
}

std::vector<std::string> IncludesOf(const std::string& text) {
    static const std::regex include(R"(^[ \t]*#[ \t]*include[ \t]*["<]([^">]+)[">])", std::regex::multiline);
    std::vector<std::string> names;
    const std::string clean = StripComments(text);
    for (std::sregex_iterator it(clean.begin(), clean.end(), include), end; it != end; ++it)
        names.push_back((*it)[1]);
    return names;
}

// ---- techniques

struct ShaderUse {
    std::string stage;  // "vs" or "ps"
    std::string model;  // "vs_3_0"
    std::string entry;
};

struct PassInfo {
    std::string name;
    std::vector<ShaderUse> shaders;
};

struct TechniqueInfo {
    std::string name;
    std::vector<PassInfo> passes;
};

// Start of the next whole word (case-insensitive) at or after from.
size_t FindWord(const std::string& text, const char* word, size_t from) {
    const size_t n = std::char_traits<char>::length(word);
    for (size_t i = from; i + n <= text.size(); ++i) {
        if (i > 0 && IsIdentChar(text[i - 1])) continue;
        if (i + n < text.size() && IsIdentChar(text[i + n])) continue;
        size_t k = 0;
        while (k < n && (text[i + k] | 0x20) == (word[k] | 0x20)) ++k;
        if (k == n) return i;
    }
    return std::string::npos;
}

std::string WordAfter(const std::string& text, size_t from) {
    size_t i = from;
    while (i < text.size() && !IsIdentChar(text[i])) {
        if (text[i] == '{') return "";
        ++i;
    }
    size_t j = i;
    while (j < text.size() && IsIdentChar(text[j])) ++j;
    return text.substr(i, j - i);
}

std::vector<TechniqueInfo> ParseTechniques(const std::string& text, std::vector<std::string>& problems) {
    static const std::regex compile(R"(\b(vertexshader|pixelshader)\s*=\s*compile\s+((vs|ps)_\w+)\s+(\w+)\s*\()",
                                    std::regex::icase);
    std::vector<TechniqueInfo> techniques;
    size_t at = 0;
    while ((at = FindWord(text, "technique", at)) != std::string::npos) {
        TechniqueInfo t;
        t.name = WordAfter(text, at + 9);
        const size_t end = SkipBlock(text, at);
        if (end == std::string::npos) {
            problems.push_back("technique " + t.name + " is not closed");
            break;
        }
        const std::string body = text.substr(at, end - at);
        size_t p = 0;
        while ((p = FindWord(body, "pass", p)) != std::string::npos) {
            PassInfo pass;
            pass.name = WordAfter(body, p + 4);
            const size_t passEnd = SkipBlock(body, p);
            if (passEnd == std::string::npos) break;
            const std::string passBody = body.substr(p, passEnd - p);
            for (std::sregex_iterator it(passBody.begin(), passBody.end(), compile), stop; it != stop; ++it) {
                std::string stage = (*it)[3];
                for (char& c : stage) c = char(c | 0x20);
                pass.shaders.push_back({stage, (*it)[2], (*it)[4]});
            }
            t.passes.push_back(pass);
            p = passEnd;
        }
        techniques.push_back(t);
        at = end;
    }
    return techniques;
}

// Removes what only the effect framework understands: techniques with their
// passes and render states, texture declarations and sampler_state blocks
// (the sampler declarations themselves stay).
std::string StripEffectFramework(std::string text) {
    static const char* const kTextureTypes[] = {"texture", "texture1D", "texture2D", "texture3D", "textureCUBE"};
    size_t i = 0;
    int depth = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '"') {
            const size_t close = text.find('"', i + 1);
            i = close == std::string::npos ? text.size() : close + 1;
            continue;
        }
        if (c == '{') ++depth;
        if (c == '}') --depth;
        if (c == '=' && depth == 0) {
            size_t j = i + 1;
            while (j < text.size() && (text[j] == ' ' || text[j] == '\t' || text[j] == '\n' || text[j] == '\r')) ++j;
            if (text.compare(j, 13, "sampler_state") == 0 && !IsIdentChar(text[j + 13])) {
                const size_t end = SkipBlock(text, j);
                Blank(text, i, end);
                i = end;
                continue;
            }
        }
        if (!IsIdentChar(c) || (i > 0 && IsIdentChar(text[i - 1]))) {
            ++i;
            continue;
        }
        size_t j = i;
        while (j < text.size() && IsIdentChar(text[j])) ++j;
        const std::string word = text.substr(i, j - i);
        if (depth == 0 && (EqualsNoCase(word, "technique") || EqualsNoCase(word, "technique10"))) {
            const size_t end = SkipBlock(text, i);
            Blank(text, i, end);
            i = end;
            continue;
        }
        bool texture = false;
        for (const char* t : kTextureTypes) texture = texture || word == t;
        if (depth == 0 && texture) {
            // Up to the semicolon, stepping over an annotation block.
            size_t k = j;
            int angle = 0;
            while (k < text.size() && !(text[k] == ';' && angle == 0)) {
                if (text[k] == '<') ++angle;
                if (text[k] == '>') --angle;
                ++k;
            }
            Blank(text, i, k + 1);
            i = k + 1;
            continue;
        }
        i = j;
    }
    return text;
}

// ---- pixel shader inputs, which glslang does not judge by Direct3D 9 rules

// Input semantics of a function's parameters, struct members included.
std::vector<std::string> InputSemantics(const std::string& text, const std::string& function) {
    static const std::regex semantic(R"(:\s*([A-Za-z_]\w*))");
    std::vector<std::string> found;
    const std::regex head("\\b([A-Za-z_]\\w*)\\s+" + function + "\\s*\\(");
    for (std::sregex_iterator it(text.begin(), text.end(), head), end; it != end; ++it) {
        if ((*it)[1] == "return") continue;
        // The parameter list, up to its closing parenthesis.
        size_t open = size_t(it->position(0) + it->length(0));
        size_t close = open;
        for (int depth = 1; close < text.size() && depth > 0; ++close) {
            if (text[close] == '(') ++depth;
            if (text[close] == ')') --depth;
        }
        const std::string params = text.substr(open, close - 1 - open);
        size_t start = 0;
        for (int depth = 0, i = 0; size_t(i) <= params.size(); ++i) {
            const char c = size_t(i) < params.size() ? params[i] : ',';
            if (c == '(') ++depth;
            if (c == ')') --depth;
            if (c != ',' || depth != 0) continue;
            std::string param = params.substr(start, i - start);
            start = size_t(i) + 1;
            param = param.substr(0, param.find('='));
            static const std::regex word(R"([A-Za-z_]\w*)");
            std::vector<std::string> words;
            const std::string beforeColon = param.substr(0, param.find(':'));
            for (std::sregex_iterator w(beforeColon.begin(), beforeColon.end(), word), e; w != e; ++w)
                words.push_back((*w)[0]);
            bool input = words.size() >= 2;
            for (const std::string& m : words) input = input && m != "uniform" && m != "out";
            if (!input) continue;
            std::smatch m;
            if (std::regex_search(param, m, semantic)) found.push_back(m[1]);
            // Members of a struct parameter.
            const std::regex structHead("\\bstruct\\s+" + words[words.size() - 2] + "\\s*\\{");
            std::smatch sm;
            if (std::regex_search(text, sm, structHead)) {
                const size_t bodyStart = size_t(sm.position(0));
                const size_t bodyEnd = SkipBlock(text, bodyStart);
                const std::string body = text.substr(bodyStart, bodyEnd - bodyStart);
                for (std::sregex_iterator f(body.begin(), body.end(), semantic), e; f != e; ++f)
                    found.push_back((*f)[1]);
            }
        }
        break;
    }
    return found;
}

// Direct3D 9 pixel shaders cannot take POSITION; VPOS and VFACE need 3.0.
void CheckPixelInputs(const std::string& label, const std::string& text, const std::string& entry,
                      const std::string& model, std::vector<std::string>& problems) {
    for (std::string s : InputSemantics(text, entry)) {
        for (char& c : s) c = char(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
        const std::string base = s.substr(0, s.find_first_of("0123456789"));
        if (base == "POSITION")
            problems.push_back(label + ": pixel shader " + entry +
                               " takes a POSITION input, which Direct3D 9 pixel shaders cannot read (use VPOS, "
                               "or an input struct without the position)");
        if ((base == "VPOS" || base == "VFACE") && model != "ps_3_0")
            problems.push_back(label + ": pixel shader " + entry + " takes " + s + ", which needs ps_3_0");
    }
}

// ---- glslang

struct ToolRun {
    int status = -1;
    std::string output;
    std::string text;
};

// Standard output and error go to capture and capture + ".err"; output holds
// both, text only standard output.
ToolRun Run(const std::string& command, const fs::path& capture) {
    ToolRun run;
    const fs::path errors = capture.string() + ".err";
    run.status = std::system((command + " > " + Quoted(capture) + " 2> " + Quoted(errors)).c_str());
    run.text = ReadText(capture);
    run.output = run.text + ReadText(errors);
    return run;
}

bool GlslangAvailable() {
    static const bool available = [] {
        TempDir dir;
        return Run("glslangValidator --version", dir.path / "version.txt").status == 0;
    }();
    return available;
}

struct HlslResult {
    std::vector<TechniqueInfo> techniques;
    std::vector<std::string> problems;
};

// Preprocesses source (includes from the template folder), lists its
// techniques, and compiles every vertex and pixel shader they name.
// extraEntries ("vs:Name" / "ps:Name") are compiled as well.
HlslResult CheckHlsl(const std::string& label, const std::string& source, const fs::path& work,
                     const std::vector<std::string>& extraEntries = {}) {
    HlslResult result;
    const fs::path raw = work / (label + ".fx");
    const fs::path stripped = work / (label + ".hlsl");
    const fs::path capture = work / (label + ".log");
    WriteText(raw, source);

    const ToolRun pre = Run("glslangValidator -D -E -S frag -I" + Quoted(kTemplateDir) + " " + Quoted(raw), capture);
    if (pre.status != 0) {
        result.problems.push_back(label + ": preprocessing failed:\n" + pre.output);
        return result;
    }
    const std::string& text = pre.text;
    result.techniques = ParseTechniques(text, result.problems);

    std::vector<std::pair<std::string, std::string>> entries;  // stage, name
    std::set<std::pair<std::string, std::string>> pixelShaders;  // name, model
    auto addEntry = [&](const std::string& stage, const std::string& name) {
        for (const auto& e : entries)
            if (e.first == stage && e.second == name) return;
        entries.emplace_back(stage, name);
    };
    for (const TechniqueInfo& t : result.techniques) {
        for (const PassInfo& p : t.passes) {
            std::set<std::string> majors;
            for (const ShaderUse& s : p.shaders) {
                static const std::set<std::string> kModels = {"vs_2_0", "vs_3_0", "ps_2_0", "ps_3_0"};
                if (!kModels.count(s.model))
                    result.problems.push_back(label + ": " + t.name + "/" + p.name + " uses shader model " + s.model);
                majors.insert(s.model.substr(3));
                addEntry(s.stage, s.entry);
                if (s.stage == "ps") pixelShaders.emplace(s.entry, s.model);
            }
            // Direct3D 9 refuses to draw a 3.0 shader paired with an older one.
            if (majors.count("3_0") && majors.size() > 1)
                result.problems.push_back(label + ": " + t.name + "/" + p.name + " mixes shader model 3.0 with 2.0");
        }
    }
    for (const std::string& e : extraEntries) addEntry(e.substr(0, 2), e.substr(3));

    const std::string code = StripEffectFramework(text);
    for (const auto& [name, model] : pixelShaders) CheckPixelInputs(label, code, name, model, result.problems);
    WriteText(stripped, code);
    const fs::path spirv = work / (label + ".spv");
    for (const auto& [stage, name] : entries) {
        const ToolRun run = Run("glslangValidator -D --hlsl-dx9-compatible -V -S " +
                                    std::string(stage == "vs" ? "vert" : "frag") + " -e " + name + " -o " +
                                    Quoted(spirv) + " " + Quoted(stripped),
                                capture);
        // A missing entry point is only a warning to glslang.
        if (run.status != 0 || run.output.find("Entry point not found") != std::string::npos)
            result.problems.push_back(label + ": " + stage + " " + name + " does not compile:\n" + run.output);
    }
    return result;
}

ShaderSettings EverythingOn() {
    ShaderSettings s;
    for (const ParamDesc& p : ShaderParamTable())
        if (p.kind == ParamKind::Bool) s.*p.boolField = true;
    return s;
}

std::u16string Wide(const char* ascii) {
    std::u16string out;
    for (const char* p = ascii; *p; ++p) out += char16_t(*p);
    return out;
}

std::string ReadTemplate(const std::string& fileName) {
    const fs::path file = kTemplateDir / fileName;
    std::error_code ec;
    return fs::exists(file, ec) ? ReadText(file) : std::string();
}

// Hook blocks: #ifndef NAME / #define NAME value / #endif.
void CheckHooks(const EffectRow& row, const std::string& clean) {
    const size_t firstBlock = clean.find('{');
    for (const Hook& h : row.hooks) {
        const std::regex block("#[ \\t]*ifndef[ \\t]+" + std::string(h.name) + "[ \\t]*\\n[ \\t]*#[ \\t]*define[ \\t]+" +
                               h.name + "[ \\t]+([^\\n]*?)[ \\t]*\\n[ \\t]*#[ \\t]*endif");
        std::smatch m;
        if (!std::regex_search(clean, m, block)) {
            ADD_FAILURE() << row.name << ": no #ifndef/#define/#endif default for " << h.name;
            continue;
        }
        EXPECT_EQ(m[1].str(), h.value) << row.name << ": default of " << h.name;
        EXPECT_LT(size_t(m.position(0)), firstBlock) << row.name << ": " << h.name << " is not at the top";
        const size_t after = size_t(m.position(0) + m.length(0));
        const std::regex use("\\b" + std::string(h.name) + "\\b");
        EXPECT_TRUE(std::regex_search(clean.begin() + long(after), clean.end(), use))
            << row.name << ": " << h.name << " is defined but never used";
    }
}

// The effect plus every header it pulls in, comments removed.
std::string WithHeaders(const std::string& clean) {
    std::string all = clean;
    std::set<std::string> seen;
    std::vector<std::string> pending = IncludesOf(clean);
    while (!pending.empty()) {
        const std::string name = pending.back();
        pending.pop_back();
        if (!seen.insert(name).second) continue;
        const std::string header = StripComments(ReadTemplate(name));
        all += "\n" + header;
        for (const std::string& inner : IncludesOf(header)) pending.push_back(inner);
    }
    return all;
}

bool ReadsSwitch(const std::string& text, const std::string& name) {
    const std::regex test("(#[ \\t]*ifn?def[ \\t]+" + name + "\\b)|(defined[ \\t]*\\(?[ \\t]*" + name + "\\b)");
    return std::regex_search(text, test);
}

void ExpectTechniques(const EffectRow& row, const std::string& build, const HlslResult& r) {
    std::set<std::string> names;
    for (const TechniqueInfo& t : r.techniques) {
        EXPECT_TRUE(names.insert(t.name).second) << row.name << " (" << build << "): technique " << t.name << " twice";
        if (kFallbackTechniques.count(t.name)) continue;
        bool listed = false;
        for (const std::string& expected : row.techniques) listed = listed || expected == t.name;
        EXPECT_TRUE(listed) << row.name << " (" << build << "): unexpected technique " << t.name;
        // A pass without compile statements is fixed-function, which is allowed.
        EXPECT_FALSE(t.passes.empty()) << row.name << " (" << build << "): technique " << t.name << " has no pass";
    }
    for (const std::string& expected : row.techniques)
        EXPECT_TRUE(names.count(expected)) << row.name << " (" << build << "): technique " << expected << " missing";
}

void PrintTo(const EffectRow& row, std::ostream* out) { *out << row.name; }

class HlslCheckTest : public ::testing::TestWithParam<EffectRow> {};

TEST_P(HlslCheckTest, Effect) {
    const EffectRow& row = GetParam();
    const std::string file = std::string(row.name) + ".fx";
    const std::string text = ReadTemplate(file);
    ASSERT_FALSE(text.empty()) << file << " is missing or empty";
    const std::string clean = StripComments(text);

    // Includes: exactly the headers of the effect, by these file names.
    const std::vector<std::string> included = IncludesOf(text);
    std::multiset<std::string> got(included.begin(), included.end());
    std::multiset<std::string> want(row.includes.begin(), row.includes.end());
    EXPECT_EQ(got, want) << row.name << " includes " << Join(included, ", ");

    CheckHooks(row, clean);
    const std::string withHeaders = WithHeaders(clean);
    for (const std::string& name : row.switches)
        EXPECT_TRUE(ReadsSwitch(withHeaders, name)) << row.name << " never tests " << name;

    if (!GlslangAvailable()) GTEST_SKIP() << "glslangValidator not found; HLSL not compiled";

    // Errors are reported against the template's own lines: a #line marker
    // goes between the definitions and the template.
    auto build = [&](const DefinitionList& definitions) {
        std::string source = BuildEffectSource(text, definitions);
        source.insert(source.size() - text.size(), "#line 1 \"" + file + "\"\n");
        return source;
    };
    TempDir work;
    const HlslResult plain = CheckHlsl(std::string(row.name) + "_plain", build({}), work.path);
    EXPECT_TRUE(plain.problems.empty()) << Join(plain.problems, "\n");
    ExpectTechniques(row, "no definitions", plain);

    const DefinitionList definitions = BuildDefinitionList(Wide(row.name), EverythingOn());
    const HlslResult full =
        CheckHlsl(std::string(row.name) + "_all", build(definitions), work.path);
    EXPECT_TRUE(full.problems.empty()) << "with " << Join(definitions, ", ") << "\n" << Join(full.problems, "\n");
    ExpectTechniques(row, "all definitions", full);
}

INSTANTIATE_TEST_SUITE_P(Templates, HlslCheckTest, ::testing::ValuesIn(kEffects),
                         [](const ::testing::TestParamInfo<EffectRow>& info) { return std::string(info.param.name); });

TEST(HlslCheck, TemplateFilesAndHeaders) {
    std::vector<std::string> files;
    for (const HeaderRow& h : kHeaders) files.push_back(h.name);
    for (const EffectRow& e : kEffects) files.push_back(std::string(e.name) + ".fx");
    ASSERT_EQ(files.size(), 25u);
    for (const std::string& f : files) {
        const std::string text = ReadTemplate(f);
        if (text.empty()) {
            ADD_FAILURE() << f << " is missing or empty";
            continue;
        }
        EXPECT_EQ(text.find('\r'), std::string::npos) << f << " has CR line ends";
        size_t line = 1;
        for (unsigned char c : text) {
            if (c == '\n') ++line;
            if (c >= 0x80) {
                ADD_FAILURE() << f << ":" << line << " has a byte outside ASCII";
                break;
            }
        }
    }
    for (const HeaderRow& h : kHeaders) {
        const std::string text = ReadTemplate(h.name);
        if (text.empty()) continue;
        const std::vector<std::string> included = IncludesOf(text);
        EXPECT_EQ(included, h.includes) << h.name;
        for (const std::string& name : h.switches)
            EXPECT_TRUE(ReadsSwitch(StripComments(text), name)) << h.name << " never tests " << name;
    }

    // The constants of MOX_Defines.fxh, with its three switches present but off.
    const std::string defines = ReadTemplate("MOX_Defines.fxh");
    const char* const kLines[] = {"#define M_PI 3.1415926", "#define PBR_LIGHT_INTENSITY_MULTIPLIER 1.5",
                                  "//#define MOX_PROCFLORAZORDERFIX", "//#define MOX_ALPHAMASKOPTIMIZATION",
                                  "#define MOX_AlphaMaskThreshold 0.5", "//#define MOX_NEW2DVEGETATIONSHADING"};
    size_t last = 0;
    for (const char* l : kLines) {
        const size_t at = defines.find(std::string("\n") + l + "\n", last);
        EXPECT_NE(at, std::string::npos) << "MOX_Defines.fxh: " << l << " missing or out of order";
        if (at != std::string::npos) last = at + 1;
    }
    const std::string clean = StripComments(defines);
    for (const char* name : {"MOX_PROCFLORAZORDERFIX", "MOX_ALPHAMASKOPTIMIZATION", "MOX_NEW2DVEGETATIONSHADING"})
        EXPECT_EQ(clean.find(name), std::string::npos) << name << " must stay commented out";
    const std::string common = StripComments(ReadTemplate("CommonFns.fxh"));
    EXPECT_FALSE(std::regex_search(common, std::regex("#[ \\t]*define[ \\t]+USE_HALF_PRECISION\\b")))
        << "USE_HALF_PRECISION must stay off";
}

TEST(HlslCheck, HeadersStandAloneAndGuarded) {
    if (!GlslangAvailable()) GTEST_SKIP() << "glslangValidator not found";
    TempDir work;
    // Included twice on its own with every switch it reads defined and not:
    // catches missing guards and headers that lean on another header.
    for (const HeaderRow& h : kHeaders) {
        if (std::string(h.name) == "FXAA3_11.fxh") continue;  // needs its configuration first
        for (const bool on : {false, true}) {
            std::string source;
            if (on)
                for (const std::string& s : h.switches)
                    if (s != "USE_HALF_PRECISION") source += "#define " + s + "\n";
            source += "#include \"" + std::string(h.name) + "\"\n#include \"" + h.name +
                      "\"\nfloat4 CheckPS(float4 c : TEXCOORD0) : COLOR0 { return c; }\n";
            std::string label = std::string(h.name) + (on ? "_on" : "_off");
            const HlslResult r = CheckHlsl(label, source, work.path, {"ps:CheckPS"});
            EXPECT_TRUE(r.problems.empty()) << Join(r.problems, "\n");
        }
    }
}

TEST(HlslCheck, CheckerCatchesBrokenShaders) {
    if (!GlslangAvailable()) GTEST_SKIP() << "glslangValidator not found";
    TempDir work;
    // A well-formed effect with everything glslang must be spared: it passes.
    const std::string good = R"(#include "CommonFns.fxh"
texture gTex : DIFFUSE < string Name = "a.dds"; >;
sampler2D gSampler = sampler_state { Texture = <gTex>; MinFilter = Linear; };
float gAmount < string UIName = "amount"; > = 1.0;
struct VOut { float4 pos : POSITION; float2 uv : TEXCOORD0; };
VOut GoodVS(float4 pos : POSITION, float2 uv : TEXCOORD0) { VOut o; o.pos = mul(pos, gWorldViewProjection); o.uv = uv; return o; }
struct PIn { float2 uv : TEXCOORD0; };
float4 GoodPS(PIn i, float2 screen : VPOS) : COLOR0 { return tex2D(gSampler, i.uv) * gAmount; }
technique Good { pass P0 { ZEnable = true; CullMode = None; VertexShader = compile vs_3_0 GoodVS(); PixelShader = compile ps_3_0 GoodPS(); } }
FVF_FALLBACK_TECHNIQUE(gTex)
)";
    const HlslResult ok = CheckHlsl("good", good, work.path);
    EXPECT_TRUE(ok.problems.empty()) << Join(ok.problems, "\n");
    ASSERT_EQ(ok.techniques.size(), 2u);
    EXPECT_EQ(ok.techniques[0].name, "Good");
    ASSERT_EQ(ok.techniques[0].passes.size(), 1u);
    ASSERT_EQ(ok.techniques[0].passes[0].shaders.size(), 2u);
    EXPECT_EQ(ok.techniques[0].passes[0].shaders[1].entry, "GoodPS");
    EXPECT_EQ(ok.techniques[0].passes[0].shaders[1].model, "ps_3_0");
    EXPECT_EQ(ok.techniques[1].name, "FVF_FALLBACK");

    // A type error in a pixel shader only a technique names: reported with
    // glslang's own message.
    std::string broken = good;
    broken.replace(broken.find("return tex2D(gSampler, i.uv) * gAmount;"), 39,
                   "float3 c = tex2D(gSampler, i.uv) * undeclaredThing; return c;");
    // glslang parses the whole file, so the vertex shader fails with it.
    const HlslResult bad = CheckHlsl("broken", broken, work.path);
    ASSERT_EQ(bad.problems.size(), 2u) << Join(bad.problems, "\n");
    EXPECT_NE(bad.problems[1].find("ps GoodPS does not compile"), std::string::npos) << bad.problems[1];
    EXPECT_NE(bad.problems[1].find("broken.fx:8: 'undeclaredThing'"), std::string::npos) << bad.problems[1];

    // A technique naming a shader that does not exist, and a 2.0/3.0 mix.
    std::string missing = good;
    missing.replace(missing.find("compile vs_3_0 GoodVS"), 21, "compile vs_2_0 NoSuchVS");
    const HlslResult gone = CheckHlsl("missing", missing, work.path);
    EXPECT_EQ(gone.problems.size(), 2u) << Join(gone.problems, "\n");

    // A pixel shader fed the vertex shader's output struct, position and all.
    std::string position = good;
    position.replace(position.find("compile ps_3_0 GoodPS"), 21, "compile ps_3_0 PositionPS");
    position += "float4 PositionPS(VOut i) : COLOR0 { return tex2D(gSampler, i.uv); }\n";
    const HlslResult withPosition = CheckHlsl("position", position, work.path);
    ASSERT_EQ(withPosition.problems.size(), 1u) << Join(withPosition.problems, "\n");
    EXPECT_NE(withPosition.problems[0].find("PositionPS takes a POSITION input"), std::string::npos);

    // An include that is not there stops the check at preprocessing.
    const HlslResult noHeader = CheckHlsl("noheader", "#include \"NoSuchHeader.fxh\"\n" + good, work.path);
    ASSERT_EQ(noHeader.problems.size(), 1u);
    EXPECT_NE(noHeader.problems[0].find("preprocessing failed"), std::string::npos);
}

}  // namespace

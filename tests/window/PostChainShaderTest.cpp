// The preview held against the shader the install compiles: for a set of
// settings, Train_post_bloom.fx is built as the install builds it, every pass
// of technique AdaptiveBloom is compiled with vkd3d (HLSL -> Direct3D 9
// bytecode -> SPIR-V) and turned into GLSL by SPIRV-Cross, and the passes run
// over the preview scene in the SDL/OpenGL host on Xvfb, into targets of the
// sizes the effect declares. Every target is read back. Each step of the C++
// chain, fed the shader's input for that pass, must give the shader's output
// within one 8-bit step (two for the banding fix); the whole C++ chain must
// stay within the widening the later passes give such steps. Passes, entry
// points, targets and samplers are all read from the effect, so a
// restructured shader is checked as it is.
#include <gtest/gtest.h>

#define GL_GLEXT_PROTOTYPES 1
#include <SDL.h>
#include <SDL_opengl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <atomic>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "app/Platform.h"
#include "app/Text.h"
#include "preview/PostChain.h"
#include "preview/PostChainSteps.h"
#include "preview/PreviewScene.h"
#include "settings/Settings.h"
#include "shaders/Definitions.h"
#include "shaders/ShaderTemplates.h"
#include "tests/support/TestEnv.h"

namespace {

const int kWidth = 384;
const int kHeight = 216;
const fs::path kCompiler = VANTREL_VKD3D_COMPILER;

// ---- running the tools

struct ToolRun {
    bool ok = false;
    std::string errors;
};

ToolRun RunTool(const std::string& command, const fs::path& errorFile) {
    ToolRun run;
    run.ok = std::system((command + " 2>" + errorFile.string()).c_str()) == 0;
    run.errors = ReadText(errorFile);
    return run;
}

std::string SpirvCross() { return WideToUtf8(LocateExecutable(u"spirv-cross")); }

// ---- what the effect declares (read from the preprocessed source)

struct PassDecl {
    std::string name;
    std::string entry;   // pixel shader
    std::string target;  // texture name; empty for the back buffer
};

struct TextureDecl {
    std::string semantic;
    int width = 0, height = 0;  // Dimensions, or the view times ViewportRatio
};

struct SamplerDecl {
    std::string texture;
    bool point = false;
};

struct EffectDecl {
    std::vector<PassDecl> passes;
    std::map<std::string, TextureDecl> textures;
    std::map<std::string, SamplerDecl> samplers;
};

EffectDecl ReadEffect(const std::string& text) {
    EffectDecl effect;
    const std::regex technique(R"(technique\s+AdaptiveBloom\s*\{)");
    std::smatch found;
    if (!std::regex_search(text, found, technique)) return effect;
    const std::string body = text.substr(found.position(0));
    const std::regex pass(R"(pass\s+(\w+)\s*(<[^>]*>)?\s*\{[^}]*?PixelShader\s*=\s*compile\s+ps_\w+\s+(\w+)\s*\()");
    const std::regex target(R"(RenderTarget\s*=\s*\"(\w+)\")");
    for (std::sregex_iterator it(body.begin(), body.end(), pass), end; it != end; ++it) {
        PassDecl p{(*it)[1], (*it)[3], ""};
        const std::string annotation = (*it)[2];
        std::smatch t;
        if (std::regex_search(annotation, t, target)) p.target = t[1];
        effect.passes.push_back(p);
    }
    const std::regex texture(R"(texture\s+(\w+)\s*:\s*(\w+)\s*(<[^>]*>)?\s*;)");
    const std::regex dimensions(R"(Dimensions\s*=\s*\{\s*([\d.]+)\s*,\s*([\d.]+)\s*\})");
    const std::regex ratio(R"(ViewportRatio\s*=\s*\{\s*([\d.]+)\s*,\s*([\d.]+)\s*\})");
    for (std::sregex_iterator it(text.begin(), text.end(), texture), end; it != end; ++it) {
        const std::string annotation = (*it)[3];
        TextureDecl t{(*it)[2], kWidth, kHeight};
        std::smatch m;
        if (std::regex_search(annotation, m, dimensions)) {
            t.width = int(std::stof(m[1]));
            t.height = int(std::stof(m[2]));
        } else if (std::regex_search(annotation, m, ratio)) {
            t.width = BloomTargetSize(kWidth, std::stof(m[1]));
            t.height = BloomTargetSize(kHeight, std::stof(m[2]));
        }
        effect.textures[(*it)[1]] = t;
    }
    const std::regex sampler(R"(sampler2D\s+(\w+)\s*=\s*sampler_state\s*\{([^}]*)\})");
    const std::regex bound(R"(Texture\s*=\s*<\s*(\w+)\s*>)");
    const std::regex minFilter(R"(MinFilter\s*=\s*(\w+))");
    for (std::sregex_iterator it(text.begin(), text.end(), sampler), end; it != end; ++it) {
        const std::string states = (*it)[2];
        std::smatch m;
        SamplerDecl s;
        if (std::regex_search(states, m, bound)) s.texture = m[1];
        if (std::regex_search(states, m, minFilter)) s.point = m[1] == "Point";
        effect.samplers[(*it)[1]] = s;
    }
    return effect;
}

// The text with the named functions cut out: what one entry point can see
// of the settings, so that entries untouched by a setting compile once.
std::string WithoutFunctions(std::string text, const std::set<std::string>& names) {
    for (const std::string& name : names) {
        const std::regex head("\\b\\w+\\s+" + name + "\\s*\\(");
        std::smatch m;
        if (!std::regex_search(text, m, head)) continue;
        const size_t open = text.find('{', m.position(0));
        if (open == std::string::npos) continue;
        size_t close = open;
        for (int depth = 0; close < text.size(); ++close) {
            if (text[close] == '{') ++depth;
            if (text[close] == '}' && --depth == 0) break;
        }
        text.erase(m.position(0), close + 1 - m.position(0));
    }
    return text;
}

// ---- a compiled pass

struct Register {
    bool sampler = false;
    int index = 0;
};

struct CompiledPass {
    std::string glsl;
    std::map<std::string, Register> registers;  // constant table: name -> register
    std::string error;
};

// The constant table of Direct3D 9 bytecode (the "CTAB" comment).
std::map<std::string, Register> ConstantTable(const std::string& bytecode) {
    std::map<std::string, Register> table;
    auto word = [&](size_t at) {
        uint32_t w = 0;
        if (at + 4 <= bytecode.size()) std::memcpy(&w, bytecode.data() + at, 4);
        return w;
    };
    for (size_t at = 4; at + 8 <= bytecode.size();) {
        const uint32_t token = word(at);
        if ((token & 0xffff) != 0xfffe) break;
        const size_t length = (token >> 16) & 0x7fff;
        if (word(at + 4) == 0x42415443) {  // "CTAB"
            const size_t base = at + 8;
            const uint32_t count = word(base + 12), infos = word(base + 16);
            for (uint32_t n = 0; n < count; ++n) {
                const size_t info = base + infos + n * 20;
                const uint32_t nameOffset = word(info);
                const uint32_t sets = word(info + 4);
                if (base + nameOffset >= bytecode.size()) break;
                const std::string name = bytecode.c_str() + base + nameOffset;
                table[name] = {(sets & 0xffff) == 3, int(sets >> 16)};
            }
        }
        at += 4 + length * 4;
    }
    return table;
}

CompiledPass Compile(const fs::path& source, const std::string& entry, const fs::path& folder) {
    CompiledPass pass;
    const fs::path bytecode = folder / (entry + ".d3dbc"), spirv = folder / (entry + ".spv"),
                   glsl = folder / (entry + ".frag"), errors = folder / (entry + ".err");
    const std::string compiler = kCompiler.string();
    ToolRun run = RunTool(
        compiler + " -x hlsl -p ps_3_0 -e " + entry + " -b d3dbc -o " + bytecode.string() + " " + source.string(),
        errors);
    if (run.ok)
        run = RunTool(compiler + " -x d3dbc -b spirv-binary -o " + spirv.string() + " " + bytecode.string(), errors);
    if (run.ok)
        // Temporaries throughout: Debian's SPIRV-Cross otherwise rewrites
        // "r = r * a + b" as "r *= a + b".
        run = RunTool(SpirvCross() + " --version 330 --no-420pack-extension --force-temporary " + spirv.string() +
                          " --output " + glsl.string(),
                      errors);
    if (!run.ok) {
        pass.error = entry + ": " + run.errors;
        return pass;
    }
    pass.glsl = ReadText(glsl);
    pass.registers = ConstantTable(ReadText(bytecode));
    return pass;
}

// ---- OpenGL

struct GlTarget {
    GLuint texture = 0, framebuffer = 0;
    int width = 0, height = 0;
};

GLuint CompileStage(GLenum stage, const std::string& text, std::string& log) {
    const GLuint shader = glCreateShader(stage);
    const char* source = text.c_str();
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char buffer[4096] = "";
        glGetShaderInfoLog(shader, sizeof buffer, nullptr, buffer);
        log += buffer;
    }
    return shader;
}

// The quad's vertex shader, with Direct3D 9's mapping: a pixel of a target N
// wide receives i / N, where OpenGL would interpolate (i + 0.5) / N.
std::string VertexShaderFor(const std::string& fragment) {
    std::smatch input;
    static const std::regex in(R"(\bin\s+(vec[234])\s+(\w+)\s*;)");
    const bool found = std::regex_search(fragment, input, in);
    const std::string type = found ? input[1].str() : "vec2", name = found ? input[2].str() : "v0";
    const std::string fill = type == "vec2" ? "" : (type == "vec3" ? ", 0.0" : ", 0.0, 1.0");
    return "#version 330\nlayout(location = 0) in vec2 position;\nuniform vec2 targetSize;\nout " + type + " " + name +
           ";\nvoid main() {\n  " + name + " = " + type + "(position * 0.5 + 0.5 - 0.5 / targetSize" + fill +
           ");\n  gl_Position = vec4(position, 0.0, 1.0);\n}\n";
}

struct GlRun {
    std::map<std::string, RgbaImage> targets;  // by texture name; "" is the back buffer
    std::string error;
};

GlRun RunOnGl(const EffectDecl& effect, const std::map<std::string, CompiledPass>& compiled, const RgbaImage& scene) {
    GlRun result;
    std::map<std::string, GlTarget> targets;
    auto makeTarget = [&](const std::string& name, int width, int height, const void* pixels, bool point) {
        GlTarget t{0, 0, width, height};
        glGenTextures(1, &t.texture);
        glBindTexture(GL_TEXTURE_2D, t.texture);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, point ? GL_NEAREST : GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, point ? GL_NEAREST : GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glGenFramebuffers(1, &t.framebuffer);
        glBindFramebuffer(GL_FRAMEBUFFER, t.framebuffer);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, t.texture, 0);
        targets[name] = t;
    };
    std::set<std::string> pointTextures;
    for (const auto& [name, sampler] : effect.samplers)
        if (sampler.point) pointTextures.insert(sampler.texture);
    for (const auto& [name, texture] : effect.textures) {
        const bool isScene = texture.semantic == "SCENECOLOUR";
        makeTarget(name, texture.width, texture.height, isScene ? scene.pixels.data() : nullptr,
                   pointTextures.count(name) > 0);
    }
    makeTarget("", kWidth, kHeight, nullptr, false);

    GLuint vertexArray = 0, vertexBuffer = 0, constants = 0;
    glGenVertexArrays(1, &vertexArray);
    glBindVertexArray(vertexArray);
    const float quad[] = {-1, -1, 1, -1, -1, 1, 1, 1};
    glGenBuffers(1, &vertexBuffer);
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
    glBufferData(GL_ARRAY_BUFFER, sizeof quad, quad, GL_STATIC_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
    glGenBuffers(1, &constants);
    glDisable(GL_BLEND);  // the luminance pass's blend over earlier frames: a still picture has settled
    glDisable(GL_DEPTH_TEST);

    for (const PassDecl& pass : effect.passes) {
        const CompiledPass& code = compiled.at(pass.entry);
        std::string log;
        const GLuint program = glCreateProgram();
        glAttachShader(program, CompileStage(GL_VERTEX_SHADER, VertexShaderFor(code.glsl), log));
        glAttachShader(program, CompileStage(GL_FRAGMENT_SHADER, code.glsl, log));
        glLinkProgram(program);
        GLint linked = 0;
        glGetProgramiv(program, GL_LINK_STATUS, &linked);
        if (!linked || !log.empty()) {
            char buffer[4096] = "";
            glGetProgramInfoLog(program, sizeof buffer, nullptr, buffer);
            result.error = pass.name + ": " + log + buffer;
            return result;
        }
        glUseProgram(program);
        const GlTarget& target = targets.at(pass.target);
        glBindFramebuffer(GL_FRAMEBUFFER, target.framebuffer);
        glViewport(0, 0, target.width, target.height);
        glUniform2f(glGetUniformLocation(program, "targetSize"), float(target.width), float(target.height));

        // Constant registers c0.. in the one uniform block, samplers by register.
        std::vector<float> registers(4 * 16, 0.0f);
        for (const auto& [name, reg] : code.registers) {
            if (reg.sampler) {
                const SamplerDecl& sampler = effect.samplers.at(name);
                glActiveTexture(GL_TEXTURE0 + reg.index);
                glBindTexture(GL_TEXTURE_2D, targets.at(sampler.texture).texture);
                const std::string uniform =
                    "SPIRV_Cross_Combinedt" + std::to_string(reg.index) + "s" + std::to_string(reg.index);
                glUniform1i(glGetUniformLocation(program, uniform.c_str()), reg.index);
            } else if (name == "gViewSize") {
                const float value[4] = {float(kWidth), float(kHeight), 1.0f / kWidth, 1.0f / kHeight};
                std::memcpy(&registers[reg.index * 4], value, sizeof value);
            } else if (name == "gFrameTime") {
                registers[reg.index * 4] = 0.016f;
            }
        }
        GLint blocks = 0;
        glGetProgramiv(program, GL_ACTIVE_UNIFORM_BLOCKS, &blocks);
        if (blocks > 0) {
            GLint size = 0;
            glGetActiveUniformBlockiv(program, 0, GL_UNIFORM_BLOCK_DATA_SIZE, &size);
            registers.resize(std::max<size_t>(registers.size(), size_t(size) / 4));
            glBindBuffer(GL_UNIFORM_BUFFER, constants);
            glBufferData(GL_UNIFORM_BUFFER, size, registers.data(), GL_STREAM_DRAW);
            glUniformBlockBinding(program, 0, 0);
            glBindBufferBase(GL_UNIFORM_BUFFER, 0, constants);
        }
        glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
        glDeleteProgram(program);
    }
    glFinish();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    for (const auto& [name, t] : targets) {
        RgbaImage image{t.width, t.height, std::vector<uint8_t>(size_t(t.width) * t.height * 4)};
        glBindFramebuffer(GL_FRAMEBUFFER, t.framebuffer);
        glReadPixels(0, 0, t.width, t.height, GL_RGBA, GL_UNSIGNED_BYTE, image.pixels.data());
        result.targets[name] = image;
        glDeleteFramebuffers(1, &t.framebuffer);
        glDeleteTextures(1, &t.texture);
    }
    glDeleteBuffers(1, &vertexBuffer);
    glDeleteBuffers(1, &constants);
    glDeleteVertexArrays(1, &vertexArray);
    return result;
}

int MaxDifference(const RgbaImage& a, const RgbaImage& b) {
    if (a.width != b.width || a.height != b.height) return 256;
    int worst = 0;
    for (size_t n = 0; n < a.pixels.size(); ++n)
        if (n % 4 != 3) worst = std::max(worst, std::abs(int(a.pixels[n]) - int(b.pixels[n])));
    return worst;
}

// ---- the settings tried

struct Case {
    std::string name;
    ShaderSettings shader;
};

std::vector<Case> Cases() {
    struct Slider {
        const char* name;
        float ShaderSettings::*field;
        float min, max;
    };
    const Slider sliders[] = {{"HDRExposure", &ShaderSettings::HDRExposure, 0.5f, 2.0f},
                              {"BloomIntensity", &ShaderSettings::BloomIntensity, 0.0f, 2.0f},
                              {"BloomColorDesaturation", &ShaderSettings::BloomColorDesaturation, 0.0f, 1.0f},
                              {"Gamma", &ShaderSettings::Gamma, 0.0f, 2.0f},
                              {"ImageSharpness", &ShaderSettings::ImageSharpness, 0.0f, 2.0f},
                              {"ImageContrast", &ShaderSettings::ImageContrast, 0.0f, 2.0f},
                              {"ColorVibrance", &ShaderSettings::ColorVibrance, -0.5f, 0.5f},
                              {"ImageGrayLevel", &ShaderSettings::ImageGrayLevel, 0.0f, 1.0f},
                              {"ImageSepiaLevel", &ShaderSettings::ImageSepiaLevel, 0.0f, 1.0f}};
    std::vector<Case> cases = {{"defaults", ShaderSettings()}};
    for (const Slider& s : sliders) {
        for (float value : {s.min, s.max}) {
            Case c{std::string(s.name) + "=" + std::to_string(value).substr(0, 4), ShaderSettings()};
            c.shader.*s.field = value;
            cases.push_back(c);
        }
    }
    Case off{"ColorBandingFix=off", ShaderSettings()};
    off.shader.ColorBandingFix = false;
    cases.push_back(off);
    return cases;
}

}  // namespace

TEST(PostChainShader, ThePreviewComputesWhatTheInstalledShaderComputes) {
    ASSERT_TRUE(fs::exists(kCompiler)) << kCompiler << " is missing: run scripts/setup-vkd3d.sh";
    ASSERT_FALSE(SpirvCross().empty()) << "spirv-cross is not on the search path";
    // llvmpipe's fast path filters 8-bit textures in 8-bit fixed point and
    // returns 8-bit reads, coarser than any GPU; its float path filters as
    // GPUs do.
    setenv("GALLIVM_PERF", "no_aos_sampling", 1);
    ASSERT_TRUE(UiHostCreateDisplay()) << "no OpenGL window: " << SDL_GetError();
    const ShaderTemplate* effectTemplate = FindShaderTemplate(u"Train_post_bloom");
    ASSERT_NE(effectTemplate, nullptr);

    TempDir work;
    const RgbaImage scene = MakePreviewScene(kWidth, kHeight);
    const std::vector<Case> cases = Cases();

    // Build and preprocess every case's source; compile each entry point
    // once per distinct text it can see, two compiler runs at a time.
    struct Prepared {
        fs::path source;
        EffectDecl effect;
        std::map<std::string, size_t> jobs;  // entry -> job
    };
    struct Job {
        fs::path source, folder;
        std::string entry;
        CompiledPass result;
    };
    std::vector<Prepared> prepared;
    std::vector<Job> jobs;
    std::map<std::string, size_t> jobByKey;
    for (size_t n = 0; n < cases.size(); ++n) {
        Prepared p;
        const fs::path folder = work.path / std::to_string(n);
        fs::create_directories(folder);
        p.source = folder / "Train_post_bloom.fx";
        WriteText(p.source, BuildEffectSource(std::string(effectTemplate->text),
                                              BuildDefinitionList(u"Train_post_bloom", cases[n].shader)));
        const ToolRun preprocess =
            RunTool(kCompiler.string() + " -E -x hlsl -o " + (folder / "pre.fx").string() + " " + p.source.string(),
                    folder / "pre.err");
        ASSERT_TRUE(preprocess.ok) << preprocess.errors;
        const std::string text = ReadText(folder / "pre.fx");
        p.effect = ReadEffect(text);
        ASSERT_GE(p.effect.passes.size(), 7u) << "technique AdaptiveBloom not found in the effect";
        std::set<std::string> entries;
        for (const PassDecl& pass : p.effect.passes) entries.insert(pass.entry);
        for (const std::string& entry : entries) {
            std::set<std::string> others = entries;
            others.erase(entry);
            const std::string key = entry + "\n" + WithoutFunctions(text, others);
            if (!jobByKey.count(key)) {
                jobByKey[key] = jobs.size();
                jobs.push_back({p.source, folder / entry, entry, {}});
                fs::create_directories(folder / entry);
            }
            p.jobs[entry] = jobByKey[key];
        }
        prepared.push_back(std::move(p));
    }
    std::atomic<size_t> next{0};
    auto worker = [&] {
        for (size_t n; (n = next++) < jobs.size();)
            jobs[n].result = Compile(jobs[n].source, jobs[n].entry, jobs[n].folder);
    };
    std::thread helper(worker);
    worker();
    helper.join();
    std::printf("%zu entry points compiled for %zu cases\n", jobs.size(), cases.size());

    for (size_t n = 0; n < cases.size(); ++n) {
        const Prepared& p = prepared[n];
        std::map<std::string, CompiledPass> compiled;
        for (const auto& [entry, job] : p.jobs) {
            compiled[entry] = jobs[job].result;
            ASSERT_TRUE(compiled[entry].error.empty()) << cases[n].name << ": " << compiled[entry].error;
        }
        const GlRun gl = RunOnGl(p.effect, compiled, scene);
        ASSERT_TRUE(gl.error.empty()) << cases[n].name << ": " << gl.error;

        const PostChainSettings settings = PostChainSettingsFrom(cases[n].shader);
        PostChainTargets chain;
        RunPostChain(scene, settings, &chain);
        const std::map<std::string, const RgbaImage*> chainTargets = {
            {"Reduce", &chain.reduce},   {"Luminance", &chain.luminance},
            {"Present", &chain.present}, {"Sharpen", &chain.sharpen},
            {"HDR", &chain.hdr},         {"Final", &chain.final}};

        // Each step also runs on the shader's own input for that pass, so a
        // rounding difference upstream is not taken for a fault downstream.
        std::map<std::string, std::string> targetOf;
        for (const PassDecl& pass : p.effect.passes) targetOf[pass.name] = pass.target;
        auto glOutput = [&](const std::string& pass) { return TargetFromImage(gl.targets.at(targetOf.at(pass))); };
        const PostTarget sceneTarget = TargetFromImage(scene);
        std::array<PostTarget, kBloomLevels> glBloom;
        for (int level = 0; level < kBloomLevels; ++level)
            glBloom[level] = glOutput("Bloom" + std::to_string(level + 1));
        std::map<std::string, PostTarget> alone = {
            {"Reduce", PostStep::Reduce(sceneTarget)},
            {"Luminance", PostStep::Luminance(glOutput("Reduce"))},
            {"Present", PostStep::Present(sceneTarget, glBloom, glOutput("Luminance"), settings)},
            {"Sharpen", PostStep::Sharpen(glOutput("Present"), settings.ImageSharpness)},
            {"HDR", PostStep::Hdr(glOutput("Sharpen"), settings.HDRExposure)},
            {"Final", PostStep::Final(glOutput("HDR"), settings.ColorBandingFix)}};
        for (int level = 0; level < kBloomLevels; ++level) {
            const std::string name = "Bloom" + std::to_string(level + 1);
            alone[name] = PostStep::Bloom(level == 0 ? sceneTarget : glBloom[level - 1], kWidth, kHeight, level);
        }

        std::string line = cases[n].name + " (pass alone / whole chain):";
        for (const PassDecl& pass : p.effect.passes) {
            ASSERT_TRUE(alone.count(pass.name)) << "no step of the preview for pass " << pass.name;
            const RgbaImage& shader = gl.targets.at(pass.target);
            const int single = MaxDifference(shader, ImageFromTarget(alone[pass.name]));
            const int level = pass.name.rfind("Bloom", 0) == 0 ? std::stoi(pass.name.substr(5)) - 1 : -1;
            const int whole = MaxDifference(shader, level >= 0 ? chain.bloom[level] : *chainTargets.at(pass.name));
            line += " " + pass.name + " " + std::to_string(single) + "/" + std::to_string(whole);
            // A pass fed the shader's own input gives the shader's output up
            // to a rounding step; the banding fix's threshold may then tip
            // one more step.
            const bool banding = pass.name == "Final" && settings.ColorBandingFix;
            EXPECT_LE(single, banding ? 2 : 1) << cases[n].name << ": pass " << pass.name;
            // Along the whole chain those steps carry on: the sharpen gain
            // (up to 1.6), the HDR power and the banding fix's replacement by
            // a mean up to 0.009 away widen them toward the back buffer.
            const bool widened = pass.name == "Sharpen" || pass.name == "HDR" || pass.name == "Final";
            EXPECT_LE(whole, widened ? 2 + 3 : 1)
                << cases[n].name << ": pass " << pass.name << " at the end of the chain";
        }
        std::printf("%s\n", line.c_str());
    }
}

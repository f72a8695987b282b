// The preview held against the shader the install compiles: for each setting
// at both ends, Train_post_bloom.fx is built as the install builds it, every
// pass of technique AdaptiveBloom is compiled by the real compilers (vkd3d,
// then SPIRV-Cross to GLSL) and run over the preview scene through OpenGL on
// Xvfb. Each step of the preview, fed the shader's input for its pass, must
// give the shader's output; the whole chain must stay close to it.

#define GL_GLEXT_PROTOTYPES 1
#include <SDL.h>
#include <SDL_opengl.h>

#include <atomic>
#include <cstring>
#include <regex>

#include "app/Platform.h"
#include "ui/UiHost.h"
#include "preview/PostChainSteps.h"
#include "preview/PreviewScene.h"
#include "shaders/Definitions.h"
#include "settings/SettingsTable.h"
#include "shaders/ShaderTemplates.h"
#include "tests/support/TestEnv.h"

namespace {

// The view every full-size target has.
const int kWidth = 384, kHeight = 216;

// Direct3D 9 bytecode: the constant table ("CTAB") comment names the registers.
std::map<std::string, int> ConstantTable(const std::string& code) {
    std::map<std::string, int> table;
    auto word = [&](size_t at) {
        uint32_t w = 0;
        if (at + 4 <= code.size()) std::memcpy(&w, code.data() + at, 4);
        return w;
    };
    for (size_t at = 4; at + 8 <= code.size() && (word(at) & 0xffff) == 0xfffe; at += 4 + ((word(at) >> 16) & 0x7fff) * 4) {
        if (word(at + 4) != 0x42415443) continue;
        const size_t base = at + 8;
        for (uint32_t n = 0; n < word(base + 12); ++n) {
            const size_t info = base + word(base + 16) + n * 20;
            if (base + word(info) < code.size()) table[code.c_str() + base + word(info)] = int(word(info + 4) >> 16);
        }
    }
    return table;
}

GLuint Program(const std::string& fragment, std::string& log) {
    // Direct3D 9's mapping: a pixel of a target N wide receives i / N, where
    // OpenGL would interpolate (i + 0.5) / N.
    std::smatch in;  // a pass that reads no coordinate has no input
    const bool reads = std::regex_search(fragment, in, std::regex(R"(\bin\s+(vec[234])\s+(\w+)\s*;)"));
    const std::string type = reads ? in[1].str() : "vec2", name = reads ? in[2].str() : "unused";
    const std::string fill = type == "vec2" ? "" : type == "vec3" ? ", 0.0" : ", 0.0, 1.0";
    const std::string vertex = "#version 330\nlayout(location = 0) in vec2 p;\nuniform vec2 targetSize;\nout " + type +
                               " " + name + ";\nvoid main() { " + name + " = " + type +
                               "(p * 0.5 + 0.5 - 0.5 / targetSize" + fill + "); gl_Position = vec4(p, 0.0, 1.0); }\n";
    const GLuint program = glCreateProgram();
    for (const auto& [stage, text] : {std::pair(GL_VERTEX_SHADER, vertex), std::pair(GL_FRAGMENT_SHADER, fragment)}) {
        const GLuint shader = glCreateShader(stage);
        const char* source = text.c_str();
        glShaderSource(shader, 1, &source, nullptr);
        glCompileShader(shader);
        glAttachShader(program, shader);
        char buffer[4096] = "";
        glGetShaderInfoLog(shader, sizeof buffer, nullptr, buffer);
        log += buffer;
    }
    glLinkProgram(program);
    GLint linked = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (linked) log.clear();
    return program;
}

// Empty when the command succeeded, else the command and what it said.
std::string RunTool(const std::string& command, const fs::path& errors) {
    const bool ok = std::system((command + " 2>" + errors.string()).c_str()) == 0;
    return ok ? "" : command + ": " + ReadText(errors) + " ";
}

struct Pass {
    std::string name, entry, target;  // target: a texture, empty for the back buffer
};
struct Effect {
    std::vector<Pass> passes;                                      // of the named technique
    std::map<std::string, std::pair<int, int>> sizes;              // texture -> pixels
    std::map<std::string, std::pair<std::string, bool>> samplers;  // sampler -> texture, point filter
    std::string scene;                                             // the SCENECOLOUR texture
};
// The passes, targets and samplers of a technique, from the preprocessed effect.
Effect ReadEffect(const std::string& text, const std::string& technique) {
    Effect effect;
    const size_t at = text.find("technique " + technique);
    const std::string body = at == std::string::npos ? "" : text.substr(at);
    const std::regex pass(R"(pass\s+(\w+)\s*(<[^>]*>)?\s*\{[^}]*?PixelShader\s*=\s*compile\s+ps_\w+\s+(\w+))");
    const std::regex target(R"(RenderTarget\s*=\s*\"(\w+)\")"), texture(R"(texture\s+(\w+)\s*:\s*(\w+)\s*(<[^>]*>)?\s*;)");
    const std::regex dimensions(R"((Dimensions|ViewportRatio)\s*=\s*\{\s*([\d.]+)\s*,\s*([\d.]+))");
    const std::regex sampler(R"(sampler2D\s+(\w+)\s*=\s*sampler_state\s*\{[^}]*Texture\s*=\s*<\s*(\w+)\s*>([^}]*)\})");
    std::smatch m;
    for (std::sregex_iterator it(body.begin(), body.end(), pass), end; it != end; ++it) {
        const std::string annotation = (*it)[2];
        effect.passes.push_back({(*it)[1], (*it)[3], std::regex_search(annotation, m, target) ? m[1].str() : ""});
    }
    for (std::sregex_iterator it(text.begin(), text.end(), texture), end; it != end; ++it) {
        std::pair<int, int> size(kWidth, kHeight);
        const std::string annotation = (*it)[3];
        if (std::regex_search(annotation, m, dimensions))
            size = m[1] == "Dimensions" ? std::pair(int(std::stof(m[2])), int(std::stof(m[3])))
                                        : std::pair(BloomTargetSize(kWidth, std::stof(m[2])),
                                                    BloomTargetSize(kHeight, std::stof(m[3])));
        effect.sizes[(*it)[1]] = size;
        if ((*it)[2] == "SCENECOLOUR") effect.scene = (*it)[1];
    }
    for (std::sregex_iterator it(text.begin(), text.end(), sampler), end; it != end; ++it)
        effect.samplers[(*it)[1]] = {(*it)[2], std::regex_search((*it)[3].str(), std::regex(R"(MinFilter\s*=\s*Point)"))};
    return effect;
}

struct Compiled {
    std::string glsl, error;
    std::map<std::string, int> registers;  // constant table: name -> register (sampler or c#)
};
// One pixel shader of the effect (HLSL -> Direct3D 9 bytecode -> SPIR-V ->
// GLSL), its files written next to `dir / entry`.
Compiled Compile(const fs::path& source, const std::string& entry, const fs::path& dir) {
    const std::string tool = VANTREL_VKD3D_COMPILER, base = (dir / entry).string();
    Compiled c;
    // Temporaries throughout: Debian's SPIRV-Cross otherwise rewrites "r = r * a + b" as "r *= a + b".
    for (const std::string& command :
         {tool + " -x hlsl -p ps_3_0 -e " + entry + " -b d3dbc -o " + base + ".d3dbc " + source.string(),
          tool + " -x d3dbc -b spirv-binary -o " + base + ".spv " + base + ".d3dbc",
          WideToUtf8(LocateExecutable(u"spirv-cross")) + " --version 330 --no-420pack-extension --force-temporary " +
              base + ".spv --output " + base + ".frag"}) {
        if (c.error.empty()) c.error = RunTool(command, base + ".err");
    }
    if (c.error.empty()) c.glsl = ReadText(base + ".frag");
    c.registers = ConstantTable(ReadText(base + ".d3dbc"));
    return c;
}

// Every pass drawn in order over the scene, with Direct3D 9's texel centres,
// into targets of the sizes the effect declares; every target read back, the
// back buffer as "". Empty, with the reason in `error`, when a program fails.
std::map<std::string, RgbaImage> RunOnGl(const Effect& effect, const std::map<std::string, Compiled>& code,
                                         const RgbaImage& scene, std::string& error) {
    std::map<std::string, std::pair<GLuint, GLuint>> targets;  // texture, framebuffer
    std::map<std::string, std::pair<int, int>> sizes = effect.sizes;
    sizes[""] = {kWidth, kHeight};
    std::set<std::string> point;
    for (const auto& [name, s] : effect.samplers)
        if (s.second) point.insert(s.first);
    for (const auto& [name, size] : sizes) {
        GLuint texture = 0, framebuffer = 0;
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, size.first, size.second, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                     name == effect.scene ? scene.pixels.data() : nullptr);
        const GLint filter = point.count(name) ? GL_NEAREST : GL_LINEAR;
        for (GLenum p : {GL_TEXTURE_MIN_FILTER, GL_TEXTURE_MAG_FILTER}) glTexParameteri(GL_TEXTURE_2D, p, filter);
        for (GLenum p : {GL_TEXTURE_WRAP_S, GL_TEXTURE_WRAP_T}) glTexParameteri(GL_TEXTURE_2D, p, GL_CLAMP_TO_EDGE);
        glGenFramebuffers(1, &framebuffer);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
        targets[name] = {texture, framebuffer};
    }
    glDisable(GL_BLEND);  // the luminance pass's blend over earlier frames: a still picture has settled
    for (const Pass& pass : effect.passes) {
        const Compiled& c = code.at(pass.entry);
        const GLuint program = Program(c.glsl, error);
        if (!error.empty()) return {};
        glUseProgram(program);
        glBindFramebuffer(GL_FRAMEBUFFER, targets.at(pass.target).second);
        const auto [w, h] = sizes.at(pass.target);
        glViewport(0, 0, w, h);
        glUniform2f(glGetUniformLocation(program, "targetSize"), float(w), float(h));
        std::vector<float> registers(4 * 256, 0.0f);  // c0.. in the one uniform block
        for (const auto& [name, index] : c.registers) {
            if (effect.samplers.count(name)) {
                glActiveTexture(GL_TEXTURE0 + index);
                glBindTexture(GL_TEXTURE_2D, targets.at(effect.samplers.at(name).first).first);
                const std::string s = "SPIRV_Cross_Combinedt" + std::to_string(index) + "s" + std::to_string(index);
                glUniform1i(glGetUniformLocation(program, s.c_str()), index);
            } else if (name == "gViewSize") {
                const float view[4] = {float(kWidth), float(kHeight), 1.0f / kWidth, 1.0f / kHeight};
                std::memcpy(&registers[index * 4], view, sizeof view);
            } else if (name == "gFrameTime") {
                registers[index * 4] = 0.016f;
            }
        }
        glBufferData(GL_UNIFORM_BUFFER, registers.size() * 4, registers.data(), GL_STREAM_DRAW);
        GLint blocks = 0;
        glGetProgramiv(program, GL_ACTIVE_UNIFORM_BLOCKS, &blocks);
        if (blocks > 0) glUniformBlockBinding(program, 0, 0);
        glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
        glDeleteProgram(program);
    }
    std::map<std::string, RgbaImage> images;
    for (const auto& [name, t] : targets) {
        const auto [w, h] = sizes.at(name);
        RgbaImage& image = images[name] = {w, h, std::vector<uint8_t>(size_t(w) * h * 4)};
        glBindFramebuffer(GL_FRAMEBUFFER, t.second);
        glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, image.pixels.data());
        glDeleteFramebuffers(1, &t.second);
        glDeleteTextures(1, &t.first);
    }
    return images;
}

// The largest difference of any colour channel, and how many differ by more than two steps.
std::pair<int, int> Difference(const RgbaImage& a, const RgbaImage& b) {
    if (a.width != b.width || a.height != b.height) return {256, 0};
    std::pair<int, int> d(0, 0);
    for (size_t n = 0; n < a.pixels.size(); ++n) {
        const int step = n % 4 == 3 ? 0 : std::abs(int(a.pixels[n]) - int(b.pixels[n]));
        d = {std::max(d.first, step), d.second + (step > 2)};
    }
    return d;
}

std::vector<std::pair<std::string, ShaderSettings>> Cases() {  // defaults, each slider at both ends, the fix off
    std::vector<std::pair<std::string, ShaderSettings>> cases = {{"defaults", {}}, {"ColorBandingFix=off", {}}};
    cases.back().second.ColorBandingFix = false;
    const std::map<std::string, std::pair<float, float>> sliders = {
        {"HDRExposure", {0.5f, 2.0f}},  {"BloomIntensity", {0.0f, 2.0f}}, {"BloomColorDesaturation", {0.0f, 1.0f}},
        {"Gamma", {0.0f, 2.0f}},        {"ImageSharpness", {0.0f, 2.0f}}, {"ImageContrast", {0.0f, 2.0f}},
        {"ColorVibrance", {-0.5f, 0.5f}}, {"ImageGrayLevel", {0.0f, 1.0f}}, {"ImageSepiaLevel", {0.0f, 1.0f}}};
    for (const ParamDesc& p : ShaderParamTable())
        if (sliders.count(p.name))
            for (float value : {sliders.at(p.name).first, sliders.at(p.name).second}) {
                cases.push_back({p.name + ("=" + std::to_string(value).substr(0, 4)), {}});
                cases.back().second.*p.floatField = value;
            }
    return cases;
}

}  // namespace

TEST(PostChainShader, ThePreviewComputesWhatTheInstalledShaderComputes) {
    const std::string tool = VANTREL_VKD3D_COMPILER;
    ASSERT_TRUE(fs::exists(tool)) << "run scripts/setup-vkd3d.sh";
    ASSERT_FALSE(LocateExecutable(u"spirv-cross").empty()) << "spirv-cross is not on the search path";
    // llvmpipe's fast path filters 8-bit textures in 8-bit fixed point, coarser
    // than any GPU; its float path filters as GPUs do.
    setenv("GALLIVM_PERF", "no_aos_sampling", 1);
    ASSERT_TRUE(UiHostCreateDisplay()) << "no OpenGL window: " << SDL_GetError();
    GLuint vertexArray = 0, buffers[2] = {0, 0};  // the one quad and the constant buffer
    glGenVertexArrays(1, &vertexArray);
    glBindVertexArray(vertexArray);
    glGenBuffers(2, buffers);
    const float corners[] = {-1, -1, 1, -1, -1, 1, 1, 1};
    glBindBuffer(GL_ARRAY_BUFFER, buffers[0]);
    glBufferData(GL_ARRAY_BUFFER, sizeof corners, corners, GL_STATIC_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
    glBindBufferBase(GL_UNIFORM_BUFFER, 0, buffers[1]);
    const ShaderTemplate* effectTemplate = FindShaderTemplate(u"Train_post_bloom");
    ASSERT_NE(effectTemplate, nullptr);

    // Each case's effect, preprocessed to read its passes; every entry point
    // compiled, two compiler runs at a time.
    const auto cases = Cases();
    ASSERT_EQ(cases.size(), 20u) << "a slider's name is not in the parameter table";
    TempDir work;
    std::vector<Effect> effects;
    std::vector<std::map<std::string, Compiled>> code(cases.size());  // by entry point
    std::vector<std::tuple<fs::path, std::string, fs::path>> jobs;  // source, entry, folder
    std::vector<Compiled*> results;                                  // of each job
    for (size_t n = 0; n < cases.size(); ++n) {
        const fs::path dir = work.path / std::to_string(n), source = dir / "Train_post_bloom.fx";
        fs::create_directories(dir);
        WriteText(source, BuildEffectSource(std::string(effectTemplate->text),
                                            BuildDefinitionList(u"Train_post_bloom", cases[n].second)));
        ASSERT_EQ(RunTool(tool + " -E -x hlsl -o " + (dir / "pre.fx").string() + " " + source.string(), dir / "err"), "");
        effects.push_back(ReadEffect(ReadText(dir / "pre.fx"), "AdaptiveBloom"));
        ASSERT_GE(effects.back().passes.size(), 7u) << "technique AdaptiveBloom not found in the effect";
        for (const Pass& pass : effects.back().passes) {
            if (code[n].count(pass.entry)) continue;
            jobs.emplace_back(source, pass.entry, dir);
            results.push_back(&code[n][pass.entry]);
        }
    }
    std::atomic<size_t> next{0};
    auto worker = [&] { for (size_t n; (n = next++) < jobs.size();) *results[n] = std::apply(Compile, jobs[n]); };
    std::thread helper(worker);
    worker();
    helper.join();

    const RgbaImage scene = MakePreviewScene(kWidth, kHeight);
    const PostTarget sceneTarget = TargetFromImage(scene);
    for (size_t n = 0; n < cases.size(); ++n) {
        for (const auto& [entry, compiled] : code[n]) ASSERT_EQ(compiled.error, "") << cases[n].first;
        std::string error;
        const std::map<std::string, RgbaImage> gl = RunOnGl(effects[n], code[n], scene, error);
        ASSERT_EQ(error, "") << cases[n].first;

        // Each step of the preview on the shader's own input for its pass, and
        // the whole chain on the scene.
        const PostChainSettings s = PostChainSettingsFrom(cases[n].second);
        PostChainTargets chain;
        RunPostChain(scene, s, &chain);
        std::map<std::string, std::string> targetOf;
        for (const Pass& pass : effects[n].passes) targetOf[pass.name] = pass.target;
        const auto gpu = [&](const std::string& pass) { return TargetFromImage(gl.at(targetOf.at(pass))); };
        std::array<PostTarget, kBloomLevels> bloom;
        std::map<std::string, std::pair<PostTarget, const RgbaImage*>> steps;  // by pass: alone, in the chain
        for (int level = 0; level < kBloomLevels; ++level) {
            const std::string name = "Bloom" + std::to_string(level + 1);
            bloom[level] = gpu(name);
            steps[name] = {PostStep::Bloom(level == 0 ? sceneTarget : bloom[level - 1], kWidth, kHeight, level),
                           &chain.bloom[level]};
        }
        steps["Reduce"] = {PostStep::Reduce(sceneTarget), &chain.reduce};
        steps["Luminance"] = {PostStep::Luminance(gpu("Reduce")), &chain.luminance};
        steps["Present"] = {PostStep::Present(sceneTarget, bloom, gpu("Luminance"), s), &chain.present};
        steps["Sharpen"] = {PostStep::Sharpen(gpu("Present"), s.ImageSharpness), &chain.sharpen};
        steps["HDR"] = {PostStep::Hdr(gpu("Sharpen"), s.HDRExposure), &chain.hdr};
        steps["Final"] = {PostStep::Final(gpu("HDR"), s.ColorBandingFix), &chain.final};

        std::string line = cases[n].first + " (pass alone / whole chain, channels > 2):";
        for (const Pass& pass : effects[n].passes) {
            ASSERT_TRUE(steps[pass.name].second) << "no step of the preview for pass " << pass.name;
            const RgbaImage& expected = gl.at(pass.target);
            const int single = Difference(expected, ImageFromTarget(steps[pass.name].first)).first;
            const auto [chained, over] = Difference(expected, *steps[pass.name].second);
            line += " " + pass.name + " " + std::to_string(single) + "/" + std::to_string(chained) + " (" +
                    std::to_string(over) + ")";
            // A pass fed the shader's own input gives its output up to a rounding
            // step; the banding fix's threshold may then tip one more.
            EXPECT_LE(single, pass.name == "Final" && s.ColorBandingFix ? 2 : 1) << cases[n].first << ": " << pass.name;
            // Along the chain a step grows where the exact value lies on a half
            // step (the sharpen weights make exact ties on grey pixels, which the
            // GPU's coordinate rounding breaks either way): the sharpen gain (up to
            // 1.9), the HDR power (1.2) and the banding fix's switch to a mean up
            // to 2.3 steps away carry it to 4 steps at the back buffer on very few
            // channels. All others stay within 2.
            EXPECT_LE(chained, 4) << cases[n].first << ": " << pass.name;
            EXPECT_LE(over, int(expected.pixels.size() / 1000)) << cases[n].first << ": " << pass.name;
        }
        std::printf("%s\n", line.c_str());
    }
}

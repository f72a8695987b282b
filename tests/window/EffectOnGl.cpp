#include "tests/window/EffectOnGl.h"

#define GL_GLEXT_PROTOTYPES 1
#include <SDL.h>
#include <SDL_opengl.h>

#include <cstdlib>
#include <cstring>
#include <regex>
#include <set>

#include "app/Platform.h"
#include "app/Text.h"

namespace {

const int kWidth = kEffectWidth, kHeight = kEffectHeight;

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

}  // namespace

std::string RunTool(const std::string& command, const fs::path& errors) {
    const bool ok = std::system((command + " 2>" + errors.string()).c_str()) == 0;
    return ok ? "" : command + ": " + ReadText(errors) + " ";
}

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

Compiled Compile(const fs::path& source, const std::string& entry, const fs::path& dir) {
    const std::string tool = VANTREL_VKD3D_COMPILER, base = (dir / entry).string();
    const fs::path errors = base + ".err";
    Compiled c;
    c.error = RunTool(tool + " -x hlsl -p ps_3_0 -e " + entry + " -b d3dbc -o " + base + ".d3dbc " + source.string(), errors);
    if (c.error.empty()) c.error = RunTool(tool + " -x d3dbc -b spirv-binary -o " + base + ".spv " + base + ".d3dbc", errors);
    // Temporaries throughout: Debian's SPIRV-Cross otherwise rewrites "r = r * a + b" as "r *= a + b".
    if (c.error.empty())
        c.error = RunTool(WideToUtf8(LocateExecutable(u"spirv-cross")) + " --version 330 --no-420pack-extension " +
                          "--force-temporary " + base + ".spv --output " + base + ".frag",
                      errors);
    if (c.error.empty()) c.glsl = ReadText(base + ".frag");
    c.registers = ConstantTable(ReadText(base + ".d3dbc"));
    return c;
}

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
    static const bool quad = [] {  // the one quad and the constant buffer, set once
        GLuint vertexArray = 0, buffers[2] = {0, 0};
        glGenVertexArrays(1, &vertexArray);
        glBindVertexArray(vertexArray);
        glGenBuffers(2, buffers);
        const float corners[] = {-1, -1, 1, -1, -1, 1, 1, 1};
        glBindBuffer(GL_ARRAY_BUFFER, buffers[0]);
        glBufferData(GL_ARRAY_BUFFER, sizeof corners, corners, GL_STATIC_DRAW);
        glEnableVertexAttribArray(0);
        glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
        glBindBufferBase(GL_UNIFORM_BUFFER, 0, buffers[1]);
        return true;
    }();
    (void)quad;
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


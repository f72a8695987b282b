#include "tests/window/D3D9OnGl.h"

#define GL_GLEXT_PROTOTYPES 1
#include <SDL_opengl.h>

#include <atomic>
#include <cstring>
#include <iterator>
#include <mutex>
#include <regex>

#include "app/Platform.h"
#include "preview/PostChain.h"
#include "shaders/ShaderTemplates.h"

namespace {

// Empty when the command succeeded, else the command and what it said. It
// runs in the folder of the errors file, where the compiler finds the headers.
std::string RunTool(const std::string& command, const fs::path& errors) {
    const std::string line = "cd '" + errors.parent_path().string() + "' && " + command + " 2>" + errors.string();
    const bool ok = std::system(line.c_str()) == 0;
    return ok ? "" : command + ": " + ReadText(errors) + " ";
}

// Direct3D 9 bytecode: the constant table ("CTAB") comment names the
// registers, and says how many each takes (a matrix of which three columns
// are read takes three).
std::map<std::string, std::pair<int, int>> ConstantTable(const std::string& code) {
    std::map<std::string, std::pair<int, int>> table;
    auto word = [&](size_t at) {
        uint32_t w = 0;
        if (at + 4 <= code.size()) std::memcpy(&w, code.data() + at, 4);
        return w;
    };
    for (size_t at = 4; at + 8 <= code.size() && (word(at) & 0xffff) == 0xfffe;
         at += 4 + ((word(at) >> 16) & 0x7fff) * 4) {
        if (word(at + 4) != 0x42415443) continue;
        const size_t base = at + 8;
        for (uint32_t n = 0; n < word(base + 12); ++n) {
            const size_t info = base + word(base + 16) + n * 20;
            if (base + word(info) < code.size())
                table[code.c_str() + base + word(info)] = {int(word(info + 4) >> 16), int(word(info + 8) & 0xffff)};
        }
    }
    return table;
}

// The semantics of a shader's input and output registers, from its
// declarations in the bytecode: "v0" -> "texcoord0", "o1" -> "color0".
std::map<std::string, std::string> Semantics(const std::string& code) {
    static const char* const usages[] = {"position", "blendweight", "blendindices", "normal", "psize", "texcoord",
                                         "tangent", "binormal", "tessfactor", "positiont", "color", "fog", "depth",
                                         "sample"};
    std::map<std::string, std::string> io;
    auto word = [&](size_t n) {
        uint32_t w = 0;
        if ((n + 1) * 4 <= code.size()) std::memcpy(&w, code.data() + n * 4, 4);
        return w;
    };
    for (size_t n = 1; (n + 1) * 4 <= code.size() && word(n) != 0x0000ffff;) {
        const uint32_t token = word(n);
        if ((token & 0xffff) == 0xfffe) {  // a comment: its length in the upper half
            n += 1 + ((token >> 16) & 0x7fff);
            continue;
        }
        const size_t length = (token >> 24) & 0xf;
        if ((token & 0xffff) == 0x1f && length == 2) {  // dcl: usage, then the register
            const uint32_t usage = word(n + 1), reg = word(n + 2);
            const uint32_t type = ((reg >> 28) & 7) | ((reg >> 8) & 0x18);
            if ((usage & 0x1f) < std::size(usages) && (type == 1 || type == 6))
                io[(type == 1 ? "v" : "o") + std::to_string(reg & 0x7ff)] =
                    usages[usage & 0x1f] + std::to_string((usage >> 16) & 0xf);
        }
        n += 1 + length;
    }
    return io;
}

// One shader (HLSL -> Direct3D 9 bytecode -> SPIR-V -> GLSL), its files
// written next to its source. Bytecode met before (most passes do not read
// the settings a case changes) is translated once.
CompiledShader Compile(const fs::path& source, const std::string& entry, const std::string& profile) {
    static std::mutex mutex;
    static std::map<std::string, CompiledShader> translated;  // by bytecode
    const std::string tool = VANTREL_VKD3D_COMPILER, base = (source.parent_path() / (entry + "." + profile)).string();
    CompiledShader c;
    c.error = RunTool(tool + " -x hlsl -p " + profile + " -e " + entry + " -b d3dbc -o " + base + ".d3dbc " +
                          source.string(),
                      base + ".err");
    if (!c.error.empty()) return c;
    const std::string code = ReadText(base + ".d3dbc");
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (translated.count(code)) return translated.at(code);
    }
    // Temporaries throughout: Debian's SPIRV-Cross otherwise rewrites "r = r * a + b" as "r *= a + b".
    for (const std::string& command :
         {tool + " -x d3dbc -b spirv-binary -o " + base + ".spv " + base + ".d3dbc",
          WideToUtf8(LocateExecutable(u"spirv-cross")) + " --version 330 --no-420pack-extension --force-temporary " +
              base + ".spv --output " + base + ".glsl"}) {
        if (c.error.empty()) c.error = RunTool(command, base + ".err");
    }
    if (!c.error.empty()) return c;
    c.glsl = ReadText(base + ".glsl");
    c.registers = ConstantTable(code);
    c.io = Semantics(code);
    std::lock_guard<std::mutex> lock(mutex);
    translated[code] = c;
    return c;
}

// The block of `technique <name>`, braces matched.
std::string TechniqueBody(const std::string& text, const std::string& technique) {
    std::smatch m;
    if (!std::regex_search(text, m, std::regex("technique\\s+" + technique + "\\s*\\{"))) return "";
    const size_t open = size_t(m.position(0) + m.length(0)) - 1;
    int depth = 0;
    for (size_t at = open; at < text.size(); ++at) {
        depth += text[at] == '{' ? 1 : (text[at] == '}' ? -1 : 0);
        if (depth == 0) return text.substr(open, at - open + 1);
    }
    return "";
}

// The last value a pass body gives a render state.
std::string State(const std::string& body, const std::string& name) {
    std::string value;
    const std::regex state("\\b" + name + "\\s*=\\s*(\\w+)\\s*;");
    for (std::sregex_iterator it(body.begin(), body.end(), state), end; it != end; ++it) value = (*it)[1];
    return value;
}

}  // namespace

EffectBuilder::EffectBuilder(const fs::path& folder, int viewWidth, int viewHeight)
    : folder_(folder), width_(viewWidth), height_(viewHeight) {}

const EffectBuild* EffectBuilder::Add(const std::string& effectName, const std::string& source,
                                      const std::string& technique) {
    const std::string key = technique + "\n" + source;
    if (builds_.count(key)) return &builds_.at(key);
    EffectBuild& build = builds_[key];
    const fs::path dir = folder_ / std::to_string(builds_.size());
    for (const ShaderTemplate& t : ShaderTemplates())
        if (t.kind == TemplateKind::Header) WriteText(dir / WideToUtf8(t.name), std::string(t.text));
    const fs::path file = dir / (effectName + ".fx");
    WriteText(file, source);
    const std::string tool = VANTREL_VKD3D_COMPILER;
    build.error = RunTool(tool + " -E -x hlsl -o " + (dir / "pre.fx").string() + " " + file.string(), dir / "err");
    const std::string text = ReadText(dir / "pre.fx"), body = TechniqueBody(text, technique);
    if (build.error.empty() && body.empty()) build.error = "technique " + technique + " not found in " + effectName;

    const std::regex pass(R"(pass\s+(\w+)\s*(<[^>]*>)?\s*\{([^}]*)\})");
    const std::regex target(R"(RenderTarget\s*=\s*\"(\w+)\")");
    const std::regex shader(R"((Vertex|Pixel)Shader\s*=\s*compile\s+(\w+)\s+(\w+))");
    std::smatch m;
    for (std::sregex_iterator it(body.begin(), body.end(), pass), end; it != end; ++it) {
        EffectPass p;
        p.name = (*it)[1];
        const std::string annotation = (*it)[2], states = (*it)[3];
        if (std::regex_search(annotation, m, target)) p.target = m[1];
        for (std::sregex_iterator s(states.begin(), states.end(), shader); s != end; ++s) {
            (*s)[1] == "Vertex" ? p.vertexShader = (*s)[3] : p.pixelShader = (*s)[3];
            CompiledShader& compiled = build.shaders[(*s)[3]];
            if (std::none_of(jobs_.begin(), jobs_.end(), [&](const auto& j) { return std::get<3>(j) == &compiled; }))
                jobs_.emplace_back(file, (*s)[3], (*s)[2], &compiled);
        }
        p.blend = State(states, "AlphaBlendEnable") == "true";
        p.sourceBlend = State(states, "SrcBlend");
        p.destBlend = State(states, "DestBlend");
        p.alphaTest = State(states, "AlphaTestEnable") == "true";
        if (p.alphaTest && State(states, "AlphaFunc") != "Greater")
            build.error += "pass " + p.name + ": an alpha test other than Greater ";
        p.alphaRef = p.alphaTest ? std::stoi(State(states, "AlphaRef")) : 0;
        build.passes.push_back(p);
    }

    const std::regex texture(R"(texture\s+(\w+)\s*:\s*(\w+)\s*(<[^>]*>)?\s*;)");
    const std::regex dimensions(R"((Dimensions|ViewportRatio)\s*=\s*\{\s*([\d.]+)\s*,\s*([\d.]+))");
    for (std::sregex_iterator it(text.begin(), text.end(), texture), end; it != end; ++it) {
        std::pair<int, int> size(width_, height_);
        const std::string annotation = (*it)[3];
        if (std::regex_search(annotation, m, dimensions))
            size = m[1] == "Dimensions" ? std::pair(int(std::stof(m[2])), int(std::stof(m[3])))
                                        : std::pair(BloomTargetSize(width_, std::stof(m[2])),
                                                    BloomTargetSize(height_, std::stof(m[3])));
        build.textures[(*it)[1]] = {(*it)[2], size};
    }
    const std::regex sampler(R"(sampler2D\s+(\w+)\s*=\s*sampler_state\s*\{[^}]*Texture\s*=\s*<\s*(\w+)\s*>([^}]*)\})");
    for (std::sregex_iterator it(text.begin(), text.end(), sampler), end; it != end; ++it)
        build.samplers[(*it)[1]] = {(*it)[2],
                                    std::regex_search((*it)[3].str(), std::regex(R"(MinFilter\s*=\s*Point)"))};
    return &build;
}

void EffectBuilder::Run() {
    std::atomic<size_t> next{0};
    auto worker = [&] {
        for (size_t n; (n = next++) < jobs_.size();) {
            const auto& [source, entry, profile, result] = jobs_[n];
            *result = Compile(source, entry, profile);
        }
    };
    std::thread helper(worker);
    worker();
    helper.join();
    jobs_.clear();
    for (auto& [key, build] : builds_)
        for (const auto& [entry, compiled] : build.shaders)
            if (!compiled.error.empty()) build.error += entry + ": " + compiled.error;
}

namespace {

GLuint gQuad = 0, gPoints = 0, gRegisters[2] = {0, 0};  // buffers

std::string Renamed(std::string glsl, const std::map<std::string, std::string>& io, char kind) {
    for (const auto& [reg, semantic] : io)
        if (reg[0] == kind) glsl = std::regex_replace(glsl, std::regex("\\b" + reg + "\\b"), "d3d_" + semantic);
    return glsl;
}

// The vertex shader's output put where Direct3D 9 puts it: row 0 of a
// target, the top, is row 0 of OpenGL's, and pixel centres lie half a pixel
// off, so the quad's texture coordinate reaches pixel i as i / N.
std::string VertexGlsl(const CompiledShader& vs) {
    std::string glsl = Renamed(vs.glsl, vs.io, 'o');
    glsl = std::regex_replace(glsl, std::regex(R"(\bcb(\d+)_struct\b)"), "vs_cb$1_struct");
    glsl.insert(glsl.find('\n') + 1, "uniform vec2 d3dTargetSize;\n");
    glsl.insert(glsl.rfind('}'), "    gl_Position.y = -gl_Position.y;\n"
                                 "    gl_Position.xy += gl_Position.w / d3dTargetSize;\n");
    return glsl;
}

// Points mode: each point covers its pixel and carries the pixel shader's inputs.
std::string PointsVertexGlsl(const std::string& pixelGlsl, const std::vector<std::string>& semantics) {
    std::string glsl = "#version 330\nlayout(location = 0) in vec2 d3d_pixel;\nuniform vec2 d3dTargetSize;\n", body;
    for (size_t n = 0; n < semantics.size(); ++n) {
        std::smatch m;
        const std::string& s = semantics[n];
        std::regex_search(pixelGlsl, m, std::regex("in\\s+(vec[234]|float)\\s+d3d_" + s + "\\s*;"));
        const std::string type = m[1];
        const std::string swizzle = type == "float" ? ".x" : type == "vec2" ? ".xy" : type == "vec3" ? ".xyz" : "";
        glsl += "layout(location = " + std::to_string(n + 1) + ") in vec4 d3d_point_" + s + ";\nout " + type +
                " d3d_" + s + ";\n";
        body += "    d3d_" + s + " = d3d_point_" + s + swizzle + ";\n";
    }
    return glsl + "void main()\n{\n    gl_PointSize = 1.0;\n"
                  "    gl_Position = vec4((d3d_pixel + 0.5) / d3dTargetSize * 2.0 - 1.0, 0.0, 1.0);\n" +
           body + "}\n";
}

std::string PixelGlsl(const CompiledShader& ps, const EffectPass& pass) {
    std::string glsl = Renamed(ps.glsl, ps.io, 'v');
    if (!pass.alphaTest) return glsl;
    glsl = std::regex_replace(glsl, std::regex(R"(\bvoid main\(\))"), "void d3d_main()");
    return glsl + "\nvoid main()\n{\n    d3d_main();\n    if (!(o0.w > " + std::to_string(pass.alphaRef) +
           ".0 / 255.0)) discard;\n}\n";
}

// A program linked once for the whole run: the same shaders recur from case to case.
GLuint Program(const std::string& vertex, const std::string& fragment, std::string& log) {
    static std::map<std::string, GLuint> linked;
    const std::string key = vertex + '\0' + fragment;
    if (linked.count(key)) return linked.at(key);
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
        glDeleteShader(shader);
    }
    glLinkProgram(program);
    GLint done = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &done);
    if (done) {
        log.clear();
        linked[key] = program;
    } else {
        char buffer[4096] = "";
        glGetProgramInfoLog(program, sizeof buffer, nullptr, buffer);
        log += buffer;
    }
    return program;
}

GLenum BlendFactor(const std::string& name) {
    static const std::map<std::string, GLenum> factors = {{"One", GL_ONE},
                                                          {"Zero", GL_ZERO},
                                                          {"SrcAlpha", GL_SRC_ALPHA},
                                                          {"InvSrcAlpha", GL_ONE_MINUS_SRC_ALPHA}};
    return factors.count(name) ? factors.at(name) : GL_ZERO;
}

// Registers of one stage from the constants given by name; its samplers bound.
std::vector<float> Registers(const CompiledShader& shader, const EffectBuild& build, const GlRunInputs& inputs,
                             const std::map<std::string, GLuint>& textures,
                             const std::map<std::string, GLuint>& samplers,
                             GLuint program) {
    std::vector<float> registers(4 * 256, 0.0f);
    for (const auto& [name, place] : shader.registers) {
        const auto [index, count] = place;
        if (build.samplers.count(name)) {
            glActiveTexture(GL_TEXTURE0 + index);
            glBindTexture(GL_TEXTURE_2D, textures.at(build.samplers.at(name).first));
            glBindSampler(index, samplers.at(name));
            const std::string uniform = "SPIRV_Cross_Combinedt" + std::to_string(index) + "s" + std::to_string(index);
            glUniform1i(glGetUniformLocation(program, uniform.c_str()), index);
        } else if (inputs.constants.count(name)) {
            const std::vector<float>& values = inputs.constants.at(name);
            const size_t floats = std::min<size_t>(values.size(), size_t(count) * 4);
            if (size_t(index + count) * 4 <= registers.size())
                std::copy(values.begin(), values.begin() + floats, registers.begin() + index * 4);
        }
    }
    return registers;
}

RgbaImage ReadBack(GLuint framebuffer, int width, int height) {
    RgbaImage image{width, height, std::vector<uint8_t>(size_t(width) * height * 4)};
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, image.pixels.data());
    return image;
}

}  // namespace

void PrepareGl() {
    GLuint vertexArray = 0;
    glGenVertexArrays(1, &vertexArray);
    glBindVertexArray(vertexArray);
    glGenBuffers(1, &gQuad);
    glGenBuffers(1, &gPoints);
    glGenBuffers(2, gRegisters);
    // The game's full-screen quad: position, then texture coordinate, top left first.
    const float corners[] = {-1, 1, 0, 1, 0, 0, 0, 0, 1, 1, 0, 1, 1, 0, 0, 0,
                             -1, -1, 0, 1, 0, 1, 0, 0, 1, -1, 0, 1, 1, 1, 0, 0};
    glBindBuffer(GL_ARRAY_BUFFER, gQuad);
    glBufferData(GL_ARRAY_BUFFER, sizeof corners, corners, GL_STATIC_DRAW);
    for (GLuint b = 0; b < 2; ++b) glBindBufferBase(GL_UNIFORM_BUFFER, b, gRegisters[b]);
}

GlRun RunOnGl(const EffectBuild& build, const GlRunInputs& in) {
    GlRun run;
    if (!build.error.empty()) {
        run.error = build.error;
        return run;
    }
    std::map<std::string, std::pair<int, int>> sizes = {{"", {in.width, in.height}}};
    std::map<std::string, GLuint> textures, framebuffers, samplers;
    for (const auto& [name, texture] : build.textures) sizes[name] = texture.second;
    for (const auto& [name, size] : sizes) {
        const std::string semantic = name.empty() ? "" : build.textures.at(name).first;
        GLuint& t = textures[name];
        glGenTextures(1, &t);
        glBindTexture(GL_TEXTURE_2D, t);
        const bool depth = semantic == "GBUFFERDEPTH" && in.depth.size() == size_t(size.first) * size.second;
        const void* data = name.empty() || semantic == "SCENECOLOUR" ? in.frame.pixels.data()
                           : semantic == "GBUFFERMATERIAL"           ? in.material.pixels.data()
                           : depth                                   ? static_cast<const void*>(in.depth.data())
                                                                     : nullptr;
        if (depth) {
            glTexImage2D(GL_TEXTURE_2D, 0, GL_R32F, size.first, size.second, 0, GL_RED, GL_FLOAT, data);
        } else {
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, size.first, size.second, 0, GL_RGBA, GL_UNSIGNED_BYTE, data);
        }
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
        glGenFramebuffers(1, &framebuffers[name]);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffers[name]);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, t, 0);
    }
    for (const auto& [name, sampler] : build.samplers) {
        GLuint& s = samplers[name];
        glGenSamplers(1, &s);
        const GLint filter = sampler.second ? GL_NEAREST : GL_LINEAR;
        glSamplerParameteri(s, GL_TEXTURE_MIN_FILTER, filter);
        glSamplerParameteri(s, GL_TEXTURE_MAG_FILTER, filter);
        glSamplerParameteri(s, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glSamplerParameteri(s, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    }
    // Points mode: the pixel and the inputs of every point.
    std::vector<std::string> semantics;
    for (const auto& [semantic, values] : in.pointInputs) semantics.push_back(semantic);
    if (!in.points.empty()) {
        std::vector<float> data;
        for (size_t n = 0; n < in.points.size(); ++n) {
            data.push_back(float(in.points[n].first));
            data.push_back(float(in.points[n].second));
            for (const std::string& s : semantics) {
                const float* values = &in.pointInputs.at(s)[n * 4];
                data.insert(data.end(), values, values + 4);
            }
        }
        glBindBuffer(GL_ARRAY_BUFFER, gPoints);
        glBufferData(GL_ARRAY_BUFFER, data.size() * 4, data.data(), GL_STREAM_DRAW);
    }

    for (const EffectPass& pass : build.passes) {
        const CompiledShader& ps = build.shaders.at(pass.pixelShader);
        const std::string fragment = PixelGlsl(ps, pass);
        const std::string vertex = in.points.empty() ? VertexGlsl(build.shaders.at(pass.vertexShader))
                                                     : PointsVertexGlsl(fragment, semantics);
        const GLuint program = Program(vertex, fragment, run.error);
        if (!run.error.empty()) {
            run.error = pass.name + ": " + run.error;
            return run;
        }
        glUseProgram(program);
        const auto [w, h] = sizes.at(pass.target);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffers.at(pass.target));
        glViewport(0, 0, w, h);
        glUniform2f(glGetUniformLocation(program, "d3dTargetSize"), float(w), float(h));
        if (pass.blend && !in.unblended.count(pass.name)) {
            glEnable(GL_BLEND);
            glBlendFunc(BlendFactor(pass.sourceBlend), BlendFactor(pass.destBlend));
        } else {
            glDisable(GL_BLEND);
        }
        const std::vector<float> psRegisters = Registers(ps, build, in, textures, samplers, program);
        std::vector<float> vsRegisters(4 * 256, 0.0f);
        if (in.points.empty())
            vsRegisters = Registers(build.shaders.at(pass.vertexShader), build, in, textures, samplers, program);
        for (int b = 0; b < 2; ++b) {
            const std::vector<float>& r = b == 0 ? psRegisters : vsRegisters;
            glBindBuffer(GL_UNIFORM_BUFFER, gRegisters[b]);
            glBufferData(GL_UNIFORM_BUFFER, r.size() * 4, r.data(), GL_STREAM_DRAW);
        }
        GLint blocks = 0;
        glGetProgramiv(program, GL_ACTIVE_UNIFORM_BLOCKS, &blocks);
        for (GLint b = 0; b < blocks; ++b) {
            char name[64] = "";
            glGetActiveUniformBlockName(program, b, sizeof name, nullptr, name);
            glUniformBlockBinding(program, b, std::strncmp(name, "vs_", 3) == 0 ? 1 : 0);
        }
        for (GLuint a = 0; a < 8; ++a) glDisableVertexAttribArray(a);
        if (in.points.empty()) {
            glBindBuffer(GL_ARRAY_BUFFER, gQuad);
            const CompiledShader& vs = build.shaders.at(pass.vertexShader);
            for (const auto& [reg, semantic] : vs.io) {
                if (reg[0] != 'v' || (semantic != "position0" && semantic != "texcoord0")) continue;
                const GLuint location = GLuint(std::stoi(reg.substr(1)));
                glEnableVertexAttribArray(location);
                glVertexAttribPointer(location, 4, GL_FLOAT, GL_FALSE, 32,
                                      reinterpret_cast<const void*>(semantic == "position0" ? 0 : 16));
            }
            glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
        } else {
            glBindBuffer(GL_ARRAY_BUFFER, gPoints);
            const GLsizei stride = GLsizei(4 * (2 + 4 * semantics.size()));
            glEnableVertexAttribArray(0);
            glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, stride, nullptr);
            for (size_t n = 0; n < semantics.size(); ++n) {
                glEnableVertexAttribArray(GLuint(n + 1));
                glVertexAttribPointer(GLuint(n + 1), 4, GL_FLOAT, GL_FALSE, stride,
                                      reinterpret_cast<const void*>(4 * (2 + 4 * n)));
            }
            glDrawArrays(GL_POINTS, 0, GLsizei(in.points.size()));
        }
        run.afterPass.push_back(ReadBack(framebuffers.at(pass.target), w, h));
    }
    run.backBuffer = ReadBack(framebuffers.at(""), in.width, in.height);
    for (auto& [name, t] : textures) {
        glDeleteFramebuffers(1, &framebuffers.at(name));
        glDeleteTextures(1, &t);
    }
    for (auto& [name, s] : samplers) glDeleteSamplers(1, &s);
    glDisable(GL_BLEND);
    return run;
}

ImageDifference Difference(const RgbaImage& a, const RgbaImage& b) {
    ImageDifference d;
    if (a.width != b.width || a.height != b.height || a.pixels.size() != b.pixels.size()) {
        d.largest = 256;
        return d;
    }
    for (size_t n = 0; n < a.pixels.size(); ++n) {
        if (n % 4 == 3) continue;
        const int step = std::abs(int(a.pixels[n]) - int(b.pixels[n]));
        d.largest = std::max(d.largest, step);
        d.overTwo += step > 2;
        ++d.channels;
    }
    return d;
}

#include "shaders/ShaderCompiler.h"

#include <algorithm>
#include <vector>

#include "app/AppPaths.h"
#include "app/FileIo.h"
#include "app/FileProbes.h"
#include "app/Platform.h"
#include "app/SystemEffectCompiler.h"
#include "app/Text.h"
#include "shaders/CompilerMessages.h"
#include "shaders/EffectBinary.h"

namespace {

// fxc.exe with the options /Gec /T fx_2_0 /nologo /O3 /Fo, run in the program
// folder so that the relative temp\ paths name the work folder.
EffectCompileResult RunFxc(const std::u16string& fxc, const std::u16string& name) {
    const std::vector<std::u16string> arguments = {
        u"/Gec", u"/T", u"fx_2_0", u"/nologo", u"/O3", u"/Fo", u"temp\\" + name + u".fx.o", u"temp\\" + name + u".fx",
    };
    EffectCompileResult result;
    const int exitCode = RunProcessAndWait(fxc, arguments, AppPaths.programFolder, &result.messages);
    result.ok = exitCode == 0;
    if (exitCode == -1) {
        result.messages = "The compiler could not be started: " + WideToUtf8(fxc);
    } else if (!result.ok && result.messages.empty()) {
        result.messages = "The compiler ended with exit code " + std::to_string(exitCode) + " and no message.";
    }
    return result;
}

std::string Joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
    return text;
}

// What of the declared techniques the effect lacks; the passes of a technique
// are looked for in any technique of that name.
std::string MissingDeclarations(const EffectInterface& effect, const std::vector<DeclaredTechnique>& declared) {
    std::vector<std::string> missing;
    for (const DeclaredTechnique& technique : declared) {
        std::vector<std::string> passes;
        bool found = false;
        for (const EffectTechnique& written : effect.techniques) {
            if (written.name != technique.name) continue;
            found = true;
            passes.insert(passes.end(), written.passes.begin(), written.passes.end());
        }
        if (!found) {
            missing.push_back("technique " + technique.name);
            continue;
        }
        for (const std::string& pass : technique.passes) {
            const auto at = std::find(passes.begin(), passes.end(), pass);
            if (at == passes.end()) {
                missing.push_back("pass " + pass + " of technique " + technique.name);
            } else {
                passes.erase(at);  // two passes of one name are two passes
            }
        }
    }
    return missing.empty() ? std::string() : "lacks " + Joined(missing);
}

}  // namespace

bool DeclaredTechniquesOf(const std::string& sourceCrLf, std::vector<DeclaredTechnique>& techniques) {
    const auto include = [](const std::string& header, std::string& text) {
        const std::u16string name = Utf8ToWide(header);
        return !name.empty() && ReadFileBytes(AppPaths.workFolder + name, text);
    };
    return FindDeclaredTechniques(sourceCrLf, include, techniques);
}

std::string IncompleteEffectProblem(const std::string& sourceCrLf, const std::u16string& file) {
    std::string bytes;
    if (!ReadFileBytes(file, bytes)) return "cannot be read";
    EffectInterface effect;
    if (!ReadEffectInterface(bytes, effect)) {
        return bytes.empty() ? "is empty" : "does not read as an fx_2_0 effect (cut short, damaged or of another kind)";
    }
    // A source this cannot follow leaves only the reading as the test; the
    // templates are all followed (the shader check makes sure).
    std::vector<DeclaredTechnique> declared;
    if (!DeclaredTechniquesOf(sourceCrLf, declared)) return std::string();
    return MissingDeclarations(effect, declared);
}

EffectCompileResult CompileEffectSource(const EffectCompilerChoice& compiler, const std::u16string& name,
                                        const std::string& sourceCrLf) {
    const std::u16string source = AppPaths.workFolder + name + u".fx";
    const std::u16string output = AppPaths.workFolder + name + u".fx.o";
    RemoveFileIfExists(output);  // a stale output must never pass for this run's
    EffectCompileResult result;
    if (!WriteFileBytes(source, sourceCrLf)) {
        result.messages = "Can't write the effect source " + WideToUtf8(source);
        return result;
    }
    if (compiler.kind == EffectCompilerKind::Fxc) {
        result = RunFxc(compiler.location, name);
    } else if (compiler.kind == EffectCompilerKind::System) {
        result.ok = CompileWithSystemEffectCompiler(sourceCrLf, WideToUtf8(name) + ".fx", AppPaths.workFolder,
                                                    output, result.messages);
    } else {
        result.messages = "No shader compiler";
    }
    result.messages = CompilerMessagesAsText(result.messages);
    if (!result.messages.empty() && result.messages.back() != '\n') result.messages += '\n';
    if (result.ok) {
        const std::string problem =
            PathExists(output) ? IncompleteEffectProblem(sourceCrLf, output) : "was not written";
        if (!problem.empty()) {
            result.ok = false;
            result.messages += "The compiler reported success, but its " + WideToUtf8(name) + ".fx.o " + problem +
                               "; nothing of it is installed.\n";
        }
    }
    RemoveFileIfExists(source);
    if (!result.ok) {
        RemoveFileIfExists(output);
        if (compiler.kind == EffectCompilerKind::System) result.advice = WideToUtf8(compiler.advice);
    }
    return result;
}

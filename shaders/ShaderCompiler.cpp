#include "shaders/ShaderCompiler.h"

#include <vector>

#include "app/AppPaths.h"
#include "app/FileIo.h"
#include "app/FileProbes.h"
#include "app/Platform.h"
#include "app/SystemEffectCompiler.h"
#include "app/Text.h"

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

// A compiler writes in the system's code page; what is not UTF-8 is read as
// Latin-1, so that no line of it is lost in the log or the popup.
std::string AsUtf8(const std::string& bytes) {
    if (bytes.empty() || !Utf8ToWide(bytes).empty()) return bytes;
    std::u16string wide;
    for (unsigned char c : bytes) wide.push_back(static_cast<char16_t>(c));
    return WideToUtf8(wide);
}

}  // namespace

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
    RemoveFileIfExists(source);
    result.messages = AsUtf8(result.messages);
    if (result.ok && !PathExists(output)) {
        result.ok = false;
        result.messages += "The compiler reported success but wrote no " + WideToUtf8(name) + ".fx.o\n";
    }
    return result;
}

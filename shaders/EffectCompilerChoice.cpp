#include "shaders/EffectCompilerChoice.h"

#include <filesystem>

#include "app/AppPaths.h"
#include "app/FileProbes.h"
#include "app/Platform.h"
#include "app/SystemEffectCompiler.h"
#include "app/Text.h"

namespace {

// A new compiler version at the same place gives other outputs: its size and
// time stamp are part of what a kept output was made with.
std::string FileIdentity(const std::u16string& path) {
    std::error_code sizeError, timeError;
    const auto size = std::filesystem::file_size(FsPath(path), sizeError);
    const auto time = std::filesystem::last_write_time(FsPath(path), timeError);
    return WideToUtf8(path) + "|" + (sizeError ? "?" : std::to_string(size)) + "|" +
           (timeError ? "?" : std::to_string(time.time_since_epoch().count()));
}

}  // namespace

EffectCompilerChoice ChooseEffectCompiler() {
    EffectCompilerChoice choice;
    const std::u16string fxc = LocateExecutable(u"fxc.exe");
    if (!fxc.empty()) {
        const std::u16string problem = ProgramStartProblem(fxc);
        if (!problem.empty()) {
            choice.problem = u"ERROR: " + problem;
            return choice;
        }
        choice.kind = EffectCompilerKind::Fxc;
        choice.location = fxc;
        choice.description = u"Shader compiler: fxc.exe (" + fxc + u")";
        choice.identity = "fxc|" + FileIdentity(fxc);
        return choice;
    }
    std::u16string location, problem;
    if (FindSystemEffectCompiler(location, problem)) {
        choice.kind = EffectCompilerKind::System;
        choice.location = location;
        const bool wines = SystemEffectCompilerIsWines();
        choice.description = u"Shader compiler: the system's d3dcompiler_47.dll (" + location + u")";
        if (wines) {
            choice.description += u", Wine's own (Wine " + Utf8ToWide(WineVersion()) + u")";
            choice.advice = EffectCompilerAdvice(AppPaths.programFolder);
        }
        choice.identity = "d3dcompiler_47|" + FileIdentity(location);
        return choice;
    }
    choice.advice = EffectCompilerAdvice(AppPaths.programFolder);
    choice.problem = u"ERROR: No shader compiler: fxc.exe was not found beside the program (" +
                     AppPaths.programFolder + u") nor on the PATH, and " + problem + u". " + choice.advice;
    return choice;
}

#include "shaders/ShaderCompiler.h"

#include <chrono>
#include <thread>
#include <vector>

#include "app/AppPaths.h"
#include "app/FileIo.h"
#include "app/FileProbes.h"
#include "app/Log.h"
#include "app/Platform.h"
#include "settings/Settings.h"

bool CompileEffect(const std::u16string& name, std::string templateText, DefinitionList definitions,
                   EffectPlacement* placement) {
    const std::u16string source = AppPaths.workFolder + name + u".fx";
    const std::u16string output = AppPaths.workFolder + name + u".fx.o";
    // A write failure shows up as a compiler failure below.
    WriteTextFileCrLf(source, BuildEffectSource(std::move(templateText), definitions));

    const std::vector<std::u16string> arguments = {
        u"/Gec ", u"/T ", u"fx_2_0 ", u"/nologo ", u"/O3 ", u"/Fo ",
        u"\"temp\\" + name + u".fx.o\" \"temp\\" + name + u".fx\"",
    };
    if (LocateExecutable(u"fxc.exe").empty()) {
        // Without this line the user only learns that the process failed.
        Log(u"fxc.exe was not found beside the program (" + AppPaths.programFolder +
            u") nor on the PATH; put fxc.exe from the Windows SDK beside Vantrel");
    }
    // Run in the program folder so that the relative temp\ paths name the work folder.
    const int exitCode = RunProcessAndWait(u"fxc.exe", arguments, AppPaths.programFolder);
    const bool ok = exitCode == 0;
    if (!ok) Log(u"ERROR: Shader compilation error for shader: " + name);

    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    RemoveFileIfExists(source);
    if (!ok) return false;

    // Checked against the game's interface, recorded and written by one call.
    const EffectPlacement placed = PutEffectIntoGame(Settings::Instance().TSPath, name, output);
    RemoveFileIfExists(output);
    if (placement) *placement = placed;
    return placed.outcome != PlacementOutcome::Failed;
}

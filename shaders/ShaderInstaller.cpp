#include "shaders/ShaderInstaller.h"

#include <string>
#include <vector>

#include "app/AppPaths.h"
#include "app/FileIo.h"
#include "app/FileProbes.h"
#include "app/Log.h"
#include "game/PlayerProfile.h"
#include "game/WeatherPack.h"
#include "settings/Settings.h"
#include "shaders/Definitions.h"
#include "shaders/ShaderCompiler.h"
#include "shaders/ShaderTemplates.h"
#include "shaders/SkyOverride.h"

ShaderInstaller& ShaderInstaller::Instance() {
    // Never destroyed, so it can be read at any point of the shutdown.
    static ShaderInstaller* const instance = new ShaderInstaller();
    return *instance;
}

namespace {
// Exists before the main routine starts.
[[maybe_unused]] ShaderInstaller& kInstallerAtStart = ShaderInstaller::Instance();

// Effects the weather add-on replaces with its own.
bool LeftToWeatherPack(const std::u16string& effect) {
    return effect == u"PostTrainVolumetricFog" || effect == u"TrainGlass" ||
           effect == u"TrainGlassWeatherEffects" || effect == u"TrainSkyDome";
}

void CleanWorkFolder() {
    std::vector<DirectoryEntry> entries;
    ListDirectory(AppPaths.workFolder, entries);
    // An entry that cannot be deleted (held open elsewhere, a non-empty folder) stays.
    for (const DirectoryEntry& entry : entries) RemoveFileIfExists(AppPaths.workFolder + entry.name);
}
}  // namespace

bool ShaderInstaller::Install() {
    ShaderInstaller& state = Instance();
    Settings& settings = Settings::Instance();
    Log(std::u16string(u"Compiling shaders..."));
    if (settings.TSPath.empty()) {
        Log(std::string("Can't install/update TS enhanced shaders. TS Path is empty"));
        state.installOK = false;
        return false;
    }

    CreateDirectories(AppPaths.workFolder);
    for (const ShaderTemplate& t : ShaderTemplates()) {
        if (t.kind != TemplateKind::Header) continue;
        WriteTextFileCrLf(AppPaths.workFolder + t.name, std::string(t.text));
    }

    state.effectsInstalled = 0;
    state.effectsCompiled = 0;
    state.keptEffects.clear();
    for (const ShaderTemplate& t : ShaderTemplates()) {
        if (t.kind != TemplateKind::Effect) continue;
        // Asked afresh for each guarded effect: the add-on may appear mid-run.
        if (LeftToWeatherPack(t.name) && IsWeatherPackInstalled()) continue;
        EffectPlacement placed;
        if (!CompileEffect(t.name, std::string(t.text), BuildDefinitionList(t.name, settings.Shader), &placed)) {
            state.installOK = false;
            return false;
        }
        ++state.effectsCompiled;
        if (placed.outcome == PlacementOutcome::Installed) ++state.effectsInstalled;
        if (placed.outcome == PlacementOutcome::KeptGameEffect) state.keptEffects.push_back(t.name);
    }

    CleanWorkFolder();
    WriteSkyOverride(settings);
    state.forcedTSX = false;
    state.forcedBloom = false;
    PatchPlayerProfiles(state.forcedBloom, state.forcedTSX);

    settings.ShadersInstallOK = true;
    settings.NeedShadersUpdate = false;
    settings.ShadersVersion = APP_VERSION;
    Log(std::u16string(u"Shaders compilation done"));
    state.installOK = true;
    return true;
}

void ShaderInstaller::GetInstallResult(bool& installOK, bool& forcedTSX, bool& forcedBloom) {
    const ShaderInstaller& state = Instance();
    installOK = state.installOK;
    forcedTSX = state.forcedTSX;
    forcedBloom = state.forcedBloom;
}

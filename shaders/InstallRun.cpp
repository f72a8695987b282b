#include "shaders/InstallRun.h"

#include <algorithm>
#include <thread>

#include "app/AppPaths.h"
#include "app/FileIo.h"
#include "app/FileProbes.h"
#include "app/Log.h"
#include "app/Text.h"
#include "game/PlayerProfile.h"
#include "game/WeatherPack.h"
#include "settings/Settings.h"
#include "shaders/CompiledEffectCache.h"
#include "shaders/Definitions.h"
#include "shaders/EffectPlacement.h"
#include "shaders/ParallelCompile.h"
#include "shaders/ShaderTemplates.h"
#include "shaders/SkyOverride.h"

namespace {

// Effects the weather add-on replaces with its own.
bool LeftToWeatherPack(const std::u16string& effect) {
    return effect == u"PostTrainVolumetricFog" || effect == u"TrainGlass" ||
           effect == u"TrainGlassWeatherEffects" || effect == u"TrainSkyDome";
}

std::string CrLf(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        if (c == '\n') out.push_back('\r');
        out.push_back(c);
    }
    return out;
}

void CleanWorkFolder() {
    std::vector<DirectoryEntry> entries;
    ListDirectory(AppPaths.workFolder, entries);
    // An entry that cannot be deleted (held open elsewhere, a non-empty folder) stays.
    for (const DirectoryEntry& entry : entries) RemoveFileIfExists(AppPaths.workFolder + entry.name);
}

// Logs the cause and makes it the outcome's message.
InstallOutcome& Fail(InstallOutcome& outcome, const std::u16string& cause) {
    Log(cause);
    outcome.ok = false;
    outcome.failureMessage = WideToUtf8(cause);
    return outcome;
}

void Step(InstallMonitor& monitor, InstallStep step) {
    std::lock_guard<std::mutex> hold(monitor.lock);
    monitor.progress.step = step;
}

// Writes the headers in catalogue order into the work folder and gives them
// back as the compiler will read them; false after a logged failure.
bool WriteHeaders(std::string& headers, InstallOutcome& outcome) {
    std::error_code error;
    if (!CreateDirectories(AppPaths.workFolder, &error)) {
        Fail(outcome, u"ERROR: Can't create the work folder " + AppPaths.workFolder + u" (" +
                          Utf8ToWide(error.message()) + u")");
        return false;
    }
    for (const ShaderTemplate& t : ShaderTemplates()) {
        if (t.kind != TemplateKind::Header) continue;
        const std::string text = CrLf(std::string(t.text));
        if (!WriteFileBytes(AppPaths.workFolder + t.name, text)) {
            Fail(outcome, u"ERROR: Can't write the shader header " + AppPaths.workFolder + t.name);
            return false;
        }
        headers += WideToUtf8(t.name) + "\n" + text;
    }
    return true;
}

std::vector<EffectJob> PlanEffects(const Settings& settings, const std::string& compilerIdentity,
                                   const std::string& headers) {
    std::vector<EffectJob> jobs;
    for (const ShaderTemplate& t : ShaderTemplates()) {
        if (t.kind != TemplateKind::Effect) continue;
        // Asked afresh for each guarded effect: the add-on may appear mid-run.
        if (LeftToWeatherPack(t.name) && IsWeatherPackInstalled(settings.TSPath)) continue;
        EffectJob job;
        job.name = t.name;
        job.sourceCrLf = CrLf(BuildEffectSource(std::string(t.text), BuildDefinitionList(t.name, settings.Shader)));
        job.inputHash = EffectInputHash(compilerIdentity, headers, job.sourceCrLf);
        jobs.push_back(std::move(job));
    }
    return jobs;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

// Into the game folder one by one, in install order; false at the first
// effect that failed or could not be placed, and when asked to stop.
bool PlaceEffects(const Settings& settings, std::vector<EffectJob>& jobs, InstallMonitor& monitor,
                  InstallOutcome& outcome) {
    for (EffectJob& job : jobs) {
        const std::u16string compiled = AppPaths.workFolder + job.name + u".fx.o";
        if (monitor.stop) {
            Fail(outcome, u"Install stopped before " + job.name + u": the program is closing");
            return false;
        }
        if (job.state != EffectJobState::Compiled && job.state != EffectJobState::Reused) {
            Log(u"ERROR: Shader compilation error for shader: " + job.name);
            // The compiler's own words, one log line each.
            for (const std::string& line : Lines(job.messages)) Log(line);
            outcome.failedEffect = job.name;
            outcome.failureMessage = job.messages;
            return false;
        }
        if (job.state == EffectJobState::Reused) {
            Log(u"Reused the compiled shader kept from an earlier install: " + job.name);
        }
        // Logs its own line: installed, kept the game's own, or why it failed.
        const EffectPlacement placed = PutEffectIntoGame(settings.TSPath, job.name, compiled);
        if (placed.outcome == PlacementOutcome::Failed) {
            outcome.failedEffect = job.name;
            outcome.failureMessage = WideToUtf8(placed.message);
            return false;
        }
        ++outcome.effectsCompiled;
        if (placed.outcome == PlacementOutcome::Installed) ++outcome.effectsInstalled;
        if (placed.outcome == PlacementOutcome::KeptGameEffect) outcome.keptEffects.push_back(job.name);
        RemoveFileIfExists(compiled);
    }
    return true;
}

}  // namespace

InstallProgress InstallMonitor::Snapshot() {
    std::lock_guard<std::mutex> hold(lock);
    return progress;
}

unsigned DefaultParallelCompiles() {
    return std::clamp(std::thread::hardware_concurrency(), 1u, 15u);
}

InstallOutcome RunInstall(const Settings& settings, unsigned parallelCompiles, InstallMonitor& monitor) {
    InstallOutcome outcome;
    Log(u"Compiling shaders...");
    if (settings.TSPath.empty()) return Fail(outcome, u"Can't install/update TS enhanced shaders. TS Path is empty");

    std::string headers;
    if (!WriteHeaders(headers, outcome)) return outcome;
    const EffectCompilerChoice compiler = ChooseEffectCompiler();
    if (compiler.kind == EffectCompilerKind::None) return Fail(outcome, compiler.problem);
    Log(compiler.description);

    std::vector<EffectJob> jobs = PlanEffects(settings, compiler.identity, headers);
    {
        std::lock_guard<std::mutex> hold(monitor.lock);
        monitor.progress.step = InstallStep::Compiling;
        monitor.progress.total = static_cast<unsigned>(jobs.size());
    }
    CompileEffects(jobs, compiler, parallelCompiles ? parallelCompiles : DefaultParallelCompiles(), monitor);
    if (!PlaceEffects(settings, jobs, monitor, outcome)) return outcome;

    CleanWorkFolder();
    if (monitor.stop) return Fail(outcome, u"Install stopped before the sky file: the program is closing");
    Step(monitor, InstallStep::SkyFile);
    WriteSkyOverride(settings);
    if (monitor.stop) return Fail(outcome, u"Install stopped before the player profile: the program is closing");
    Step(monitor, InstallStep::PlayerProfile);
    const ProfilePatchOutcome profile = PatchPlayerProfiles(settings);
    outcome.forcedBloom = profile.forcedBloom;
    outcome.forcedTSX = profile.forcedTSX;
    Step(monitor, InstallStep::Finished);
    Log(u"Shaders compilation done");
    outcome.ok = true;
    return outcome;
}

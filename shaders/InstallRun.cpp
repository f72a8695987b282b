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
#include "shaders/ChangeManifest.h"
#include "shaders/CompiledEffectCache.h"
#include "shaders/Definitions.h"
#include "shaders/EffectPlacement.h"
#include "shaders/GameShaderIo.h"
#include "shaders/ParallelCompile.h"
#include "shaders/ShaderTemplates.h"
#include "shaders/SkyOverride.h"

namespace {

// Effects the weather add-on replaces with its own.
bool LeftToWeatherPack(const std::u16string& effect) {
    return effect == u"PostTrainVolumetricFog" || effect == u"TrainGlass" ||
           effect == u"TrainGlassWeatherEffects" || effect == u"TrainSkyDome";
}

// An entry that cannot be deleted (held open elsewhere, a non-empty folder)
// stays; it costs nothing but its room, so the install goes on.
StepOutcome CleanWorkFolder() {
    std::vector<DirectoryEntry> entries;
    ListDirectory(AppPaths.workFolder, entries);
    StepOutcome cleaned;
    for (const DirectoryEntry& entry : entries) {
        std::error_code cause;
        if (!RemoveFileIfExists(AppPaths.workFolder + entry.name, &cause) && cleaned.ok) {
            cleaned =
                FileStepFailed(AppPaths.workFolder + entry.name, cause,
                               u"Could not remove " + AppPaths.workFolder + entry.name + u" from the work folder");
        }
    }
    return cleaned;
}

InstallOutcome& Fail(InstallOutcome& outcome, const StepOutcome& step) {
    outcome.status = InstallStatus::Failed;
    outcome.cause = step.cause == FailureCause::None ? FailureCause::Other : step.cause;
    outcome.failedPath = step.path;
    outcome.failureMessage = step.message;
    return outcome;
}

// Logs the cause and makes it the outcome's.
InstallOutcome& Fail(InstallOutcome& outcome, FailureCause cause, const std::u16string& message) {
    return Fail(outcome, StepFailed(cause, message));
}

// Writes the headers in catalogue order into the work folder and gives them
// back as the compiler will read them.
StepOutcome WriteHeaders(std::string& headers) {
    std::error_code error;
    if (!CreateDirectories(AppPaths.workFolder, &error)) {
        return FileStepFailed(AppPaths.workFolder, error,
                              u"ERROR: Can't create the work folder " + AppPaths.workFolder);
    }
    for (const ShaderTemplate& t : ShaderTemplates()) {
        if (t.kind != TemplateKind::Header) continue;
        const std::string text = WithCrLf(std::string(t.text));
        if (!WriteFileBytes(AppPaths.workFolder + t.name, text)) {
            return StepFailed(FailureCause::Other,
                              u"ERROR: Can't write the shader header " + AppPaths.workFolder + t.name,
                              AppPaths.workFolder + t.name);
        }
        headers += WideToUtf8(t.name) + "\n" + text;
    }
    return StepOutcome();
}

// What an earlier run cut off left in the game folder goes first: its
// temporaries, the profile conversions, copies the record no longer names.
// Fails when the folders the effects go to lead out of the game folder or the
// record cannot be read: nothing could be placed safely.
StepOutcome PrepareGameFolder(const std::u16string& gamePath) {
    for (const std::u16string& part : {std::u16string(kGameShaderFolder), ChangeRecordPart()}) {
        const StepOutcome inside = CheckGameFolder(gamePath, part);
        if (!inside.ok) return inside;
    }
    RemoveInterruptedWrites(gamePath);  // a leftover that stays costs only its room
    ChangeManifest manifest;
    const StepOutcome loaded = LoadChangeManifest(gamePath, manifest);
    if (loaded.ok) RemoveUnrecordedCopies(gamePath, manifest);
    return loaded;
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
        job.sourceCrLf = WithCrLf(BuildEffectSource(std::string(t.text), BuildDefinitionList(t.name, settings.Shader)));
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
            Fail(outcome, FailureCause::Stopped, u"Install stopped before " + job.name + u": the program is closing");
            return false;
        }
        if (job.state != EffectJobState::Compiled && job.state != EffectJobState::Reused) {
            Log(u"ERROR: Shader compilation error for shader: " + job.name);
            // The compiler's own words, one log line each.
            for (const std::string& line : Lines(job.messages)) Log(line);
            outcome.status = InstallStatus::Failed;
            outcome.cause = FailureCause::CompilerError;
            outcome.failedEffect = job.name;
            outcome.failureMessage = job.messages;
            outcome.advice = job.advice;
            return false;
        }
        if (job.state == EffectJobState::Reused) {
            Log(u"Reused the compiled shader kept from an earlier install: " + job.name);
        }
        // Logs its own line: installed, kept the game's own, or why it failed.
        const EffectPlacement placed = PutEffectIntoGame(settings.TSPath, job.name, compiled);
        if (placed.gameFileWritten) ++outcome.effectsWritten;
        if (placed.outcome == PlacementOutcome::Failed) {
            outcome.status = InstallStatus::Failed;
            outcome.cause = placed.cause;
            outcome.failedPath = placed.path;
            outcome.failedEffect = job.name;
            outcome.failureMessage = WideToUtf8(placed.message);
            return false;
        }
        ++outcome.effectsCompiled;
        if (placed.outcome == PlacementOutcome::Installed || placed.outcome == PlacementOutcome::AlreadyCurrent) {
            ++outcome.effectsInstalled;
        }
        if (placed.outcome == PlacementOutcome::KeptGameEffect) outcome.keptEffects.push_back(job.name);
        RemoveFileIfExists(compiled);
    }
    return true;
}

// Installed, but a later step failed: said in the log as in the result.
void Warn(InstallOutcome& outcome, InstallStep step, const StepOutcome& failed, const std::u16string& meaning) {
    Log(u"WARNING: The shaders are installed, but " + meaning);
    InstallWarning warning;
    warning.step = step;
    warning.cause = failed.cause == FailureCause::None ? FailureCause::Other : failed.cause;
    warning.path = failed.path;
    warning.message = failed.message;
    outcome.warnings.push_back(warning);
}

// The options the shaders need, in the player profile; never through a link out.
StepOutcome PatchProfile(const Settings& settings, InstallOutcome& outcome) {
    StepOutcome patched = CheckGameFolder(settings.TSPath, kProfileFolder);
    if (!patched.ok) return patched;
    const ProfilePatchOutcome profile = PatchPlayerProfiles(settings);
    outcome.forcedBloom = profile.forcedBloom;
    outcome.forcedTSX = profile.forcedTSX;
    if (profile.ok) return patched;
    patched.ok = false;
    patched.cause = FailureCause::Other;
    patched.message = profile.cause;
    return patched;
}

}  // namespace

InstallProgress InstallMonitor::Snapshot() {
    std::lock_guard<std::mutex> hold(lock);
    return progress;
}

void InstallMonitor::Step(InstallStep step) {
    std::lock_guard<std::mutex> hold(lock);
    progress.step = step;
}

unsigned DefaultParallelCompiles() {
    return std::clamp(std::thread::hardware_concurrency(), 1u, 15u);
}

InstallOutcome RunInstall(const Settings& settings, unsigned parallelCompiles, InstallMonitor& monitor) {
    InstallOutcome outcome;
    Log(u"Compiling shaders...");
    if (settings.TSPath.empty()) {
        return Fail(outcome, FailureCause::Other, u"Can't install/update TS enhanced shaders. TS Path is empty");
    }
    std::string headers;
    StepOutcome step = WriteHeaders(headers);
    if (step.ok) step = PrepareGameFolder(settings.TSPath);
    if (!step.ok) return Fail(outcome, step);
    const EffectCompilerChoice compiler = ChooseEffectCompiler();
    if (compiler.kind == EffectCompilerKind::None) return Fail(outcome, FailureCause::NoCompiler, compiler.problem);
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
    // The effects are in: what the program's closing cuts off after them is
    // a warning like any other failed step.
    const auto closing = [] { return StepFailed(FailureCause::Stopped, u"Install stopped: the program is closing"); };
    monitor.Step(InstallStep::SkyFile);
    step = monitor.stop ? closing() : WriteSkyOverride(settings);
    if (!step.ok) {
        Warn(outcome, InstallStep::SkyFile, step, u"the sky file was not written: " + Utf8ToWide(step.message));
    }
    monitor.Step(InstallStep::PlayerProfile);
    step = monitor.stop ? closing() : PatchProfile(settings, outcome);
    if (!step.ok) {
        Warn(outcome, InstallStep::PlayerProfile, step,
             u"the game's options were not switched on in the player profile: " + Utf8ToWide(step.message));
    }
    monitor.Step(InstallStep::Finished);
    Log(u"Shaders compilation done");
    outcome.status = outcome.warnings.empty() ? InstallStatus::Installed : InstallStatus::InstalledWithWarning;
    return outcome;
}

// The install-result record, and the install run either on the caller's
// thread or on one of its own, started and collected by the main thread and
// watched through the monitor in between.
#include "shaders/ShaderInstaller.h"

#include <atomic>
#include <exception>
#include <system_error>
#include <thread>

#include "app/AppPaths.h"
#include "app/Log.h"
#include "settings/Settings.h"

ShaderInstaller& ShaderInstaller::Instance() {
    // Never destroyed, so it can be read at any point of the shutdown.
    static ShaderInstaller* const instance = new ShaderInstaller();
    return *instance;
}

namespace {
// Exists before the main routine starts.
[[maybe_unused]] ShaderInstaller& kInstallerAtStart = ShaderInstaller::Instance();

// The bookkeeping of an ended install, on the collecting thread.
void ApplyInstallOutcome(const InstallOutcome& outcome) {
    ShaderInstaller& state = ShaderInstaller::Instance();
    state.installOK = outcome.ok;
    state.forcedTSX = outcome.forcedTSX;
    state.forcedBloom = outcome.forcedBloom;
    state.failedEffect = outcome.failedEffect;
    state.failureMessage = outcome.failureMessage;
    state.effectsInstalled = outcome.effectsInstalled;
    state.effectsCompiled = outcome.effectsCompiled;
    state.keptEffects = outcome.keptEffects;
    if (!outcome.ok) return;  // the flags keep their values, so the user can retry
    Settings& settings = Settings::Instance();
    settings.ShadersInstallOK = true;
    settings.NeedShadersUpdate = false;
    settings.ShadersVersion = APP_VERSION;
}

// No exception leaves a run: it becomes a failed outcome with a log line.
InstallOutcome RunGuarded(const Settings& settings, unsigned parallelCompiles, InstallMonitor& monitor) {
    std::string failure;
    try {
        return RunInstall(settings, parallelCompiles, monitor);
    } catch (const std::exception& error) {
        failure = error.what();
    } catch (...) {
        failure = "unknown";
    }
    InstallOutcome outcome;
    outcome.failureMessage = "ERROR: The install stopped on an unexpected error: " + failure;
    Log(outcome.failureMessage);
    return outcome;
}

}  // namespace

bool ShaderInstaller::Install(unsigned parallelCompiles) {
    InstallMonitor monitor;
    const InstallOutcome outcome = RunGuarded(Settings::Instance(), parallelCompiles, monitor);
    ApplyInstallOutcome(outcome);
    return outcome.ok;
}

void ShaderInstaller::GetInstallResult(bool& installOK, bool& forcedTSX, bool& forcedBloom) {
    const ShaderInstaller& state = Instance();
    installOK = state.installOK;
    forcedTSX = state.forcedTSX;
    forcedBloom = state.forcedBloom;
}

namespace {

struct InstallTask {
    std::thread thread;
    InstallMonitor monitor;
    bool active = false;             // main thread: started and not collected
    std::atomic<bool> ended{false};  // the run is over and outcome is written
    InstallOutcome outcome;
};

// Never destroyed: the program may end while the record is still in use.
InstallTask& Task() {
    static InstallTask* const task = new InstallTask();
    return *task;
}

void Run(InstallTask& task, const Settings& settings) {
    task.outcome = RunGuarded(settings, 0, task.monitor);
    task.ended = true;
}

}  // namespace

bool ShaderInstaller::StartInstall() {
    InstallTask& task = Task();
    if (task.active) return false;
    task.active = true;
    task.ended = false;
    task.monitor.stop = false;
    {
        std::lock_guard<std::mutex> hold(task.monitor.lock);
        task.monitor.progress = InstallProgress();
    }
    const Settings copy = Settings::Instance();
    try {
        task.thread = std::thread([copy, &task] { Run(task, copy); });
    } catch (const std::system_error&) {
        Run(task, copy);  // no thread to be had: the install still runs, here
    }
    return true;
}

bool ShaderInstaller::InstallIsRunning() { return Task().active; }

InstallProgress ShaderInstaller::GetInstallProgress() { return Task().monitor.Snapshot(); }

bool ShaderInstaller::CollectFinishedInstall(bool& ok) {
    InstallTask& task = Task();
    if (!task.active || !task.ended) return false;
    if (task.thread.joinable()) task.thread.join();
    task.active = false;
    ApplyInstallOutcome(task.outcome);
    ok = task.outcome.ok;
    return true;
}

void ShaderInstaller::StopInstallAndWait() {
    InstallTask& task = Task();
    if (!task.active) return;
    task.monitor.stop = true;
    if (task.thread.joinable()) task.thread.join();
}

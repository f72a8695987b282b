// The record of the last install and restore, and the two runs either on the
// caller's thread or on one of their own, started and collected by the main
// thread and watched through the monitor in between.
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

// No exception leaves a run: it becomes a failed outcome with a log line.
template <typename Outcome, typename Run>
Outcome Guarded(Run run, const char* what) {
    std::string failure;
    try {
        return run();
    } catch (const std::exception& error) {
        failure = error.what();
    } catch (...) {
        failure = "unknown";
    }
    Outcome outcome;
    outcome.cause = FailureCause::Other;
    outcome.failureMessage = std::string("ERROR: The ") + what + " stopped on an unexpected error: " + failure;
    Log(outcome.failureMessage);
    return outcome;
}

InstallOutcome GuardedInstall(const Settings& settings, unsigned parallelCompiles, InstallMonitor& monitor) {
    return Guarded<InstallOutcome>([&] { return RunInstall(settings, parallelCompiles, monitor); }, "install");
}

RestoreOutcome GuardedRestore(const Settings& settings, InstallMonitor& monitor) {
    return Guarded<RestoreOutcome>([&] { return RunRestore(settings, monitor); }, "restore");
}

}  // namespace

void KeepInstall(const InstallOutcome& outcome) {
    ShaderInstaller::Instance().install = outcome;
    if (!outcome.ok()) {
        Log("Shaders Installation Failed");  // the flags keep their values, so the user can retry
        return;
    }
    Settings& settings = Settings::Instance();
    settings.ShadersInstallOK = true;
    settings.NeedShadersUpdate = false;
    settings.ShadersVersion = APP_VERSION;
    settings.SaveSettingsFile();
    Log(outcome.status == InstallStatus::Installed ? "Shaders Installation Succeeded"
                                                   : "Shaders Installation Succeeded with warnings");
}

void KeepRestore(const RestoreOutcome& outcome) {
    ShaderInstaller::Instance().restore = outcome;
    if (!outcome.ok) {
        Log("Shaders Restoration Failed");
        return;
    }
    Settings& settings = Settings::Instance();
    settings.ShadersInstallOK = false;
    settings.NeedShadersUpdate = false;
    settings.SaveSettingsFile();
    Log("Shaders Restoration Succeeded");
}

bool ShaderInstaller::Install(unsigned parallelCompiles) {
    InstallMonitor monitor;
    KeepInstall(GuardedInstall(Settings::Instance(), parallelCompiles, monitor));
    return Instance().install.ok();
}

bool ShaderInstaller::Restore() {
    InstallMonitor monitor;
    KeepRestore(GuardedRestore(Settings::Instance(), monitor));
    return Instance().restore.ok;
}

namespace {

struct JobTask {
    std::thread thread;
    InstallMonitor monitor;
    ShaderInstaller::Job job = ShaderInstaller::Job::None;  // main thread: started and not collected
    std::atomic<bool> ended{false};                         // the run is over and its outcome written
    InstallOutcome installed;
    RestoreOutcome restored;
};

// Never destroyed: the program may end while the record is still in use.
JobTask& Task() {
    static JobTask* const task = new JobTask();
    return *task;
}

bool Start(ShaderInstaller::Job job) {
    JobTask& task = Task();
    if (task.job != ShaderInstaller::Job::None) return false;
    task.job = job;
    task.ended = false;
    task.monitor.stop = false;
    {
        std::lock_guard<std::mutex> hold(task.monitor.lock);
        task.monitor.progress = InstallProgress();
        if (job == ShaderInstaller::Job::Restore) task.monitor.progress.step = InstallStep::Restoring;
    }
    const Settings copy = Settings::Instance();
    const auto run = [copy, job, &task] {
        if (job == ShaderInstaller::Job::Install) {
            task.installed = GuardedInstall(copy, 0, task.monitor);
        } else {
            task.restored = GuardedRestore(copy, task.monitor);
        }
        task.ended = true;
    };
    try {
        task.thread = std::thread(run);
    } catch (const std::system_error&) {
        run();  // no thread to be had: the job still runs, here
    }
    return true;
}

}  // namespace

bool ShaderInstaller::StartInstall() { return Start(Job::Install); }

bool ShaderInstaller::StartRestore() { return Start(Job::Restore); }

bool ShaderInstaller::JobIsRunning() { return Task().job != Job::None; }

ShaderInstaller::Job ShaderInstaller::RunningJob() { return Task().job; }

InstallProgress ShaderInstaller::GetProgress() { return Task().monitor.Snapshot(); }

ShaderInstaller::Job ShaderInstaller::CollectFinishedJob() {
    JobTask& task = Task();
    if (task.job == Job::None || !task.ended) return Job::None;
    if (task.thread.joinable()) task.thread.join();
    const Job finished = task.job;
    task.job = Job::None;
    if (finished == Job::Install) {
        KeepInstall(task.installed);
    } else {
        KeepRestore(task.restored);
    }
    return finished;
}

void ShaderInstaller::StopJobAndWait() {
    JobTask& task = Task();
    if (task.job == Job::None) return;
    task.monitor.stop = true;
    if (task.thread.joinable()) task.thread.join();
}

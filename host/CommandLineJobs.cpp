#include "host/CommandLineJobs.h"

#include "app/Log.h"
#include "app/Platform.h"
#include "app/Text.h"
#include "host/Startup.h"
#include "settings/Settings.h"
#include "shaders/ShaderInstaller.h"

namespace {

const char kUsage[] = "Usage: Vantrel [--install [--preset FILE] | --restore]";

CommandLineJob Usage(const std::string& problem) {
    CommandLineJob job;
    job.kind = CommandLineJobKind::Usage;
    job.problem = problem;
    return job;
}

}  // namespace

CommandLineJob ReadCommandLine(const std::vector<std::u16string>& arguments) {
    CommandLineJob job;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::u16string& word = arguments[i];
        const bool first = job.kind == CommandLineJobKind::Window;
        if (word == u"--install" && first) {
            job.kind = CommandLineJobKind::Install;
        } else if (word == u"--restore" && first) {
            job.kind = CommandLineJobKind::Restore;
        } else if (word == u"--preset" && job.kind == CommandLineJobKind::Install && job.preset.empty()) {
            if (i + 1 == arguments.size() || arguments[i + 1].empty()) return Usage("--preset needs a file");
            job.preset = arguments[++i];
        } else {
            return Usage("Unknown or misplaced argument: " + WideToUtf8(word));
        }
    }
    return job;
}

int RunCommandLineJob(const CommandLineJob& job) {
    PlatformUseParentConsole();
    if (job.kind == CommandLineJobKind::Usage) {
        PlatformWriteStandardOutput(job.problem + "\n" + kUsage + "\n");
        return kJobFailed;
    }
    EchoLogToStandardOutput(true);
    if (!StartUpFolders()) return kJobFailed;
    StartUpDiscoverGame();
    StartUpLoadSettings();
    Settings& settings = Settings::Instance();
    if (!job.preset.empty()) {
        // A file that is no preset is refused (the load logs why) and nothing is installed.
        if (settings.LoadPreset(job.preset) != PresetProblem::None) {
            Log("Shaders Installation Failed");
            return kJobFailed;
        }
        settings.RequestShadersUpdate();
        Log(u"Installing the preset " + job.preset);
    }
    if (job.kind == CommandLineJobKind::Restore) return ShaderInstaller::Restore() ? kJobSucceeded : kJobFailed;
    ShaderInstaller::Install();
    switch (ShaderInstaller::Instance().install.status) {
        case InstallStatus::Installed:
            return kJobSucceeded;
        case InstallStatus::InstalledWithWarning:
            return kJobInstalledWithWarning;
        case InstallStatus::Failed:
            break;
    }
    return kJobFailed;
}

#pragma once
// The main jobs run from a command line without a window, on the settings
// file (or a preset): "Vantrel --install [--preset FILE]" re-applies the
// shaders after a game update from a shortcut, "Vantrel --restore" puts the
// game's own back. They print the log's lines as they are written and end
// with an exit code a script can act on. No window is made and no UI
// library is started.
#include <string>
#include <vector>

enum class CommandLineJobKind { Window, Install, Restore, Usage };

struct CommandLineJob {
    CommandLineJobKind kind = CommandLineJobKind::Window;
    std::u16string preset;  // Install: the preset to install instead of the settings file's values
    std::string problem;    // Usage: what was wrong with the arguments
};

// The arguments after the program's name; none means the window.
CommandLineJob ReadCommandLine(const std::vector<std::u16string>& arguments);

// Exit codes: 0 the job did its work, 1 it failed (or the arguments were
// wrong: a usage line), 2 the shaders are installed but a later step failed.
constexpr int kJobSucceeded = 0;
constexpr int kJobFailed = 1;
constexpr int kJobInstalledWithWarning = 2;
int RunCommandLineJob(const CommandLineJob& job);

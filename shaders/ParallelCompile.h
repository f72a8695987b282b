#pragma once
// Compiles the effects of an install side by side, each into its own
// work-folder files, taking a kept output wherever the input is unchanged.
#include <string>
#include <vector>

#include "shaders/EffectCompilerChoice.h"
#include "shaders/InstallRun.h"

enum class EffectJobState { Waiting, Compiled, Reused, Failed, NotStarted };

struct EffectJob {
    std::u16string name;
    std::string sourceCrLf;
    std::string inputHash;
    EffectJobState state = EffectJobState::Waiting;
    std::string messages;  // the compiler's words
};

// Jobs start in their order, at most parallel at a time. Once a job fails,
// the jobs after it are not started (those before it still are), and none
// is started once the monitor asks to stop. Returns when every started job
// has ended.
void CompileEffects(std::vector<EffectJob>& jobs, const EffectCompilerChoice& compiler, unsigned parallel,
                    InstallMonitor& monitor);

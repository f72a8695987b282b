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
    std::string messages;  // the compiler's words, and why its output was not taken (UTF-8 lines)
    // On a failure of Wine's own compiler: what works instead, one UTF-8
    // line for the player (logged once per run by CompileEffects).
    std::string advice;
    // What the compile is expected to take (its last measured time, else an
    // estimate from the shaders it compiles), and what it took this time
    // (-1 when it was not compiled).
    long expectedMilliseconds = 0;
    long compileMilliseconds = -1;
};

// Jobs start longest first (by expected time; equal ones in their order), at
// most parallel at a time. Once a job fails, the jobs after it in their order
// are not started (those before it still are), and none is started once the
// monitor asks to stop. Returns when every started job has ended. The headers
// the sources include must be in the work folder.
void CompileEffects(std::vector<EffectJob>& jobs, const EffectCompilerChoice& compiler, unsigned parallel,
                    InstallMonitor& monitor);

#include "shaders/ParallelCompile.h"

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>

#include "app/AppPaths.h"
#include "shaders/CompiledEffectCache.h"
#include "shaders/ShaderCompiler.h"

namespace {

struct Queue {
    std::vector<EffectJob>& jobs;
    const EffectCompilerChoice& compiler;
    InstallMonitor& monitor;
    std::atomic<size_t> next{0};
    std::atomic<size_t> firstFailure;

    Queue(std::vector<EffectJob>& j, const EffectCompilerChoice& c, InstallMonitor& m)
        : jobs(j), compiler(c), monitor(m), firstFailure(j.size()) {}

    void NoteFailure(size_t index) {
        size_t seen = firstFailure.load();
        while (index < seen && !firstFailure.compare_exchange_weak(seen, index)) {
        }
    }

    void Progress(const std::u16string& name, bool started) {
        std::lock_guard<std::mutex> hold(monitor.lock);
        auto& compiling = monitor.progress.compiling;
        if (started) {
            compiling.push_back(name);
        } else {
            compiling.erase(std::find(compiling.begin(), compiling.end(), name));
            ++monitor.progress.done;
        }
    }

    void Run(EffectJob& job) {
        const std::u16string output = AppPaths.workFolder + job.name + u".fx.o";
        Progress(job.name, true);
        if (TakeKeptEffect(job.name, job.inputHash, output)) {
            job.state = EffectJobState::Reused;
        } else {
            EffectCompileResult result = CompileEffectSource(compiler, job.name, job.sourceCrLf);
            job.messages = std::move(result.messages);
            job.state = result.ok ? EffectJobState::Compiled : EffectJobState::Failed;
            if (result.ok) KeepEffect(job.name, job.inputHash, output);
        }
        Progress(job.name, false);
    }

    // Each worker takes the next job in order until none is left.
    void Work() {
        for (size_t i = next++; i < jobs.size(); i = next++) {
            if (monitor.stop || i > firstFailure) {
                jobs[i].state = EffectJobState::NotStarted;
                continue;
            }
            Run(jobs[i]);
            if (jobs[i].state == EffectJobState::Failed) NoteFailure(i);
        }
    }
};

}  // namespace

void CompileEffects(std::vector<EffectJob>& jobs, const EffectCompilerChoice& compiler, unsigned parallel,
                    InstallMonitor& monitor) {
    Queue queue(jobs, compiler, monitor);
    std::vector<std::thread> helpers;
    const size_t wanted = std::min<size_t>(std::max(parallel, 1u), jobs.size());
    for (size_t i = 1; i < wanted; ++i) {
        try {
            helpers.emplace_back([&queue] { queue.Work(); });
        } catch (const std::system_error&) {
            break;  // fewer helpers; this thread still does the work
        }
    }
    queue.Work();
    for (std::thread& helper : helpers) helper.join();
}

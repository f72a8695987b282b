#include "shaders/ParallelCompile.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <numeric>
#include <system_error>
#include <thread>

#include "app/AppPaths.h"
#include "app/Log.h"
#include "shaders/CompiledEffectCache.h"
#include "shaders/ShaderCompiler.h"

namespace {

// An effect never compiled here: its shader count times what a shader took
// in the effects that were, or this much when none was.
constexpr long kMillisecondsPerShaderAtFirst = 100;

unsigned ShaderCount(const EffectJob& job) {
    std::vector<DeclaredTechnique> techniques;
    DeclaredTechniquesOf(job.sourceCrLf, techniques);
    unsigned shaders = 0;
    for (const DeclaredTechnique& t : techniques) shaders += t.shaders;
    return std::max(shaders, 1u);
}

// Each job's expected time and the order to start them in.
std::vector<size_t> LongestFirst(std::vector<EffectJob>& jobs) {
    std::vector<unsigned> shaders(jobs.size());
    long measured = 0, measuredShaders = 0;
    for (size_t i = 0; i < jobs.size(); ++i) {
        shaders[i] = ShaderCount(jobs[i]);
        jobs[i].expectedMilliseconds = KeptCompileMilliseconds(jobs[i].name);
        if (jobs[i].expectedMilliseconds < 0) continue;
        measured += jobs[i].expectedMilliseconds;
        measuredShaders += shaders[i];
    }
    const long perShader =
        measuredShaders > 0 ? std::max(measured / measuredShaders, 1L) : kMillisecondsPerShaderAtFirst;
    for (size_t i = 0; i < jobs.size(); ++i) {
        if (jobs[i].expectedMilliseconds < 0) jobs[i].expectedMilliseconds = perShader * shaders[i];
    }
    std::vector<size_t> order(jobs.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        return jobs[a].expectedMilliseconds > jobs[b].expectedMilliseconds;
    });
    return order;
}

struct Queue {
    std::vector<EffectJob>& jobs;
    const EffectCompilerChoice& compiler;
    InstallMonitor& monitor;
    const std::vector<size_t> order = LongestFirst(jobs);
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
        // A kept output is checked as a fresh one is: one a broken compiler
        // wrote before is compiled again.
        if (TakeKeptEffect(job.name, job.inputHash, output) &&
            IncompleteEffectProblem(job.sourceCrLf, output).empty()) {
            job.state = EffectJobState::Reused;
        } else {
            const auto started = std::chrono::steady_clock::now();
            EffectCompileResult result = CompileEffectSource(compiler, job.name, job.sourceCrLf);
            job.compileMilliseconds = static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                                            std::chrono::steady_clock::now() - started)
                                                            .count());
            job.messages = std::move(result.messages);
            job.advice = std::move(result.advice);
            job.state = result.ok ? EffectJobState::Compiled : EffectJobState::Failed;
            if (result.ok) KeepEffect(job.name, job.inputHash, output, job.compileMilliseconds);
        }
        Progress(job.name, false);
    }

    // Each worker takes the next job, longest first, until none is left.
    void Work() {
        for (size_t n = next++; n < jobs.size(); n = next++) {
            const size_t i = order[n];
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
    // Wine's own compiler fails every effect alike: its advice once.
    for (const EffectJob& job : jobs) {
        if (job.state != EffectJobState::Failed || job.advice.empty()) continue;
        Log(job.advice);
        break;
    }
}

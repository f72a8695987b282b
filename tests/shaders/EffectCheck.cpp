// Runs vkd3d-compiler over effect builds, several processes at a time, and
// judges what it prints.
#include "tests/shaders/EffectCheck.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <map>
#include <set>
#include <sstream>
#include <thread>

#include "tests/support/TestEnv.h"

namespace {

struct Job {
    fs::path folder;
    std::string arguments;  // after the compiler, run in folder
    int status = -1;
    std::string out;
    std::string err;
    Job(fs::path folder, std::string arguments) : folder(std::move(folder)), arguments(std::move(arguments)) {}
};

std::string Quoted(const fs::path& path) { return "'" + path.string() + "'"; }

// vkd3d resolves quoted includes against its current folder, so each job
// runs in its build's folder, as fxc runs beside the work folder.
void RunAll(std::vector<Job>& jobs, const std::string& tag) {
    std::atomic<size_t> next{0};
    auto worker = [&] {
        for (size_t i = next++; i < jobs.size(); i = next++) {
            Job& job = jobs[i];
            const fs::path out = job.folder / (tag + std::to_string(i) + ".out");
            const fs::path err = job.folder / (tag + std::to_string(i) + ".err");
            const std::string command = "cd " + Quoted(job.folder) + " && " + Quoted(CompilerPath()) + " " +
                                        job.arguments + " > " + Quoted(out) + " 2> " + Quoted(err);
            job.status = std::system(command.c_str());
            job.out = ReadText(out);
            job.err = ReadText(err);
        }
    };
    std::vector<std::thread> threads(std::max(2u, std::thread::hardware_concurrency()));
    for (std::thread& t : threads) t = std::thread(worker);
    for (std::thread& t : threads) t.join();
}

bool Failed(const Job& job) { return job.status != 0 || !job.err.empty(); }

std::string Messages(const Job& job) {
    return job.err.empty() ? "(exit status " + std::to_string(job.status) + ", no message)" : job.err;
}

// fx_2_0: vkd3d stops at effect features it does not write yet (E5017, "not
// yet implemented"), which are listed; any other message is an error fxc
// would report too.
void JudgeEffect(const Job& job, const std::string& where, CheckReport& report,
                 std::map<std::string, int>& notImplemented) {
    std::istringstream in(job.err);
    std::string line, others;
    while (std::getline(in, line)) {
        const size_t feature = line.find("not yet implemented feature: ");
        if (line.find("E5017") != std::string::npos && feature != std::string::npos) {
            ++notImplemented[line.substr(feature + 29)];
        } else if (line.rfind("Failed to compile shader", 0) != 0 && !line.empty()) {
            others += line + "\n";
        }
    }
    if (!others.empty()) report.failures.push_back(where + ": the effect as fx_2_0:\n" + others);
}

struct BuildState {
    const EffectBuild* build = nullptr;
    size_t duplicateOf = SIZE_MAX;  // an earlier build with the same preprocessed text
    std::string preprocessed;
    std::vector<PassUse> passes;
    std::map<std::string, size_t> shaderJobs;  // ShaderLabel + profile -> job
    size_t effectJob = SIZE_MAX;
};

std::string Where(const EffectBuild& b) { return b.effect + " (" + b.configuration + ")"; }

}  // namespace

fs::path CompilerPath() { return fs::path(VANTREL_VKD3D_COMPILER); }

CheckReport CheckEffects(const std::vector<EffectBuild>& builds) {
    CheckReport report;
    std::vector<BuildState> states(builds.size());

    std::vector<Job> preprocess;
    for (const EffectBuild& b : builds) preprocess.emplace_back(b.folder, "-E -x hlsl " + b.effect + ".fx");
    RunAll(preprocess, "preprocess");

    std::vector<Job> jobs;
    for (size_t i = 0; i < builds.size(); ++i) {
        BuildState& s = states[i];
        const EffectBuild& b = builds[i];
        s.build = &b;
        if (Failed(preprocess[i])) {
            report.failures.push_back(Where(b) + ": preprocessing failed:\n" + Messages(preprocess[i]));
            continue;
        }
        s.preprocessed = preprocess[i].out;
        for (size_t k = 0; k < i && s.duplicateOf == SIZE_MAX; ++k)
            if (builds[k].effect == b.effect && states[k].preprocessed == s.preprocessed) s.duplicateOf = k;

        TechniqueList list{b.effect, b.configuration, {}};
        std::string problem;
        if (!FindPasses(s.preprocessed, list.names, s.passes, problem))
            report.failures.push_back(Where(b) + ": " + problem);
        report.techniques.push_back(list);
        if (s.duplicateOf != SIZE_MAX) continue;

        s.effectJob = jobs.size();
        jobs.emplace_back(b.folder, "-x hlsl -p fx_2_0 -b fx -o " + b.effect + ".fxo " + b.effect + ".fx");
        for (const PassUse& pass : s.passes) {
            for (const ShaderUse& use : pass.shaders) {
                const std::string key = ShaderLabel(use) + " " + use.profile;
                if (s.shaderJobs.count(key)) continue;
                std::string file = b.effect + ".fx", entry = use.entry;
                if (!use.arguments.empty()) {
                    // Uniform arguments are bound by a wrapper entry in a file of its own
                    // that includes the effect, which stays as written.
                    entry = "CheckEntry" + std::to_string(s.shaderJobs.size());
                    file = b.effect + "." + entry + ".fx";
                    std::string wrapper;
                    if (!MakeEntryWrapper(s.preprocessed, use, entry, wrapper, problem)) {
                        report.failures.push_back(Where(b) + ": " + pass.technique + "/" + pass.pass + ": " + problem);
                        continue;
                    }
                    WriteText(b.folder / file, "#include \"" + b.effect + ".fx\"\n" + wrapper);
                }
                s.shaderJobs[key] = jobs.size();
                jobs.emplace_back(b.folder, "-x hlsl -p " + use.profile + " -e " + entry + " -b d3d-asm " + file);
            }
        }
    }
    RunAll(jobs, "compile");

    std::map<std::string, int> notImplemented;
    for (BuildState& s : states) {
        if (s.duplicateOf != SIZE_MAX || s.effectJob == SIZE_MAX) continue;
        const std::string where = Where(*s.build);
        JudgeEffect(jobs[s.effectJob], where, report, notImplemented);
        std::set<size_t> judged;
        for (const PassUse& pass : s.passes) {
            const std::string passWhere = where + " " + pass.technique + "/" + pass.pass;
            std::string vsAssembly, psAssembly;
            bool linkable = true;
            std::set<std::string> majors;
            for (const ShaderUse& use : pass.shaders) {
                const auto found = s.shaderJobs.find(ShaderLabel(use) + " " + use.profile);
                if (found == s.shaderJobs.end()) {
                    linkable = false;
                    continue;
                }
                const Job& job = jobs[found->second];
                majors.insert(use.profile.substr(3));
                if (Failed(job)) {
                    linkable = false;
                    if (judged.insert(found->second).second)
                        report.failures.push_back(passWhere + ": " + use.profile + " " + ShaderLabel(use) + ":\n" +
                                                  Messages(job));
                    continue;
                }
                (use.profile[0] == 'v' ? vsAssembly : psAssembly) = job.out;
                if (!judged.insert(found->second).second) continue;
                ShaderRow row{s.build->effect, s.build->configuration, ShaderLabel(use), use.profile,
                              CountSlots(job.out)};
                if (!row.slots.unknown.empty())
                    report.failures.push_back(passWhere + ": " + row.shader + ": no slot weight for " +
                                              row.slots.unknown.front());
                else if (SlotLimitText(use.profile).empty())
                    report.failures.push_back(passWhere + ": no slot limit known for " + use.profile);
                else if (!WithinSlotLimit(use.profile, row.slots))
                    report.failures.push_back(passWhere + ": " + use.profile + " " + row.shader + " takes " +
                                              SlotCountText(use.profile, row.slots) + " instruction slots, over " +
                                              SlotLimitText(use.profile));
                report.rows.push_back(row);
            }
            // Direct3D 9 draws a 3.0 shader only with a 3.0 partner.
            if (majors.count("3_0") && majors.size() > 1)
                report.failures.push_back(passWhere + ": mixes shader model 3.0 with an older one");
            if (!linkable || vsAssembly.empty() || psAssembly.empty()) continue;
            const std::vector<std::string> written = VertexShaderOutputs(vsAssembly);
            for (const std::string& input : PixelShaderInputs(psAssembly))
                if (!std::binary_search(written.begin(), written.end(), input))
                    report.failures.push_back(passWhere + ": the pixel shader reads " + input +
                                              ", which the vertex shader does not write");
        }
    }
    for (const auto& [message, count] : notImplemented)
        report.notImplemented.push_back(std::to_string(count) + " x " + message);
    return report;
}

// Runs vkd3d-compiler over effect builds, several processes at a time, and
// judges what it prints.
#include "tests/shaders/EffectCheck.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <thread>

#include "tests/support/TestEnv.h"

namespace {

struct Job {
    fs::path file;          // the source, compiled in its own folder as fxc runs beside the work folder
    std::string arguments;  // before the file name
    std::string out, err;
    std::string problem;    // the messages of a failed run
    Job(fs::path file, std::string arguments) : file(std::move(file)), arguments(std::move(arguments)) {}
};

std::string Quoted(const fs::path& path) { return "'" + path.string() + "'"; }

void RunAll(std::vector<Job>& jobs) {
    std::atomic<size_t> next{0};
    auto worker = [&] {
        for (size_t i = next++; i < jobs.size(); i = next++) {
            Job& job = jobs[i];
            const fs::path folder = job.file.parent_path();
            const fs::path out = folder / ("job" + std::to_string(i) + ".out"), err = folder / ("job" + std::to_string(i) + ".err");
            const std::string command = "cd " + Quoted(folder) + " && " + Quoted(CompilerPath()) + " " + job.arguments +
                                        " " + Quoted(job.file.filename()) + " > " + Quoted(out) + " 2> " + Quoted(err);
            const int status = std::system(command.c_str());
            job.out = ReadText(out);
            job.err = ReadText(err);
            if (status != 0 || !job.err.empty())
                job.problem = job.err.empty() ? "(exit status " + std::to_string(status) + ", no message)" : job.err;
        }
    };
    std::vector<std::thread> threads(std::max(2u, std::thread::hardware_concurrency()));
    for (std::thread& t : threads) t = std::thread(worker);
    for (std::thread& t : threads) t.join();
}

std::string Where(const EffectBuild& b) { return b.effect + " (" + b.configuration + ")"; }

std::string Join(const std::vector<std::string>& items) {
    std::string out;
    for (const std::string& item : items) out += (out.empty() ? "" : ", ") + item;
    return out;
}

// The comma-separated items of a list, trimmed.
std::vector<std::string> Split(const std::string& list) {
    std::vector<std::string> items;
    std::istringstream in(list);
    for (std::string item; std::getline(in, item, ',');) {
        const size_t start = item.find_first_not_of(" \t\n"), end = item.find_last_not_of(" \t\n");
        if (start != std::string::npos) items.push_back(item.substr(start, end - start + 1));
    }
    return items;
}

// "compile <profile> <entry>(<arguments>)" in a pass.
struct ShaderUse {
    std::string profile, entry;
    std::vector<std::string> arguments;  // literal values of the uniform parameters
    std::string Label() const { return arguments.empty() ? entry : entry + "(" + Join(arguments) + ")"; }
};

struct Pass {
    std::string name;  // "technique/pass"
    std::vector<ShaderUse> shaders;
};

std::vector<Pass> FindPasses(const std::string& text) {
    static const std::regex token(R"(\b(technique|pass)\s+(\w*)|\bcompile\s+(\w+)\s+(\w+)\s*\(([^)]*)\))");
    std::vector<Pass> passes;
    std::string technique;
    for (std::sregex_iterator it(text.begin(), text.end(), token), end; it != end; ++it) {
        const std::smatch& m = *it;
        if (m[1] == "technique") technique = m[2];
        else if (m[1] == "pass") passes.push_back({technique + "/" + m[2].str(), {}});
        else if (!passes.empty()) passes.back().shaders.push_back({m[3], m[4], Split(m[5])});
    }
    return passes;
}

// An entry point named name that takes the varying parameters of use.entry
// and passes the pass's literal arguments for its uniform ones; empty when
// the definition is not found or its uniform parameters do not match.
std::string EntryWrapper(const std::string& text, const ShaderUse& use, const std::string& name) {
    std::smatch m;
    if (!std::regex_search(text, m, std::regex(R"((\w+)\s+)" + use.entry + R"(\s*\(([^)]*)\)\s*(:\s*\w+)?\s*\{)")))
        return "";
    static const std::regex uniform(R"(\buniform\b)"), parameterName(R"((\w+)\s*(:\s*\w+)?$)");
    std::vector<std::string> varying, call;
    size_t next = 0;
    for (const std::string& parameter : Split(m[2])) {
        std::smatch n;
        if (std::regex_search(parameter, uniform)) {
            if (next == use.arguments.size()) return "";
            call.push_back(use.arguments[next++]);
        } else if (std::regex_search(parameter, n, parameterName)) {
            varying.push_back(parameter);
            call.push_back(n[1]);
        }
    }
    if (next != use.arguments.size()) return "";
    return m[1].str() + " " + name + "(" + Join(varying) + ") " + m[3].str() + "\n{\n    return " + use.entry + "(" +
           Join(call) + ");\n}\n";
}

// fx_2_0: vkd3d stops at effect features it does not write yet (E5017), which
// are counted; any other message is an error fxc would report too.
void JudgeEffect(const Job& job, const std::string& where, CheckReport& report, std::map<std::string, int>& notImplemented) {
    static const std::string marker = "not yet implemented feature: ";
    std::istringstream in(job.err);
    std::string others;
    for (std::string line; std::getline(in, line);) {
        const size_t feature = line.find(marker);
        if (line.find("E5017") != std::string::npos && feature != std::string::npos)
            ++notImplemented[line.substr(feature + marker.size())];
        else if (!line.empty() && line.rfind("Failed to compile shader", 0) != 0)
            others += line + "\n";
    }
    if (!others.empty()) report.failures.push_back(where + ": the effect as fx_2_0:\n" + others);
}

struct Plan {
    const EffectBuild* build;
    std::vector<Pass> passes;
    size_t effectJob;
    std::map<std::string, size_t> shaderJobs;  // label + profile -> job
};

}  // namespace

fs::path CompilerPath() { return fs::path(VANTREL_VKD3D_COMPILER); }

void PreprocessBuilds(std::vector<EffectBuild>& builds, std::vector<std::string>& failures) {
    std::vector<Job> jobs;
    for (const EffectBuild& b : builds) jobs.emplace_back(b.file, "-E -x hlsl");
    RunAll(jobs);
    for (size_t i = 0; i < builds.size(); ++i) {
        if (!jobs[i].problem.empty()) failures.push_back(Where(builds[i]) + ": preprocessing failed:\n" + jobs[i].problem);
        else builds[i].preprocessed = jobs[i].out;
    }
}

std::vector<std::string> TechniqueNames(const std::string& preprocessed) {
    static const std::regex technique(R"(\btechnique\s+(\w+))");
    std::vector<std::string> names;
    for (std::sregex_iterator it(preprocessed.begin(), preprocessed.end(), technique), end; it != end; ++it)
        names.push_back((*it)[1]);
    return names;
}

CheckReport CheckEffects(const std::vector<EffectBuild>& builds) {
    CheckReport report;
    std::vector<Job> jobs;
    std::vector<Plan> plans;
    for (const EffectBuild& b : builds) {
        if (b.preprocessed.empty()) continue;
        Plan plan{&b, FindPasses(b.preprocessed), jobs.size(), {}};
        jobs.emplace_back(b.file, "-x hlsl -p fx_2_0 -b fx -o " + b.file.stem().string() + ".fxo");
        for (const Pass& pass : plan.passes) {
            for (const ShaderUse& use : pass.shaders) {
                const std::string key = use.Label() + " " + use.profile;
                if (plan.shaderJobs.count(key)) continue;
                fs::path file = b.file;
                std::string entry = use.entry;
                if (!use.arguments.empty()) {
                    // Uniform arguments are bound by a wrapper in a file of its own
                    // that includes the effect, which stays as written.
                    entry = "CheckEntry" + std::to_string(plan.shaderJobs.size());
                    const std::string wrapper = EntryWrapper(b.preprocessed, use, entry);
                    if (wrapper.empty()) {
                        report.failures.push_back(Where(b) + " " + pass.name + ": no definition of " + use.entry +
                                                  " with uniform parameters for " + use.Label());
                        continue;
                    }
                    file = b.file.parent_path() / (b.file.stem().string() + "." + entry + ".fx");
                    WriteText(file, "#include \"" + b.file.filename().string() + "\"\n" + wrapper);
                }
                plan.shaderJobs[key] = jobs.size();
                jobs.emplace_back(file, "-x hlsl -p " + use.profile + " -e " + entry + " -b d3d-asm");
            }
        }
        plans.push_back(plan);
    }
    RunAll(jobs);

    std::map<std::string, int> notImplemented;
    for (const Plan& plan : plans) {
        const EffectBuild& b = *plan.build;
        JudgeEffect(jobs[plan.effectJob], Where(b), report, notImplemented);
        std::set<size_t> judged;
        for (const Pass& pass : plan.passes) {
            const std::string where = Where(b) + " " + pass.name + ": ";
            std::string assembly[2];  // vertex, pixel shader
            bool linkable = true;
            std::set<std::string> models;
            for (const ShaderUse& use : pass.shaders) {
                models.insert(use.profile.substr(3));
                const auto found = plan.shaderJobs.find(use.Label() + " " + use.profile);
                if (found == plan.shaderJobs.end()) {
                    linkable = false;
                    continue;
                }
                const Job& job = jobs[found->second];
                const bool first = judged.insert(found->second).second;
                if (!job.problem.empty()) {
                    linkable = false;
                    if (first) report.failures.push_back(where + use.profile + " " + use.Label() + ":\n" + job.problem);
                    continue;
                }
                assembly[use.profile[0] == 'p'] = job.out;
                if (!first) continue;
                const ShaderRow row{b.effect, b.configuration, use.Label(), use.profile, CountSlots(job.out)};
                if (!row.slots.unknown.empty())
                    report.failures.push_back(where + row.shader + ": no slot weight for " + row.slots.unknown);
                else if (SlotLimit(use.profile).empty())
                    report.failures.push_back(where + "no slot limit known for " + use.profile);
                else if (SlotFill(use.profile, row.slots) > 1.0)
                    report.failures.push_back(where + use.profile + " " + row.shader + " takes " +
                                              SlotText(use.profile, row.slots) + " instruction slots, over " +
                                              SlotLimit(use.profile));
                report.rows.push_back(row);
            }
            // Direct3D 9 draws a 3.0 shader only with a 3.0 partner.
            if (models.count("3_0") && models.size() > 1)
                report.failures.push_back(where + "mixes shader model 3.0 with an older one");
            if (!linkable || assembly[0].empty() || assembly[1].empty()) continue;
            const std::vector<std::string> written = VertexShaderOutputs(assembly[0]);
            for (const std::string& input : PixelShaderInputs(assembly[1]))
                if (!std::binary_search(written.begin(), written.end(), input))
                    report.failures.push_back(where + "the pixel shader reads " + input +
                                              ", which the vertex shader does not write");
        }
    }
    for (const auto& [message, count] : notImplemented)
        report.notImplemented.push_back(std::to_string(count) + " x " + message);
    return report;
}

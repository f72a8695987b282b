// Real "Vantrel --install" and "--restore" processes on a fake game folder,
// killed or failed at its file operations (fault_inject.c, preloaded). After
// each, a normal install and restore must give the folder back byte for byte,
// and no run may report success for work that did not happen. Sampled from a
// run without injection: a kill before or after each rename, one failure per
// temporary written, and a kill or failure at each unlink and mkdir.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <mutex>
#include <sstream>

#include "app/AppPaths.h"
#include "settings/Settings.h"
#include "shaders/SkyOverride.h"
#include "tests/support/FakeTools.h"
#include "tests/support/PipelineTestEnv.h"

extern char** environ;

namespace {

using Tree = std::map<std::string, std::string>;
using Args = std::vector<std::string>;

enum class Fault { None, Kill, NoSpace, IoError };

const char* FaultName(Fault fault) {
    switch (fault) {
        case Fault::None: return "none";
        case Fault::Kill: return "kill";
        case Fault::NoSpace: return "enospc";
        case Fault::IoError: return "eio";
    }
    return "?";
}

struct RunResult {
    bool killed = false;
    int exitCode = -1;
    std::string output;
};

struct Op {
    long n = 0;
    std::string kind, path;
};

// The game folder as bytes: files by relative path, folders with a slash.
// The stand-in converter's own record of its calls is not the game's.
Tree ReadTree(const fs::path& folder) {
    Tree tree;
    if (!fs::exists(folder)) return tree;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        const std::string relative = fs::relative(entry.path(), folder).string();
        if (relative == "serz-calls.txt") continue;
        if (entry.is_symlink()) tree[relative] = "-> " + fs::read_symlink(entry.path()).string();
        else if (entry.is_directory()) tree[relative + "/"] = "";
        else tree[relative] = ReadText(entry.path());
    }
    return tree;
}

// The first few paths where the trees differ, for the failure message.
std::string Differences(const Tree& got, const Tree& expected) {
    std::string text;
    int shown = 0;
    for (const auto& [path, bytes] : got) {
        const auto other = expected.find(path);
        if (other == expected.end()) text += " +" + path;
        else if (other->second != bytes) text += " ~" + path;
        else continue;
        if (++shown == 6) return text + " ...";
    }
    for (const auto& [path, bytes] : expected) {
        if (got.count(path)) continue;
        text += " -" + path;
        if (++shown == 6) return text + " ...";
    }
    return text;
}

bool HoldsTemporary(const Tree& tree) {
    for (const auto& [path, bytes] : tree) {
        if (path.find(".vantrel-tmp") != std::string::npos) return true;
    }
    return false;
}

// The effects and the sky file as an install leaves them.
struct Installed {
    Tree shaders;
    std::string sky;
};

Installed ReadInstalled(const fs::path& game) {
    return {ReadTree(game / "dev" / "Shaders"), ReadText(SkyOverrideFile(game))};
}

bool operator==(const Installed& a, const Installed& b) { return a.shaders == b.shaders && a.sky == b.sky; }

// One worker's folders: its program folder (a copy of the program, the
// stand-in compiler as "fxc", the shipped originals), its preference folder
// (through XDG_DATA_HOME) and its game folder, reset from the template.
struct Sandbox {
    fs::path root, program, data, game;
    const fs::path* gameTemplate = nullptr;

    // The game folder as the template has it (or as another game folder has it).
    void ResetGame(const fs::path& from = {}) const {
        fs::remove_all(game);
        fs::copy(from.empty() ? *gameTemplate : from, game,
                 fs::copy_options::recursive | fs::copy_options::copy_symlinks);
    }

    void KeepGame(const fs::path& to) const {
        fs::remove_all(to);
        fs::copy(game, to, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
    }

    RunResult Vantrel(const Args& args, Fault fault = Fault::None, long at = 0, const fs::path& trace = {}) const {
        std::vector<std::string> words = {(program / "Vantrel").string()};
        words.insert(words.end(), args.begin(), args.end());
        std::vector<std::string> variables;
        for (char** variable = environ; *variable; ++variable) {
            const std::string text = *variable;
            if (!text.starts_with("XDG_DATA_HOME=") && !text.starts_with("HOME=") && !text.starts_with("LD_PRELOAD=")) {
                variables.push_back(text);
            }
        }
        variables.push_back("XDG_DATA_HOME=" + data.string());
        variables.push_back("HOME=" + (root / "home").string());  // no Steam library of the machine's
        variables.push_back("LD_PRELOAD=" + std::string(VANTREL_FAULT_LIBRARY));
        variables.push_back("VANTREL_FAULT_ROOT=" + game.string());
        variables.push_back("VANTREL_FAULT_AT=" + std::to_string(fault == Fault::None ? 0 : at));
        variables.push_back(std::string("VANTREL_FAULT_MODE=") + FaultName(fault));
        if (!trace.empty()) variables.push_back("VANTREL_FAULT_TRACE=" + trace.string());
        std::vector<char*> argv, envp;
        for (std::string& word : words) argv.push_back(word.data());
        for (std::string& variable : variables) envp.push_back(variable.data());
        argv.push_back(nullptr);
        envp.push_back(nullptr);

        const fs::path output = root / "output.txt";
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        posix_spawn_file_actions_addchdir_np(&actions, program.c_str());  // where the presets are
        RunResult run;
        pid_t pid = 0;
        const int started = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        if (started != 0) {
            run.output = "could not start " + words[0];
            return run;
        }
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        run.killed = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
        run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
        run.output = ReadText(output);
        return run;
    }

    std::vector<Op> Count(const Args& args) const {
        const fs::path trace = root / "trace.txt";
        fs::remove(trace);
        Vantrel(args, Fault::None, 0, trace);
        std::vector<Op> ops;
        std::istringstream lines(ReadText(trace));
        for (std::string line; std::getline(lines, line);) {
            std::istringstream words(line);
            Op op;
            words >> op.n >> op.kind;
            std::getline(words >> std::ws, op.path);
            ops.push_back(op);
        }
        return ops;
    }
};

const Args kInstallS1 = {"--install", "--preset", "S1.xml"};
const Args kInstallS2 = {"--install", "--preset", "S2.xml"};
const Args kRestore = {"--restore"};

struct Scenario {
    std::string name;
    std::vector<Args> before;  // normal runs that make the state the injected run starts from
    Args injected;
    fs::path start;            // the game folder they make, kept once
};

struct Case {
    size_t scenario = 0;
    Fault fault = Fault::None;
    long at = 0;
    std::string op;  // "<kind> <path>", for the messages
};

// Kills around the renames, failures spread over the steps of each write.
void Sample(const std::vector<Op>& ops, size_t scenario, std::vector<Case>& cases) {
    const auto add = [&](Fault fault, size_t index) {
        if (index < ops.size()) {
            cases.push_back({scenario, fault, ops[index].n, ops[index].kind + " " + ops[index].path});
        }
    };
    size_t group = 0, groupStart = 0, removal = 0;
    for (size_t i = 0; i < ops.size(); ++i) {
        const std::string& kind = ops[i].kind;
        if (kind == "unlink" || kind == "mkdir") {
            add(removal++ % 2 ? (kind == "mkdir" ? Fault::NoSpace : Fault::IoError) : Fault::Kill, i);
        } else if (kind == "open") {
            groupStart = i;
        } else if (kind == "rename") {
            add(Fault::Kill, group % 2 ? i + 1 : i);
            // open, write, flush, fsync, close, rename and the folder's fsync in turn
            const size_t steps = i + 2 - groupStart;
            add(group % 2 ? Fault::IoError : Fault::NoSpace, groupStart + group % steps);
            ++group;
        }
    }
}

struct Report {
    std::mutex lock;
    std::vector<std::string> failures;

    void Fail(const std::string& what) {
        std::lock_guard<std::mutex> hold(lock);
        failures.push_back(what);
    }
};

struct FaultInjection : ::testing::Test {
    TempDir scratch;
    fs::path base, gameTemplate;
    std::vector<Sandbox> sandboxes;
    Tree snapshot;
    Installed installedS1, installedS2;

    // Under /dev/shm where it can be written: thousands of flushed writes.
    fs::path MakeBase() {
        std::error_code ec;
        if (fs::is_directory("/dev/shm", ec) && access("/dev/shm", W_OK) == 0) {
            const fs::path folder = fs::path("/dev/shm") / ("vantrel-faults-" + std::to_string(getpid()));
            fs::create_directories(folder);
            return folder;
        }
        return scratch.path;
    }

    void TearDown() override {
        std::error_code ec;
        if (base != scratch.path) fs::remove_all(base, ec);
    }

    // Stock effects for some, none for the others; a file a game update
    // wrote that the shipped originals hold an older version of; the sky
    // file as the restore writes it; a profile with every option on, which
    // the patch therefore leaves alone.
    void MakeGameTemplate() {
        gameTemplate = base / "template";
        MakeFakeGameFolder(gameTemplate);
        InstallFakeConverter(gameTemplate);
        fs::remove(gameTemplate / "serz-calls.txt");
        const std::vector<std::string> effects = EffectNames();
        for (size_t i = 0; i < effects.size(); i += 2) {
            WriteText(GameShader(gameTemplate, effects[i]), "STOCK " + effects[i]);
        }
        WriteText(gameTemplate / "dev" / "Shaders" / "TrainParticleLit.fx.o", "GAME UPDATE TrainParticleLit");
        WriteText(gameTemplate / "dev" / "Shaders" / "notes.txt", "the player's notes");
        WriteText(SkyOverrideFile(gameTemplate), CrLf(kSkyOverrideBaseBlock));
        WriteFakeProfile(gameTemplate,
                         "<?xml version=\"1.0\"?>\n<cRecordSet><Record><cPlayerProfile>"
                         "<DetailPostProcessingBL>1</DetailPostProcessingBL><TSXEnabled>1</TSXEnabled>"
                         "<DetailPostProcessingDOF>1</DetailPostProcessingDOF>"
                         "<DetailProceduralFlora>1</DetailProceduralFlora></cPlayerProfile></Record></cRecordSet>\n");
        snapshot = ReadTree(gameTemplate);
    }

    Sandbox MakeSandbox(size_t index) {
        Sandbox box;
        box.root = base / ("worker" + std::to_string(index));
        box.program = box.root / "program";
        box.data = box.root / "data";
        box.game = box.root / "game";
        box.gameTemplate = &gameTemplate;
        fs::create_directories(box.program / "temp");
        fs::create_directories(box.root / "home");
        fs::copy_file(VANTREL_PROGRAM, box.program / "Vantrel");
        fs::copy_file(ToolPath("fake_fxc"), box.program / "fxc");
        const fs::path shipped = box.program / "Data" / "OriginalShaders";
        WriteText(shipped / "Rain.fx.o", "STOCK Rain");
        WriteText(shipped / "TrainParticleLit.fx.o", "SHIPPED TrainParticleLit");
        WriteText(shipped / "TrainSkyDome.fx.o", "SHIPPED TrainSkyDome");
        // The settings file names this game folder; the presets say what to install.
        const fs::path pref = box.data / "Quillstone" / "Vantrel";
        fs::create_directories(pref);
        SetAppPaths(W(pref) + u"/", W(box.program) + u"/");
        Settings settings;
        settings.TSPath = W(box.game);
        EXPECT_TRUE(settings.SaveSettingsFile());
        settings.Shader = Switches(true);
        EXPECT_TRUE(settings.SavePreset(W(box.program / "S1.xml")));
        settings.Shader = Switches(false);
        settings.Shader.BloomIntensity += 0.25f;
        EXPECT_TRUE(settings.SavePreset(W(box.program / "S2.xml")));
        SetAppPaths(u"", u"");
        box.ResetGame();
        return box;
    }

    void SetUp() override {
        base = MakeBase();
        MakeGameTemplate();
        const unsigned workers = std::clamp(std::thread::hardware_concurrency(), 2u, 4u);
        for (unsigned i = 0; i < workers; ++i) sandboxes.push_back(MakeSandbox(i));
        const Sandbox& box = sandboxes.front();
        for (const auto& [args, installed] :
             {std::pair(kInstallS1, &installedS1), std::pair(kInstallS2, &installedS2)}) {
            box.ResetGame();
            const RunResult run = box.Vantrel(args);
            ASSERT_EQ(run.exitCode, 0) << run.output;
            *installed = ReadInstalled(box.game);
        }
        ASSERT_NE(installedS1.shaders, installedS2.shaders);
    }

    // count pieces of work spread over the workers, each on its own folders.
    void OnWorkers(size_t count, const std::function<void(const Sandbox&, size_t)>& work) {
        std::atomic<size_t> next{0};
        std::vector<std::thread> workers;
        for (const Sandbox& box : sandboxes) {
            workers.emplace_back([&, box] {
                for (size_t i = next++; i < count; i = next++) work(box, i);
            });
        }
        for (std::thread& worker : workers) worker.join();
    }
};

// What the injected run said about itself must be true of the game folder.
void CheckInjectedRun(const Sandbox& box, const Scenario& scenario, const RunResult& run, const Installed& wanted,
                      const Tree& snapshot, const std::string& label, Report& report) {
    if (run.killed) return;
    const bool install = scenario.injected.front() == "--install";
    if (run.exitCode == 1) return;
    if (run.exitCode == 0 && !install && ReadTree(box.game) != snapshot) {
        report.Fail(label + ": the restore said it succeeded, yet:" + Differences(ReadTree(box.game), snapshot));
    } else if (install && (run.exitCode == 0 || run.exitCode == 2)) {
        const Installed got = ReadInstalled(box.game);
        if (got.shaders != wanted.shaders) {
            report.Fail(label + ": the install said it was done (exit " + std::to_string(run.exitCode) +
                        "), yet the effects are not all in:" + Differences(got.shaders, wanted.shaders));
        } else if (run.exitCode == 0 && got.sky != wanted.sky) {
            report.Fail(label + ": the install said it succeeded, yet the sky file is not written");
        } else if (run.exitCode == 2 &&
                   run.output.find("WARNING: The shaders are installed, but") == std::string::npos) {
            report.Fail(label + ": exit 2 without a warning line:\n" + run.output);
        }
    } else if (run.exitCode != 0 && run.exitCode != 2) {
        report.Fail(label + ": ended with exit " + std::to_string(run.exitCode) + "\n" + run.output);
    }
}

// A normal install and restore after anything must leave the game folder as it was.
void CheckRecovery(const Sandbox& box, const Installed& installedS1, const Tree& snapshot, const std::string& label,
                   Report& report) {
    const RunResult install = box.Vantrel(kInstallS1);
    const Tree afterInstall = ReadTree(box.game);
    if (install.exitCode != 0) {
        report.Fail(label + ": the next install failed (exit " + std::to_string(install.exitCode) + ")\n" +
                    install.output);
    } else if (ReadInstalled(box.game) != installedS1) {
        report.Fail(label + ": the next install left other effects:" +
                    Differences(ReadInstalled(box.game).shaders, installedS1.shaders));
    } else if (HoldsTemporary(afterInstall)) {
        report.Fail(label + ": a temporary survived the next install");
    }
    const RunResult restore = box.Vantrel(kRestore);
    const Tree afterRestore = ReadTree(box.game);
    if (restore.exitCode != 0) {
        report.Fail(label + ": the restore failed (exit " + std::to_string(restore.exitCode) + ")\n" + restore.output);
    } else if (afterRestore != snapshot) {
        report.Fail(label + ": the restore did not give back the game folder:" + Differences(afterRestore, snapshot) +
                    "\n" + restore.output);
    }
}

}  // namespace

TEST_F(FaultInjection,
       EveryKillAndFailureOfAGameFileOperationIsUndoneByTheNextInstallAndRestoreAndNeverReportedAsDone) {
    std::vector<Scenario> scenarios = {
        {"install", {}, kInstallS1, {}},
        {"install over other settings", {kInstallS2}, kInstallS1, {}},
        {"install again", {kInstallS1}, kInstallS1, {}},
        {"restore", {kInstallS1}, kRestore, {}},
    };
    const std::map<Args, const Installed*> wanted = {{kInstallS1, &installedS1}, {kInstallS2, &installedS2}};
    std::vector<Case> cases;
    const Sandbox& counter = sandboxes.front();
    for (size_t s = 0; s < scenarios.size(); ++s) {
        counter.ResetGame();
        for (const Args& args : scenarios[s].before) ASSERT_EQ(counter.Vantrel(args).exitCode, 0);
        scenarios[s].start = base / ("start" + std::to_string(s));
        counter.KeepGame(scenarios[s].start);
        const std::vector<Op> ops = counter.Count(scenarios[s].injected);
        ASSERT_FALSE(ops.empty()) << scenarios[s].name << ": no operation counted";
        Sample(ops, s, cases);
    }

    Report report;
    OnWorkers(cases.size(), [&](const Sandbox& box, size_t i) {
        const Case& c = cases[i];
        const Scenario& scenario = scenarios[c.scenario];
        const std::string label =
            scenario.name + ", " + FaultName(c.fault) + " at operation " + std::to_string(c.at) + " (" + c.op + ")";
        box.ResetGame(scenario.start);
        RunResult run = box.Vantrel(scenario.injected, c.fault, c.at);
        if (c.fault == Fault::Kill && !run.killed) {
            // Once more, in case the machine failed to start the converter
            // or compiler and the run took another way.
            box.ResetGame(scenario.start);
            run = box.Vantrel(scenario.injected, c.fault, c.at);
        }
        if (c.fault == Fault::Kill && !run.killed) {
            report.Fail(label + ": the process was not killed but ended with exit " + std::to_string(run.exitCode) +
                        "\n" + run.output);
        }
        const auto want = wanted.find(scenario.injected);
        CheckInjectedRun(box, scenario, run, want == wanted.end() ? installedS1 : *want->second, snapshot, label,
                         report);
        CheckRecovery(box, installedS1, snapshot, label, report);
    });
    for (const std::string& failure : report.failures) ADD_FAILURE() << failure;
}

// A crash after an effect is written but before the record's last save, then
// a second install with other settings killed right after it saved the hash
// it was about to write over that effect: the first one's output must still
// be known as Vantrel's own, never backed up as the game's, and the restore
// must give back the game's file. Tried for each effect.
TEST_F(FaultInjection, TwoCrashesInARowNeverMakeVantrelsOwnOutputPassForTheOriginal) {
    const std::vector<std::string> effects = EffectNames();
    sandboxes.front().ResetGame();
    const std::vector<Op> first = sandboxes.front().Count(kInstallS1);
    const fs::path firstGame = sandboxes.front().game;
    Report report;
    std::atomic<int> sequences{0};
    OnWorkers(effects.size(), [&](const Sandbox& box, size_t i) {
        const std::string target = "/dev/Shaders/" + effects[i] + ".fx.o", record = "/Vantrel/Changes.xml";
        const auto isRename = [](const Op& op, const fs::path& game, const std::string& path) {
            return op.kind == "rename" && op.path == game.string() + path;
        };
        const auto written = std::find_if(first.begin(), first.end(), [&](const Op& op) {
            return isRename(op, firstGame, target);
        });
        if (written == first.end()) return report.Fail(effects[i] + ": the first install never wrote it");
        box.ResetGame();
        if (!box.Vantrel(kInstallS1, Fault::Kill, written->n + 1).killed) {
            return report.Fail(effects[i] + ": not killed");
        }
        const fs::path afterFirst = box.root / "after-first";
        box.KeepGame(afterFirst);
        long secondKill = 0;
        bool rewritten = false;
        for (const Op& op : box.Count(kInstallS2)) {
            if (isRename(op, box.game, record)) secondKill = op.n + 1;
            if ((rewritten = isRename(op, box.game, target))) break;
        }
        // The other settings may compile this effect to the same bytes: nothing to write.
        if (!rewritten) return;
        box.ResetGame(afterFirst);
        if (!box.Vantrel(kInstallS2, Fault::Kill, secondKill).killed) return report.Fail(effects[i] + ": not killed");
        ++sequences;
        CheckRecovery(box, installedS1, snapshot, "two crashes over " + effects[i], report);
    });
    EXPECT_GT(sequences.load(), 0);
    for (const std::string& failure : report.failures) ADD_FAILURE() << failure;
}

// The command line itself: its exit codes, the log's lines on standard
// output, and a usage line for what it does not know.
TEST_F(FaultInjection, TheCommandLineSaysWhatHappenedInItsExitCodeAndItsLines) {
    const Sandbox& box = sandboxes.front();
    box.ResetGame();
    const auto says = [](const RunResult& run, const std::string& line) {
        return ("\n" + run.output).find("\n" + line + "\n") != std::string::npos;
    };
    {
        SCOPED_TRACE("what it does not know");
        for (const Args& args : {Args{"--bogus"}, Args{"--install", "--restore"}, Args{"--install", "--preset"},
                                 Args{"--restore", "--preset", "S1.xml"}, Args{"install"}}) {
            const RunResult run = box.Vantrel(args);
            EXPECT_EQ(run.exitCode, 1) << args.front();
            EXPECT_TRUE(says(run, "Usage: Vantrel [--install [--preset FILE] | --restore]")) << run.output;
        }
        const RunResult missing = box.Vantrel({"--install", "--preset", "missing.xml"});
        EXPECT_EQ(missing.exitCode, 1);
        EXPECT_TRUE(says(missing, "Shaders Installation Failed")) << missing.output;
        EXPECT_EQ(ReadTree(box.game), snapshot);
    }
    {
        SCOPED_TRACE("an install, the same again, a restore");
        const RunResult install = box.Vantrel(kInstallS1);
        EXPECT_EQ(install.exitCode, 0);
        for (const char* line : {"Compiling shaders...", "Compiled and installed shader: Rain",
                                 "Tweaked Silverlining file", "Shaders Installation Succeeded"}) {
            EXPECT_TRUE(says(install, line)) << line << "\n" << install.output;
        }
        const RunResult again = box.Vantrel(kInstallS1);
        EXPECT_EQ(again.exitCode, 0);
        EXPECT_TRUE(says(again, "Installed shader already current: Rain")) << again.output;
        const RunResult restore = box.Vantrel(kRestore);
        EXPECT_EQ(restore.exitCode, 0);
        EXPECT_TRUE(says(restore, "Shaders Restoration Succeeded")) << restore.output;
        EXPECT_EQ(ReadTree(box.game), snapshot);
    }
    {
        SCOPED_TRACE("the sky file cannot be written: installed, with a warning");
        fs::remove_all(box.game / "data" / "SilverLining");
        WriteText(box.game / "data" / "SilverLining", "a file where the folder belongs");
        const RunResult install = box.Vantrel(kInstallS1);
        EXPECT_EQ(install.exitCode, 2);
        EXPECT_TRUE(says(install, "Shaders Installation Succeeded with warnings")) << install.output;
        EXPECT_EQ(ReadInstalled(box.game).shaders, installedS1.shaders);
        const RunResult restore = box.Vantrel(kRestore);
        EXPECT_EQ(restore.exitCode, 1);  // nor can its base block go back
        EXPECT_TRUE(says(restore, "Shaders Restoration Failed")) << restore.output;
        EXPECT_FALSE(fs::exists(box.game / "Vantrel"));
    }
}

// The settings record, its file and presets: construction, the restore and
// out-of-date rules, round trips in the known layout, the reading rules of
// hand-written files, and saves that fail.
#include <cstring>
#include <fstream>
#include <new>

#include "app/Log.h"
#include "tests/support/PipelineTestEnv.h"
#include "tests/support/Printers.h"

namespace {
// A record with every field moved away from its default.
Settings EveryFieldChanged() {
    Settings s;
    s.Language = 2;
    s.HelpIcons = false;
    s.TSPath = u"/games/Rail Works/\u00E9t\u00E9";
    s.ShadersInstallOK = true;
    s.ShadersVersion = u"1.03";
    s.NeedShadersUpdate = true;
    int i = 0;
    for (const ParamDesc& p : ShaderParamTable()) {
        ++i;
        switch (p.kind) {
            case ParamKind::Bool: s.Shader.*p.boolField = !p.defaultBool; break;
            case ParamKind::Float: s.Shader.*p.floatField = p.defaultFloat * 0.5f + 0.1f * i - 3.0f; break;
            case ParamKind::Tint: s.Shader.*p.tintField = {0.125f * i, 0.2f, -1.5f}; break;
        }
    }
    return s;
}
// The first kilobyte of a file.
std::string ReadStart(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes(1024, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<size_t>(in.gcount()));
    return bytes;
}
}  // namespace

TEST(SettingsModel, EveryFieldIsSetAndTheRestoreAndOutOfDateRulesHold) {
    // Built over two different garbage fillings, the records are equal: a
    // field the parameter table forgot would keep its garbage.
    alignas(ShaderSettings) unsigned char a[sizeof(ShaderSettings)], b[sizeof(ShaderSettings)];
    std::memset(a, 0x00, sizeof a);
    std::memset(b, 0x5A, sizeof b);
    EXPECT_TRUE(*new (a) ShaderSettings() == *new (b) ShaderSettings());
    EXPECT_EQ(ShaderParamTable().size(), 54u);

    Settings settings = EveryFieldChanged();
    settings.NeedShadersUpdate = false;
    settings.RestoreShaderDefaults();
    EXPECT_EQ(settings.Shader, ShaderSettings());
    EXPECT_TRUE(settings.NeedShadersUpdate);
    settings.Shader = EveryFieldChanged().Shader;
    EXPECT_EQ(settings, EveryFieldChanged());  // nothing else moved

    Settings fresh;
    EXPECT_TRUE(fresh.ShadersOutdated());  // never installed
    fresh.ShadersVersion = APP_VERSION;
    EXPECT_FALSE(fresh.ShadersOutdated());
    fresh.ShadersVersion = std::u16string(APP_VERSION) + u"a";
    EXPECT_TRUE(fresh.ShadersOutdated());
    fresh.ShadersVersion = APP_VERSION;
    fresh.RequestShadersUpdate();
    EXPECT_TRUE(fresh.ShadersOutdated());
}

TEST(SettingsFile, RoundTripsKeepsTheOldFileOnFailureReadsHandWrittenFilesAndCarriesPresets) {
    TempDir tmp;
    UseTempAppPaths(tmp);
    const fs::path file = tmp.path / "pref" / "settings.xml";
    // What a settings file with these groups reads into, from a record whose
    // every field is off its default.
    const auto loaded = [&](const std::string& groups) {
        WriteText(file, "<Settings>" + groups + "</Settings>");
        Settings s = EveryFieldChanged();
        s.LoadSettingsFile();
        return s;
    };
    const auto shaders = [&](const std::string& elements) {
        return loaded("<TSXXShaders>" + elements + "</TSXXShaders>").Shader;
    };
    const std::u16string preset = W(tmp.path / "my preset.xml");
    const Settings exported = EveryFieldChanged();
    {
        SCOPED_TRACE("the defaults in the known layout, and every field changed, round trip");
        Settings().SaveSettingsFile();
        Settings read = EveryFieldChanged();
        read.LoadSettingsFile();
        EXPECT_EQ(read, Settings());
        const std::string text = ReadText(file);
        EXPECT_EQ(text.rfind("<?xml version=\"1.0\"?>\n<Settings>\n\t<Global>\n\t\t<Language value=\"0\" />\n"
                             "\t\t<HelpIcons value=\"true\" />\n\t</Global>\n\t<TSXX>\n\t\t<ShadersVersion value=\"\" />\n"
                             "\t\t<NeedShadersUpdate value=\"false\" />\n\t\t<ShadersInstallOK value=\"false\" />\n"
                             "\t\t<TSPath value=\"\" />\n\t</TSXX>\n\t<TSXXShaders>\n"
                             "\t\t<SSAO value=\"true\" />\n\t\t<SSAOIntensity value=\"1\" />\n",
                             0),
                  0u)
            << text;
        for (const char* line : {"<DOFNearPlane value=\"500\" />", "<FXAAEdgeBluringIntensity value=\"0.75\" />",
                                 "<VegetationMaxBrightnessVariationAmplitude value=\"0.200000003\" />",
                                 "<PointLightColorTint r=\"1\" g=\"1\" b=\"1\" />",
                                 "\t\t<ColorBandingFix value=\"true\" />\n\t</TSXXShaders>\n</Settings>\n"}) {
            EXPECT_NE(text.find(line), std::string::npos) << line;
        }
        exported.SaveSettingsFile();
        read = Settings();
        read.LoadSettingsFile();
        EXPECT_EQ(read, exported);
        EXPECT_EQ(ReadLogLines(),
                  (std::vector<std::string>{"Saving settings...", "Settings saved", "Reading settings...",
                                            "Done...", "Saving settings...", "Settings saved",
                                            "Reading settings...", "Done..."}));
    }
    {
        SCOPED_TRACE("a read-only file is refused, even to an administrator, and stays whole");
        const std::string saved = ReadText(file);
        fs::permissions(file, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove);
        Settings().SaveSettingsFile();
        fs::permissions(file, fs::perms::owner_write, fs::perm_options::add);
        EXPECT_EQ(ReadText(file), saved);
        const auto log = ReadLogLines();
        EXPECT_EQ(std::vector<std::string>(log.end() - 2, log.end()),
                  (std::vector<std::string>{
                      "ERROR: Can't save " + WideToUtf8(AppPaths.settingsFile) + ": the file is read-only",
                      "Failed to save settings"}));
    }
    {
        SCOPED_TRACE("hand-written values: booleans, numbers never clamped, missing ones at their defaults");
        for (const auto& [value, on] : {std::pair("TRUE", true), {"Y", true}, {"1x", true}, {"yes", true},
                                        {"no", false}, {"", false}, {"0", false}, {" true", false}})
            EXPECT_EQ(shaders("<SSAO value='" + std::string(value) + "'/>").SSAO, on) << value;
        for (const auto& [value, number] :
             {std::pair("1,5", 1.0f), {"abc", 0.0f}, {"2e-1", 0.2f}, {"-3", -3.0f}, {"5000", 5000.0f}})
            EXPECT_EQ(shaders("<DOFNearPlane value='" + std::string(value) + "'/>").DOFNearPlane, number) << value;
        const ShaderSettings partial = shaders("<DOFNearPlane/><LightGlowColorTint r='0.5'/>");
        EXPECT_EQ(partial.DOFNearPlane, 500.0f);
        EXPECT_EQ(partial.LightGlowColorTint, (ColorTint{0.5f, 1.0f, 1.0f}));
        EXPECT_TRUE(partial.SSAO);
        Settings expected;
        expected.TSPath = u"D:\\TS";
        expected.ShadersInstallOK = true;
        EXPECT_EQ(loaded("<TSXX><TSPath value='D:\\TS' /><ShadersInstallOK value='yes'/></TSXX>"), expected);
        EXPECT_EQ(loaded("<Global><Language value='0x2'/></Global>").Language, 2u);
    }
    {
        SCOPED_TRACE("any language value, the -1 of a hand-edited file too, comes back the same after a save");
        const Settings minusOne = loaded("<Global><Language value='-1'/></Global>");
        minusOne.SaveSettingsFile();
        Settings read;
        read.LoadSettingsFile();
        EXPECT_EQ(read.Language, minusOne.Language);
    }
    {
        SCOPED_TRACE("a malformed file keeps what was parsed before the error; a missing one gives the defaults");
        Settings expected;
        expected.Language = 1;
        expected.HelpIcons = false;
        EXPECT_EQ(loaded("<Global><Language value='1'/><HelpIcons value='false'/></Global><TSXX><TSPath val"),
                  expected);
        fs::remove(file);
        Settings missing = EveryFieldChanged();
        missing.LoadSettingsFile();
        EXPECT_EQ(missing, Settings());
    }
    {
        SCOPED_TRACE("presets carry only the parameters, and importing changes only those");
        exported.SavePreset(preset);
        const std::string presetText = ReadText(tmp.path / "my preset.xml");
        EXPECT_EQ(presetText.rfind("<?xml version=\"1.0\"?>\n<MOXPreset>\n\t<TSXXShaders>\n", 0), 0u);
        EXPECT_EQ(presetText.find("Global"), std::string::npos);
        EXPECT_EQ(presetText.find("TSXX>"), std::string::npos);
        EXPECT_FALSE(fs::exists(tmp.path / "pref" / "settings.xml"));
        Settings imported = exported;
        imported.Shader = ShaderSettings();
        imported.NeedShadersUpdate = false;
        Settings expected = exported;
        expected.NeedShadersUpdate = false;
        imported.LoadPreset(preset);
        EXPECT_EQ(imported, expected);
    }
    {
        SCOPED_TRACE("a preset without SSAOIntensity resets it");
        WriteText(tmp.path / "partial.xml", "<MOXPreset><TSXXShaders><SSAO value='false'/></TSXXShaders></MOXPreset>");
        Settings imported = exported;
        imported.Shader.SSAOIntensity = 1.9f;
        imported.LoadPreset(W(tmp.path / "partial.xml"));
        EXPECT_FALSE(imported.Shader.SSAO);
        EXPECT_EQ(imported.Shader.SSAOIntensity, 1.0f);
    }
    {
        SCOPED_TRACE("a preset that cannot be written says so (the file layer logs the cause first)");
        EXPECT_FALSE(exported.SavePreset(W(tmp.path / "missing" / "p.xml")));
        EXPECT_EQ(ReadLogLines().back(), "Failed to save preset file");
    }
}

TEST(SettingsFile, AFileThatCannotBeReadIsKeptBesideItselfAndWhatIsNoPresetChangesNothing) {
    TempDir tmp;
    UseTempAppPaths(tmp);
    const fs::path pref = tmp.path / "pref", file = pref / "settings.xml";
    {
        SCOPED_TRACE("too large, no XML, cut short, another document: kept before the next save replaces it");
        const std::pair<std::string, std::string> cases[] = {
            {"too large", ""},  // made below: 64 MiB and a byte, mostly a hole
            {"no XML", std::string("language=2\r\n\0\xff", 16)},
            {"cut short", "<Settings><Global><Language value='2'/></Global><TSXX><TSPath val"},
            {"another document", "<MOXPreset><TSXXShaders><SSAO value='false'/></TSXXShaders></MOXPreset>"},
            {"empty", ""}};
        std::vector<std::string> kept;
        for (const auto& c : cases) {
            const std::string& what = c.first;  // named, not bound: lambdas below capture them
            const std::string& bytes = c.second;
            SCOPED_TRACE(what);
            WriteText(file, bytes);
            if (what == "too large") fs::resize_file(file, (std::uintmax_t(64) << 20) + 1);
            // The huge one by its size and start (its bytes alike would take seconds to compare).
            const std::uintmax_t size = fs::file_size(file);
            const std::string start = ReadStart(file);
            const auto same = [&](const fs::path& copy) {
                return fs::file_size(copy) == size && (what == "too large" ? ReadStart(copy) == start
                                                                           : ReadText(copy) == bytes);
            };
            ClearLog();
            Settings read = EveryFieldChanged();
            const SettingsFileLoad load = read.LoadSettingsFile();
            EXPECT_TRUE(load.unreadable);
            const std::string name = kept.empty() ? "settings.unreadable.xml"
                                                  : "settings.unreadable-" + std::to_string(kept.size() + 1) + ".xml";
            EXPECT_EQ(FsPath(load.keptAs), pref / name);
            EXPECT_TRUE(same(pref / name));
            EXPECT_EQ(read.Language, what == "cut short" ? 2u : 0u);  // what was parsed before the fault
            EXPECT_NE(ReadLogLines()[what == "too large" ? 2 : 1].find("; it was kept as " + WideToUtf8(load.keptAs)),
                      std::string::npos);
            read.SaveSettingsFile();
            EXPECT_TRUE(same(pref / name));
            kept.push_back(name);
        }
        EXPECT_EQ(FileNames(pref), (std::vector<std::string>{"log.txt", "settings.unreadable-2.xml",
                                                             "settings.unreadable-3.xml", "settings.unreadable-4.xml",
                                                             "settings.unreadable-5.xml", "settings.unreadable.xml",
                                                             "settings.xml"}));
        // What reads is not kept.
        Settings read;
        EXPECT_FALSE(read.LoadSettingsFile().unreadable);
        EXPECT_EQ(FileNames(pref).size(), 7u);
    }
    {
        SCOPED_TRACE("a file that is no preset is refused, logged, and nothing changes");
        const fs::path preset = tmp.path / "chosen.xml";
        const std::pair<std::string, PresetProblem> cases[] = {
            {"SSAO=false\n", PresetProblem::NotXml},
            {"<MOXPreset><TSXXShaders><SSAO value='false'/></TSXXShaders>", PresetProblem::NotXml},
            {"<Settings><TSXXShaders><SSAO value='false'/></TSXXShaders></Settings>", PresetProblem::NotAPreset},
            {"<?xml version='1.0'?><html><body>a web page</body></html>", PresetProblem::NotAPreset},
            {"<MOXPreset/>", PresetProblem::NoParameters},
            {"<MOXPreset><TSXXShaders><Unknown value='1'/></TSXXShaders></MOXPreset>", PresetProblem::NoParameters},
            {"<MOXPreset><SSAO value='false'/></MOXPreset>", PresetProblem::NoParameters}};
        for (const auto& [text, problem] : cases) {
            SCOPED_TRACE(text);
            WriteText(preset, text);
            ClearLog();
            Settings imported = EveryFieldChanged();
            EXPECT_EQ(imported.LoadPreset(W(preset)), problem);
            EXPECT_EQ(imported, EveryFieldChanged());
            const auto log = ReadLogLines();
            ASSERT_EQ(log.size(), 2u);
            EXPECT_EQ(log[1].rfind("Preset not imported, nothing changed: " + preset.string() + ": ", 0), 0u);
        }
        fs::remove(preset);
        Settings imported = EveryFieldChanged();
        EXPECT_EQ(imported.LoadPreset(W(preset)), PresetProblem::Unreadable);
        EXPECT_EQ(imported, EveryFieldChanged());
        // One parameter is enough; the others take their defaults.
        WriteText(preset, "<MOXPreset><TSXXShaders><SSAO value='false'/></TSXXShaders></MOXPreset>");
        EXPECT_EQ(imported.LoadPreset(W(preset)), PresetProblem::None);
        EXPECT_FALSE(imported.Shader.SSAO);
        EXPECT_EQ(imported.Shader.SSAOIntensity, 1.0f);
    }
}

// The whole frame on a renderer-less host: what a user sees and what each
// click, key and close does to the settings, the files, the popups and the
// preview panel. Each scenario runs in traced steps, so that every failing
// step is reported.

#include "preview/PreviewWorker.h"
#include "shaders/ShaderInstaller.h"
#include "tests/support/FakeCompilerOutput.h"
#include "tests/support/FakeTools.h"
#include "tests/support/PipelineTestEnv.h"
#include "tests/support/Printers.h"
#include "tests/ui/UiDriver.h"
#include "ui/Actions.h"

namespace {

// The popups, by the identity after "###" in their names.
const char* const kNotice = "importantnotice";
const char* const kInstallStatus = "textureconversionresults";
const char* const kCompileConfirm = "shaderscompilationwarning";
const char* const kProgress = "installprogress";
const char* const kCloseQuestion = "closequestion";
const char* const kRestoreQuestion = "restorequestion";
const char* const kDefaultsQuestion = "defaultsquestion";

Settings SavedSettings() {
    Settings saved;
    saved.LoadSettingsFile();
    return saved;
}

bool Choose(UiDriver& ui, const std::vector<std::string>& menus, const std::string& item) {
    for (const std::string& menu : menus) {
        if (!ui.Click(ByKey("menu", menu))) return false;
    }
    return ui.Click(ByKey("menuitem", item));
}

size_t Count(const UiDriver& ui, const std::string& kind) {
    return std::count_if(ui.items.begin(), ui.items.end(), [&](const DrawnItem& i) { return i.kind == kind; });
}

// Confirms the install from its popup, as the user does from the button.
void ConfirmInstall(UiDriver& ui) {
    ASSERT_TRUE(ui.Click(ByKey("button", "installbutton")));
    ui.Frame(2);  // a request opens its popup in the next frame, drawn from the one after
    ASSERT_FALSE(ui.In(kCompileConfirm).empty());
    ASSERT_TRUE(ui.Click(ByKey("button", "shaderscompilation_compilebutton")));
}

// The program started again on the settings file, as after a restart.
void Restart(UiDriver& ui) {
    UiHostShutdown();
    Settings::Instance() = Settings();
    UiState() = UiStateRecord();
    ui.Start();
    ui.Frame(2);
}

// Types a value into a slider, opened by a double-click on it.
void TypeInto(UiDriver& ui, const std::string& label, const std::string& text) {
    ASSERT_TRUE(ui.ClickAt(ByLabel("slider", label), 0.9f, 0, 2));
    ui.Frame(3);  // the field takes the keyboard
    ASSERT_NE(ui.Find(ByLabel("entry", label)), nullptr);
    ui.Type(text);  // over the whole number, which the field selects
    ui.PressKey(ImGuiKey_Enter);
}

}  // namespace

TEST(Frame, AFirstRunWithoutTheGameShowsTheTermsThenOnlyTheFolderPartOfTheBar) {
    UiDriver ui;
    ui.Start();
    EXPECT_TRUE(PathExists(AppPaths.settingsFile));
    ui.Frame(2);
    {
        SCOPED_TRACE("the terms notice: Escape never agrees, the button does");
        EXPECT_TRUE(ui.ShowsText(T("dtgeula"), kNotice));
        ui.PressKey(ImGuiKey_Escape);
        EXPECT_FALSE(ui.In(kNotice).empty());
        ASSERT_TRUE(ui.Click(ByKey("button", "termsagreed")));
        ui.Frame();
        EXPECT_TRUE(ui.In(kNotice).empty());
    }
    {
        SCOPED_TRACE("a second start with the file in place: no notice, only the folder line");
        UiHostShutdown();
        UiState() = UiStateRecord();
        ui.Start();
        ui.Frame(2);
        EXPECT_TRUE(ui.In(kNotice).empty());
        std::set<std::string> shown;
        for (const DrawnItem& item : ui.items) {
            if (item.kind != "menu" && item.kind != "menuitem") shown.insert(item.kind + ":" + item.key + item.label);
        }
        EXPECT_EQ(shown, (std::set<std::string>{"text:" + T("tsintallpath"), "text:" + T("wrongtspath"),
                                                "button:changepath" + T("changepath") + " " + kIconChangeFolder}));
    }
    {
        SCOPED_TRACE("the file menu offers no install or restore; what needs a folder is there but disabled");
        ASSERT_TRUE(ui.Click(ByKey("menu", "file")));
        EXPECT_EQ(ui.Find(ByKey("menuitem", "installbutton")), nullptr);
        ASSERT_NE(ui.Find(ByKey("menuitem", "presetimport")), nullptr);
        EXPECT_TRUE(ui.Find(ByKey("menuitem", "presetimport"))->enabled);
        for (const char* key : {"opentsdirectory", "launchts32", "launchts64"}) {
            ASSERT_NE(ui.Find(ByKey("menuitem", key)), nullptr) << key;
            EXPECT_FALSE(ui.Find(ByKey("menuitem", key))->enabled) << key;
        }
        ui.PressKey(ImGuiKey_Escape);  // closes the open menu
        EXPECT_EQ(ui.Find(ByKey("menuitem", "presetimport")), nullptr);
    }
}

TEST(Frame, AnEditMarksTheShadersOutOfDateTheMenusSwitchAndSaveTheLanguageAndHelpIconsThePreviewWorksAndQuit) {
    UiDriver ui;
    Settings& settings = Settings::Instance();
    settings.TSPath = MakeFakeGameFolder(ui.root.path / "game");
    settings.ShadersInstallOK = true;
    settings.ShadersVersion = APP_VERSION;
    ui.StartAsReturningUser();
    {
        SCOPED_TRACE("an edit through the box or its label marks the installed shaders out of date");
        EXPECT_TRUE(ui.ShowsText(T("enabled")));
        ASSERT_TRUE(settings.Shader.SSAO);
        ASSERT_NE(ui.Find(ByLabel("help", "ssaointensityhelp")), nullptr);  // its row
        ASSERT_TRUE(ui.Click(ByLabel("check", T("ssao"))));
        EXPECT_FALSE(settings.Shader.SSAO);
        EXPECT_TRUE(settings.NeedShadersUpdate);
        ui.Frame();
        EXPECT_TRUE(ui.ShowsText(T("installedshadersoutofdate")));
        EXPECT_FALSE(ui.ShowsText(T("enabled")));
        EXPECT_EQ(ui.Find(ByLabel("help", "ssaointensityhelp")), nullptr);  // a switched-off SSAO hides its intensity
        ASSERT_TRUE(ui.Click(ByLabel("label", T("ssao"))));
        EXPECT_TRUE(settings.Shader.SSAO);
    }
    {
        SCOPED_TRACE("the language, under View, is saved and used in the frame of the click");
        const std::string englishStatus = T("status");
        ASSERT_TRUE(ui.ShowsText(englishStatus));
        ASSERT_TRUE(Choose(ui, {"view", "language"}, "lang_german"));
        EXPECT_EQ(settings.Language, 2u);
        EXPECT_EQ(SavedSettings().Language, 2u);
        EXPECT_NE(T("status"), englishStatus);
        EXPECT_TRUE(ui.ShowsText(T("status")));
        EXPECT_FALSE(ui.ShowsText(englishStatus));
    }
    {
        SCOPED_TRACE("help: a tooltip once the pointer rests on a label or an icon, a popup named for its parameter");
        ASSERT_TRUE(ui.Hover(ByLabel("label", T("ssao")), 0.2f));
        EXPECT_EQ(ui.Find(ByLabel("tooltip", T("ssao_help"))), nullptr);  // not yet
        ui.Frame(20);
        EXPECT_NE(ui.Find(ByLabel("tooltip", T("ssao_help"))), nullptr);
        ASSERT_TRUE(ui.Hover(ByLabel("help", "dofhelp"), 0.5f));
        EXPECT_NE(ui.Find(ByLabel("tooltip", T("dofenhancements_help"))), nullptr);
        EXPECT_GT(Count(ui, "help"), 10u);
        ASSERT_TRUE(ui.Click(ByLabel("help", "ssaohelp")));
        ui.Frame(2);
        EXPECT_EQ(UiState().parameterHelpText, T("ssao_help"));
        const std::vector<DrawnItem> popup = ui.In("parameterhelp");
        ASSERT_FALSE(popup.empty());
        const std::string title = T("parameterhelp") + ": " + T("ssao") + "###parameterhelp";
        EXPECT_EQ(popup.front().window.substr(0, title.size()), title);
        ASSERT_TRUE(ui.Click(ByKey("button", "close")));  // the help popup's
    }
    {
        SCOPED_TRACE("the view menu turns the help icons off; the controls stay");
        ASSERT_TRUE(Choose(ui, {"view"}, "helpicons"));
        ui.Frame();
        EXPECT_FALSE(settings.HelpIcons);
        EXPECT_FALSE(SavedSettings().HelpIcons);
        EXPECT_EQ(Count(ui, "help"), 0u);
        EXPECT_NE(ui.Find(ByLabel("check", T("ssao"))), nullptr);
    }
    {
        // With the whole parameters tab on one screen, the preview follows an
        // edit through its worker: the frame asks for a redraw until the
        // picture with the new value is shown.
        SCOPED_TRACE("the preview follows an edit");
        ImGui::GetIO().DisplaySize = ImVec2(1600, 6000);
        ASSERT_TRUE(ui.FramesUntil([] { return PreviewPanelShown().hasResult && !PreviewNeedsRedraw(); }));
        EXPECT_TRUE(ui.ShowsText(T("previewscope")));
        EXPECT_EQ(PreviewPanelShown().width, 1280);
        EXPECT_EQ(PreviewPanelShown().settings, settings.Shader);
        EXPECT_FALSE(PreviewNeedsRedraw());
        settings.Shader.Gamma = 1.6f;
        ui.Frame();
        EXPECT_TRUE(PreviewNeedsRedraw());
        ASSERT_TRUE(ui.FramesUntil([] { return PreviewPanelShown().settings.Gamma == 1.6f; }));
        EXPECT_FALSE(PreviewNeedsRedraw());
    }
    {
        SCOPED_TRACE("dragging across the picture moves the line that compares before and after");
        const DrawnItem* picture = ui.Find(ByKey("preview", "previewpicture"));
        ASSERT_NE(picture, nullptr);
        const float y = (picture->min.y + picture->max.y) / 2, width = picture->max.x - picture->min.x;
        ImGuiIO& io = ImGui::GetIO();
        io.MousePos = ImVec2(picture->min.x + width * 0.5f, y);
        ui.Frame();
        io.MouseDown[0] = true;
        ui.Frame();
        io.MousePos = ImVec2(picture->min.x + width * 0.2f, y);
        ui.Frame();
        io.MouseDown[0] = false;
        ui.Frame();
        EXPECT_NEAR(PreviewPanelShown().split, 0.2f, 0.01f);
    }
    const fs::path bin = ui.root.path / "bin";
    ScopedPathFirst path(bin);
    {
        // The logo, 1900 x 250, chosen in the open dialog with an image filter,
        // comes in scaled to the working width; a file that is no picture
        // leaves a notice with the cause and the picture as it was.
        SCOPED_TRACE("a screenshot replaces the built-in scene");
        WriteFakeChooser(bin, "zenity", (fs::path(VANTREL_SOURCE_DIR) / "Data" / "Textures" / "Logo.png").string(), 0);
        ASSERT_TRUE(ui.Click(ByKey("button", "previewloadscreenshot")));
        EXPECT_TRUE(ui.ShowsText(T("previewloading")));  // decoded beside the frames
        const std::vector<std::string> args = ReadLines(bin / "zenity-args.txt");
        EXPECT_NE(std::find(args.begin(), args.end(), "--title=" + T("previewbrowsertitle")), args.end());
        EXPECT_TRUE(std::any_of(args.begin(), args.end(),
                                [](const std::string& a) { return a.find("*.jpg") != std::string::npos; }));
        ASSERT_TRUE(ui.FramesUntil([] { return PreviewPanelShown().screenshot && PreviewPanelShown().hasResult; }));
        EXPECT_EQ(PreviewPanelShown().width, 1280);
        EXPECT_EQ(PreviewPanelShown().height, 168);
        WriteText(ui.root.path / "notes.png", "not a picture");
        WriteFakeChooser(bin, "zenity", (ui.root.path / "notes.png").string(), 0);
        ASSERT_TRUE(ui.Click(ByKey("button", "previewloadscreenshot")));
        ASSERT_TRUE(ui.FramesUntil([&ui] { return ui.ShowsText(T("previewloadnotpicture")); }));
        EXPECT_FALSE(ui.ShowsText(T("previewloading")));
        EXPECT_EQ(PreviewPanelShown().height, 168);
        ASSERT_TRUE(ui.Click(ByKey("button", "previewbuiltinscene")));
        EXPECT_FALSE(ui.ShowsText(T("previewloadnotpicture")));
        ASSERT_TRUE(ui.FramesUntil([] { return PreviewPanelShown().hasResult && !PreviewNeedsRedraw(); }));
        EXPECT_FALSE(PreviewPanelShown().screenshot);
        EXPECT_EQ(PreviewPanelShown().height, 720);
    }
    {
        SCOPED_TRACE("the Help menu opens the user guide beside the program, and says so when it is not there");
        WriteFakeChooser(bin, "xdg-open", "", 0);
        ASSERT_TRUE(Choose(ui, {"help"}, "userguide"));
        EXPECT_TRUE(ui.In("guidemissing").empty());
        WriteText(ui.root.path / "program" / "README.txt", "the guide");
        ui.PressShortcut(ShortcutKey::F1, false);
        ASSERT_TRUE(WaitForFile(bin / "xdg-open-args.txt"));
        EXPECT_EQ(ReadLines(bin / "xdg-open-args.txt"),
                  std::vector<std::string>{(ui.root.path / "program" / "README.txt").string()});
        ui.Frame(2);
        EXPECT_FALSE(ui.In("guidemissing").empty());  // the first attempt, without the file
        ASSERT_TRUE(ui.Click(ByKey("button", "close")));
    }
    {
        SCOPED_TRACE("Quit asks about the gamma not yet installed; Discard ends the program");
        EXPECT_FALSE(HostQuitRequested());
        ASSERT_TRUE(Choose(ui, {"file"}, "quit"));
        ui.Frame(2);
        EXPECT_FALSE(HostQuitRequested());
        EXPECT_TRUE(ui.ShowsText(T("closequestion_one"), kCloseQuestion));
        ASSERT_TRUE(ui.Click(ByKey("button", "closequestion_discard")));
        EXPECT_TRUE(HostQuitRequested());
    }
}

TEST(Frame, ClosingWithEditsAsksKeepForNextTimeSurvivesARestartAndDiscardBringsBackTheInstalledValues) {
    UiDriver ui;
    SetHostDisplay(1600, 7000, 1.0f);  // the whole tab on one screen
    Settings& settings = Settings::Instance();
    settings.TSPath = MakeFakeGameFolder(ui.root.path / "game");
    settings.ShadersInstallOK = true;
    settings.ShadersVersion = APP_VERSION;
    ui.StartAsReturningUser();
    const Settings installed = SavedSettings();
    {
        SCOPED_TRACE("without edits the window closes at once");
        HostCloseWindow();
        EXPECT_TRUE(HostQuitRequested());
        Restart(ui);
        EXPECT_FALSE(HostQuitRequested());
    }
    {
        SCOPED_TRACE("with an edit it asks; Escape cancels and the window stays");
        TypeInto(ui, T("bloomintensity"), "1.5");
        EXPECT_EQ(settings.Shader.BloomIntensity, 1.5f);
        HostCloseWindow();
        ui.Frame(2);
        EXPECT_FALSE(HostQuitRequested());
        EXPECT_TRUE(ui.ShowsText(T("closequestion_one"), kCloseQuestion));
        EXPECT_TRUE(ui.ShowsText(T("closequestion_choices"), kCloseQuestion));
        ui.PressKey(ImGuiKey_Escape);
        EXPECT_TRUE(ui.In(kCloseQuestion).empty());
        EXPECT_FALSE(HostQuitRequested());
        EXPECT_EQ(SavedSettings(), installed);
    }
    {
        SCOPED_TRACE("Keep for next time saves the edit marked for an install, and closes");
        settings.NeedShadersUpdate = false;  // whatever marked it before, Keep does
        HostCloseWindow();
        ASSERT_TRUE(ui.Click(ByKey("button", "closequestion_keep")));
        EXPECT_TRUE(HostQuitRequested());
        Settings expected = installed;
        expected.Shader.BloomIntensity = 1.5f;
        expected.NeedShadersUpdate = true;
        EXPECT_EQ(SavedSettings(), expected);
    }
    {
        SCOPED_TRACE("after a restart the edit is there and the status says the shaders are out of date");
        Restart(ui);
        EXPECT_EQ(settings.Shader.BloomIntensity, 1.5f);
        EXPECT_TRUE(ui.ShowsText(T("installedshadersoutofdate")));
        HostCloseWindow();  // nothing changed since the start
        EXPECT_TRUE(HostQuitRequested());
    }
    {
        SCOPED_TRACE("Discard closes without saving: the next start has the values of the file");
        Restart(ui);
        const std::string file = ReadText(FsPath(AppPaths.settingsFile));
        TypeInto(ui, T("bloomintensity"), "0.25");
        ASSERT_TRUE(ui.Click(ByLabel("check", T("ssao"))));
        HostCloseWindow();
        ui.Frame(2);
        EXPECT_TRUE(ui.ShowsText(Filled(T("closequestion_many"), {{"count", "2"}}), kCloseQuestion));
        ASSERT_TRUE(ui.Click(ByKey("button", "closequestion_discard")));
        EXPECT_TRUE(HostQuitRequested());
        EXPECT_EQ(ReadText(FsPath(AppPaths.settingsFile)), file);
        Restart(ui);
        EXPECT_EQ(settings.Shader.BloomIntensity, 1.5f);
        EXPECT_TRUE(settings.Shader.SSAO);
    }
    {
        SCOPED_TRACE("a settings file that cannot be written keeps the window open and says so");
        ASSERT_TRUE(ui.Click(ByLabel("check", T("ssao"))));
        // A folder with something in it where the file was: nothing replaces it.
        fs::remove(FsPath(AppPaths.settingsFile));
        WriteText(FsPath(AppPaths.settingsFile) / "in the way", "");
        HostCloseWindow();
        ASSERT_TRUE(ui.Click(ByKey("button", "closequestion_keep")));
        EXPECT_FALSE(HostQuitRequested());
        ui.Frame();
        EXPECT_TRUE(ui.ShowsText(T("closequestion_savefailed"), kCloseQuestion));
        EXPECT_TRUE(Logged("Failed to save settings"));
    }
}

TEST(Frame, InstallNowClosesTheWindowOnceTheInstallSucceededAndStaysWithTheResultWhenItFailed) {
    UiDriver ui;
    SetUpPipeline(ui.root);
    ui.StartAsReturningUser();
    {
        SCOPED_TRACE("a failed install keeps the window open with its result");
        ScopedEnv fail("FAKE_FXC_FAIL", "Rain");
        ASSERT_TRUE(ui.Click(ByLabel("check", T("ssao"))));
        HostCloseWindow();
        ui.Frame(2);
        ui.PressKey(ImGuiKey_Enter);  // the default: Install now
        ASSERT_TRUE(ui.FramesUntil([&] { return !ui.In(kInstallStatus).empty(); }));
        EXPECT_FALSE(HostQuitRequested());
        EXPECT_TRUE(ui.ShowsText(T("installfailed"), kInstallStatus));
        ASSERT_TRUE(ui.Click(ByKey("button", "close")));
    }
    {
        SCOPED_TRACE("a successful one closes it, with the edit installed and saved");
        HostCloseWindow();
        ASSERT_TRUE(ui.Click(ByKey("button", "closequestion_install")));
        ASSERT_TRUE(ui.FramesUntil([] { return HostQuitRequested(); }));
        EXPECT_FALSE(SavedSettings().Shader.SSAO);
        EXPECT_TRUE(SavedSettings().ShadersInstallOK);
        EXPECT_FALSE(SavedSettings().NeedShadersUpdate);
    }
}

TEST(Frame, RestoreAndDefaultsAskFirstSayingWhatWillHappenAndRestoreIsOffWhenNothingIsInstalled) {
    UiDriver ui;
    SetHostDisplay(1600, 7000, 1.0f);  // the whole tab on one screen
    const fs::path game = SetUpPipeline(ui.root);
    PutStockShaders(game);
    ui.StartAsReturningUser();
    const auto restoreEnabled = [&] {
        const DrawnItem* button = ui.Find(ByKey("button", "restorebutton"));
        return button && button->enabled;
    };
    {
        SCOPED_TRACE("nothing installed: Restore is greyed, in the bar and the menu");
        EXPECT_FALSE(restoreEnabled());
        ASSERT_TRUE(ui.Click(ByKey("menu", "file")));
        ASSERT_NE(ui.Find(ByKey("menuitem", "restorebutton")), nullptr);
        EXPECT_FALSE(ui.Find(ByKey("menuitem", "restorebutton"))->enabled);
        ui.PressKey(ImGuiKey_Escape);
    }
    {
        SCOPED_TRACE("after an install it counts the effects it will put back, and Cancel restores nothing");
        ConfirmInstall(ui);
        ASSERT_TRUE(ui.FramesUntil([&] { return !ui.In(kInstallStatus).empty(); }));
        ASSERT_TRUE(ui.Click(ByKey("button", "close")));
        EXPECT_TRUE(restoreEnabled());
        ASSERT_TRUE(ui.Click(ByKey("button", "restorebutton")));
        ui.Frame(2);
        EXPECT_TRUE(ui.ShowsText(Filled(T("restorequestion_many"), {{"count", "15"}}), kRestoreQuestion));
        ASSERT_TRUE(ui.Click(ByKey("button", "cancel")));
        EXPECT_NE(ReadText(GameShader(game, "Rain")), "STOCK Rain");
    }
    {
        SCOPED_TRACE("Restore puts the game's files back; then there is nothing left to restore");
        ASSERT_TRUE(ui.Click(ByKey("button", "restorebutton")));
        ui.Frame(2);
        ui.PressKey(ImGuiKey_Enter);
        ASSERT_TRUE(ui.FramesUntil([&] { return !ui.In("restoreresults").empty(); }));
        ui.Frame();
        EXPECT_TRUE(ui.ShowsText(T("restoresuccess"), "restoreresults"));
        EXPECT_EQ(ReadText(GameShader(game, "Rain")), "STOCK Rain");
        ASSERT_TRUE(ui.Click(ByKey("button", "close")));
        EXPECT_FALSE(restoreEnabled());
    }
    Settings& settings = Settings::Instance();
    {
        SCOPED_TRACE("defaults: it says how many parameters go back; Escape keeps them");
        settings.Shader.Gamma = 1.4f;
        settings.Shader.SSAO = false;
        ASSERT_TRUE(ui.Click(ByKey("button", "restoresettings")));
        ui.Frame(2);
        EXPECT_TRUE(ui.ShowsText(Filled(T("defaultsquestion_many"), {{"count", "2"}, {"total", "54"}}),
                                 kDefaultsQuestion));
        ui.PressKey(ImGuiKey_Escape);
        EXPECT_EQ(settings.Shader.Gamma, 1.4f);
    }
    {
        SCOPED_TRACE("confirmed, every parameter is at its default, nothing is saved, and the button greys");
        settings.NeedShadersUpdate = false;
        const std::string file = ReadText(FsPath(AppPaths.settingsFile));
        ASSERT_TRUE(ui.Click(ByKey("button", "restoresettings")));
        ASSERT_TRUE(ui.Click(ByKey("button", "defaultsquestion_restore")));
        EXPECT_EQ(settings.Shader, ShaderSettings());
        EXPECT_TRUE(settings.NeedShadersUpdate);
        EXPECT_EQ(ReadText(FsPath(AppPaths.settingsFile)), file);
        ui.Frame();
        ASSERT_NE(ui.Find(ByKey("button", "restoresettings")), nullptr);
        EXPECT_FALSE(ui.Find(ByKey("button", "restoresettings"))->enabled);
    }
}

TEST(Frame, TheKeyboardReachesEveryControlTypesValuesAndTakesTheShortcutsAndARightClickResetsARow) {
    UiDriver ui;
    SetHostDisplay(1600, 7000, 1.0f);  // the whole tab on one screen
    Settings& settings = Settings::Instance();
    settings.Language = 1;  // values with a decimal comma
    settings.TSPath = MakeFakeGameFolder(ui.root.path / "game");
    settings.Shader = Switches(true);
    ui.StartAsReturningUser();
    const auto focused = [&]() -> const DrawnItem* {
        for (const DrawnItem& item : ui.items)
            if (item.focused) return &item;
        return nullptr;
    };
    {
        SCOPED_TRACE("Tab visits every control of the window once, in the order drawn, then starts again");
        std::vector<std::string> controls;
        for (const DrawnItem& item : ui.items) {
            const std::set<std::string> kinds = {"button", "check", "slider", "colour", "help", "tab"};
            if (kinds.count(item.kind) && item.enabled && item.window.rfind("Vantrel", 0) == 0)
                controls.push_back(item.kind + ":" + item.label + item.key);
        }
        ASSERT_GT(controls.size(), 100u);
        std::vector<std::string> visited;
        for (size_t i = 0; i <= controls.size(); ++i) {
            ui.PressKey(ImGuiKey_Tab);
            const DrawnItem* item = focused();
            ASSERT_NE(item, nullptr) << "after " << i << " presses";
            visited.push_back(item->kind + ":" + item->label + item->key);
        }
        EXPECT_EQ(visited.back(), visited.front());
        visited.pop_back();
        EXPECT_EQ(visited, controls);
        ui.PressKey(ImGuiKey_Tab, false, true);  // Shift+Tab goes back
        EXPECT_EQ(focused()->kind + ":" + focused()->label + focused()->key, controls.back());
    }
    {
        SCOPED_TRACE("Space flips a focused switch, and its help shows beside it");
        while (!focused() || focused()->label != T("ssao")) ui.PressKey(ImGuiKey_Tab);
        EXPECT_NE(ui.Find(ByLabel("tooltip", T("ssao_help"))), nullptr);
        ui.PressKey(ImGuiKey_Space);
        EXPECT_FALSE(settings.Shader.SSAO);
    }
    {
        SCOPED_TRACE("Enter on a focused slider types a value, with the language's comma");
        ui.PressKey(ImGuiKey_Tab);  // its intensity is gone with it: the help icon
        while (focused()->kind != "slider") ui.PressKey(ImGuiKey_Tab);
        const std::string label = focused()->label;
        EXPECT_EQ(label, T("reflectionsintensity"));
        ui.PressKey(ImGuiKey_Enter);
        ui.Frame(2);
        ASSERT_NE(ui.Find(ByLabel("entry", label)), nullptr);
        ui.Type("1,25");
        ui.PressKey(ImGuiKey_Enter);
        EXPECT_EQ(settings.Shader.ReflectionsIntensity, 1.25f);
        EXPECT_TRUE(ui.ShowsText("1,25\u00D7"));
    }
    {
        SCOPED_TRACE("a percentage is typed as one; Ctrl+click opens the field too, Escape leaves the value");
        TypeInto(ui, T("reflectionscolordesaturation"), "30");
        EXPECT_FLOAT_EQ(settings.Shader.ReflectionsColorDesaturation, 0.3f);
        EXPECT_TRUE(ui.ShowsText("30\u202F%"));
        ImGui::GetIO().KeyCtrl = true;
        ASSERT_TRUE(ui.ClickAt(ByLabel("slider", T("fogbrightness")), 0.1f));
        ImGui::GetIO().KeyCtrl = false;
        ui.Frame(3);
        ASSERT_NE(ui.Find(ByLabel("entry", T("fogbrightness"))), nullptr);
        EXPECT_EQ(settings.Shader.FogBrightness, 1.0f);  // the press did not move it
        ui.Type("7");
        ui.PressKey(ImGuiKey_Escape);
        EXPECT_EQ(settings.Shader.FogBrightness, 1.0f);
        EXPECT_NE(ui.Find(ByLabel("slider", T("fogbrightness"))), nullptr);
        TypeInto(ui, T("dofnearplane"), "5000");  // beyond the range: its end
        EXPECT_EQ(settings.Shader.DOFNearPlane, 1000.0f);
    }
    {
        SCOPED_TRACE("a right-click on a row puts it back to its default");
        ASSERT_TRUE(ui.ClickAt(ByLabel("label", T("reflectionsintensity")), 0.5f, 1));
        ui.Frame();
        ASSERT_NE(ui.Find(ByKey("menuitem", "reset")), nullptr);
        EXPECT_EQ(ui.Find(ByKey("menuitem", "reset"))->label, T("resettodefault") + " (1,00\u00D7)");
        ASSERT_TRUE(ui.Click(ByKey("menuitem", "reset")));
        EXPECT_EQ(settings.Shader.ReflectionsIntensity, 1.0f);
    }
    {
        SCOPED_TRACE("Ctrl+I asks to install; Enter there is the default, Escape its Cancel");
        ui.PressShortcut(ShortcutKey::I, true);
        ui.Frame(2);
        EXPECT_FALSE(ui.In(kCompileConfirm).empty());
        ui.PressKey(ImGuiKey_Escape);
        EXPECT_TRUE(ui.In(kCompileConfirm).empty());
        ui.PressShortcut(ShortcutKey::I, false);  // I alone is no shortcut
        ui.Frame(2);
        EXPECT_TRUE(ui.In(kCompileConfirm).empty());
    }
}

TEST(Frame, TheInstallRunsBesideTheFramesBehindAProgressPopupAndTheRestoreCountsItsFiles) {
    UiDriver ui;
    const fs::path game = SetUpPipeline(ui.root);  // keeps the driver's program folder
    InstallFakeConverter(game);
    WriteFakeProfile(game,
                     "<?xml version=\"1.0\"?>\n<cRecordSet><Record><cPlayerProfile>"
                     "<DetailPostProcessingBL>0</DetailPostProcessingBL><TSXEnabled>0</TSXEnabled>"
                     "<DetailPostProcessingDOF>0</DetailPostProcessingDOF>"
                     "<DetailProceduralFlora>0</DetailProceduralFlora></cPlayerProfile></Record></cRecordSet>\n");
    // The new Rain lacks part of the game's interface: the game's own stays.
    WriteText(GameShader(game, "Rain"), ReadText(kEffects / "game.fx.o"));
    fs::copy_file(kEffects / "lacking.fx.o", ui.root.path / "program" / "fxc-output-Rain");
    const fs::path hold = ui.root.path / "program" / "fxc-hold";
    WriteText(hold, "");  // the compiler waits until the test lets it go
    ui.StartAsReturningUser();
    ConfirmInstall(ui);
    {
        SCOPED_TRACE("frames go on while the compiler is held, and show what it is doing: the two effects "
                     "with the most shaders first");
        ASSERT_TRUE(ui.FramesUntil([&] {
            return ui.ShowsText("Train_post_bloom, PostTrainLightGlow") ||
                   ui.ShowsText("PostTrainLightGlow, Train_post_bloom");
        }));
        EXPECT_TRUE(ui.ShowsText(T("installprogress_compiling"), kProgress));
        EXPECT_TRUE(ui.ShowsText("0 / 15 " + T("installprogress_count"), kProgress));
        EXPECT_NE(ui.Find(ByLabel("progress", "0/15")), nullptr);
    }
    {
        SCOPED_TRACE("nothing under the popup takes a click or a shortcut meanwhile");
        ASSERT_TRUE(ui.Click(ByKey("button", "installbutton")));
        ui.PressShortcut(ShortcutKey::I, true);
        ui.Frame(2);
        EXPECT_TRUE(ui.In(kCompileConfirm).empty());
    }
    {
        SCOPED_TRACE("the result, once the compiler goes on");
        fs::remove(hold);
        ASSERT_TRUE(ui.FramesUntil([&] { return !ui.In(kInstallStatus).empty(); }));
        ui.Frame();
        EXPECT_EQ(CompilerCalls().size(), 15u);
        EXPECT_TRUE(ui.In(kProgress).empty());
        for (const std::string& text : {T("installsuccess"), T("installresult_warning"),
                                        T("installresult_forcedbloom"), T("installresult_forcedtsx"),
                                        std::string("Installed 14 of 15 effects; kept the game's own: Rain. The new "
                                                    "ones lack part of what the game uses; the log names it.")}) {
            EXPECT_TRUE(ui.ShowsText(text, kInstallStatus)) << text;
        }
        EXPECT_TRUE(fs::exists(GameShader(game, "TrainSkyDome")));
        EXPECT_TRUE(SavedSettings().ShadersInstallOK);
        EXPECT_FALSE(SavedSettings().NeedShadersUpdate);
        ASSERT_TRUE(ui.Click(ByKey("button", "close")));
        ui.Frame();
        EXPECT_TRUE(ui.In(kInstallStatus).empty());
        EXPECT_TRUE(ui.ShowsText(T("enabled")));
    }
    {
        SCOPED_TRACE("the restore says what it did with each file");
        WriteText(GameShader(game, "ProcFlora"), "another tool's");
        ASSERT_TRUE(ui.Click(ByKey("button", "restorebutton")));
        ASSERT_TRUE(ui.Click(ByKey("button", "restorequestion_restore")));
        ASSERT_TRUE(ui.FramesUntil([&] { return !ui.In("restoreresults").empty(); }));
        ui.Frame();
        for (const std::string& text :
             {T("restoresuccess"), std::string("Files restored: 0; removed: 13; left alone: 1."),
              T("restoreresult_leftalone") + " ProcFlora.fx.o"}) {
            EXPECT_TRUE(ui.ShowsText(text, "restoreresults")) << text;
        }
    }
}

TEST(Frame, AFailedInstallShowsTheEffectAndTheCompilersWordsAndOpensTheLog) {
    UiDriver ui;
    SetUpPipeline(ui.root);
    const fs::path bin = ui.root.path / "bin";
    WriteFakeChooser(bin, "xdg-open", "", 0);
    ScopedPathFirst path(bin);
    ScopedEnv fail("FAKE_FXC_FAIL", "Rain");
    // A long message: its start is shown, the rest is counted and copied whole.
    std::string words;
    for (int i = 1; i <= 25; ++i) words += "temp\\Rain.fx(" + std::to_string(i) + ",1): warning X3206: line " + std::to_string(i) + "\n";
    WriteText(FsPath(AppPaths.programFolder + u"fxc-words-Rain"), words);
    ui.StartAsReturningUser();
    ConfirmInstall(ui);
    ASSERT_TRUE(ui.FramesUntil([&] { return !ui.In(kInstallStatus).empty(); }));
    ui.Frame();
    EXPECT_TRUE(ui.ShowsText(T("installfailed"), kInstallStatus));
    EXPECT_TRUE(ui.ShowsText(T("installfailed_effect") + " Rain", kInstallStatus));
    const size_t twentieth = words.find("line 20\n") + 7;
    const std::vector<DrawnItem> box = ui.In(std::string(kInstallStatus) + "/installfailuremessage");
    ASSERT_EQ(box.size(), 1u);
    EXPECT_EQ(box[0].label, words.substr(0, twentieth));
    EXPECT_TRUE(ui.ShowsText(Filled(T("installfailed_morelines"), {{"count", "7"}}), kInstallStatus));
    ASSERT_TRUE(ui.Click(ByKey("button", "copymessage")));
    EXPECT_EQ(std::string(ImGui::GetClipboardText()),
              words + "temp\\Rain.fx(3,5): error X3004: undeclared identifier 'failing'\n"
                      "compilation of Rain failed on request\n");
    EXPECT_EQ(ui.Find(ByKey("button", "launchts32")), nullptr);
    EXPECT_TRUE(Logged("Shaders Installation Failed"));
    ASSERT_TRUE(ui.Click(ByKey("button", "openlogfile")));
    ASSERT_TRUE(WaitForFile(bin / "xdg-open-cwd.txt"));
    EXPECT_EQ(ReadLines(bin / "xdg-open-args.txt"),
              std::vector<std::string>{(ui.root.path / "pref" / "log.txt").string()});
}

TEST(Frame, ClosingDuringAnInstallWaitsForTheStepItIsInAndLeavesOnlyWholeFiles) {
    UiDriver ui;
    const fs::path game = SetUpPipeline(ui.root);
    PutStockShaders(game);
    ScopedEnv slow("FAKE_FXC_DELAY_MS", "150");
    ui.StartAsReturningUser();
    ConfirmInstall(ui);
    ASSERT_TRUE(ui.FramesUntil([] { return ShaderInstaller::GetProgress().done >= 2; }));

    PreviewSetPicture(nullptr);
    PreviewRequest(ShaderSettings(), 1280);  // the preview's worker computes too
    ASSERT_TRUE(PreviewBusy());

    HostCloseWindow();  // the parameters are those of the file: it closes
    EXPECT_TRUE(HostQuitRequested());
    EXPECT_FALSE(ShaderInstaller::JobIsRunning());
    EndWorkBeforeExit();  // what the entry routine does once the window is gone
    EXPECT_FALSE(PreviewBusy());  // its threads would run on into the statics' destruction
    const auto listing = [&] {
        std::vector<std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(game / "dev")) {
            if (entry.is_regular_file()) files.push_back(entry.path().string() + "=" + ReadText(entry.path()));
        }
        std::sort(files.begin(), files.end());
        return files;
    };
    const auto atExit = listing();
    for (const std::string& file : atExit) {
        const std::string content = file.substr(file.find('=') + 1);
        EXPECT_TRUE(content.empty() || content.rfind("STOCK ", 0) == 0 ||
                    fake_compiler::Text(content).rfind("FAKEFXC\n", 0) == 0)
            << file;
        EXPECT_EQ(file.find(".vantrel-copy"), std::string::npos) << file;
    }
    EXPECT_FALSE(fs::exists(game / "data" / "SilverLining" / "Silverlining.override"));
    EXPECT_TRUE(Logged("Shaders Installation Failed"));
    EXPECT_LT(CompilerCalls().size(), 15u);
    EXPECT_FALSE(SavedSettings().ShadersInstallOK);
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    EXPECT_EQ(listing(), atExit);  // nothing is still at work
}

TEST(Frame, PercentSignsAndEmptyTextsAreShownAsTheyAre) {
    // Texts that would be read as formats, and keys with no text at all.
    UiDriver ui(R"(<?xml version="1.0"?><localization>
        <status english="100% %s %n %d" /><tsintallpath english="%%path%%" /></localization>)");
    Settings::Instance().TSPath = MakeFakeGameFolder(ui.root.path / "%s%n game");
    ui.StartAsReturningUser();
    const DrawnItem* status = ui.Find(ByLabel("text", "100% %s %n %d"));
    ASSERT_NE(status, nullptr);
    EXPECT_FLOAT_EQ(status->max.x - status->min.x, ImGui::CalcTextSize("100% %s %n %d").x);
    EXPECT_TRUE(ui.ShowsText("%%path%%"));
    EXPECT_TRUE(ui.ShowsText(WideToUtf8(Settings::Instance().TSPath)));
    // Every other label is empty, yet the frame and its tabs are drawn.
    EXPECT_NE(ui.Find(ByKey("tab", "launcher")), nullptr);
    EXPECT_NE(ui.Find(ByKey("button", "installbutton")), nullptr);
}

TEST(Frame, AFileThatIsNoPresetIsRefusedWithItsReasonAndChangesNothing) {
    UiDriver ui;
    Settings& settings = Settings::Instance();
    settings.TSPath = MakeFakeGameFolder(ui.root.path / "game");
    settings.Shader.SSAOIntensity = 1.5f;
    ui.StartAsReturningUser();
    const Settings before = settings;
    const std::string savedBefore = ReadText(ui.root.path / "pref" / "settings.xml");
    const fs::path bin = ui.root.path / "bin";
    ScopedPathFirst path(bin);
    const char* const refused = "presetrefused";
    // From the preset tab and from the file menu alike.
    WriteText(ui.root.path / "notes.txt", "just some notes");
    WriteFakeChooser(bin, "zenity", (ui.root.path / "notes.txt").string(), 0);
    ASSERT_TRUE(ui.Click(ByKey("tab", "presetmanager")));
    ui.Frame();
    ASSERT_TRUE(ui.Click(ByKey("button", "presetimport")));
    ui.Frame(2);
    EXPECT_TRUE(ui.ShowsText(T("presetimport_refused"), refused));
    EXPECT_TRUE(ui.ShowsText(T("presetrefused_notxml"), refused));
    EXPECT_TRUE(ui.In("presetimportednotice").empty());
    ui.PressKey(ImGuiKey_Escape);
    WriteText(ui.root.path / "other.xml", "<Settings><TSXXShaders><SSAO value='false'/></TSXXShaders></Settings>");
    WriteFakeChooser(bin, "zenity", (ui.root.path / "other.xml").string(), 0);
    ASSERT_TRUE(Choose(ui, {"file"}, "presetimport"));
    ui.Frame(2);
    EXPECT_TRUE(ui.ShowsText(T("presetrefused_notpreset"), refused));
    EXPECT_EQ(settings, before);
    EXPECT_EQ(ReadText(ui.root.path / "pref" / "settings.xml"), savedBefore);
}

TEST(Frame, AnUnreadableSettingsFileIsSetAsideAndTheWindowSaysWhere) {
    UiDriver ui;
    WriteText(FsPath(AppPaths.settingsFile), "<Settings><Global><Language value='1'/>");  // cut short
    ui.Start();
    ui.Frame(2);
    const std::string kept = WideToUtf8(AppPaths.preferenceFolder) + "settings.unreadable.xml";
    EXPECT_TRUE(fs::exists(FsPath(Utf8ToWide(kept))));
    EXPECT_TRUE(ui.ShowsText(T("settingsunreadable_notice"), "settingsunreadable"));
    EXPECT_TRUE(ui.ShowsText(kept, "settingsunreadable"));
}

TEST(Frame, AnInstallWhoseSkyFileCannotBeWrittenSaysInstalledButAndWhatThatMeans) {
    UiDriver ui;
    const fs::path game = SetUpPipeline(ui.root);
    // A folder with something in it where the sky file goes: nothing replaces it.
    WriteText(SkyOverrideFile(game) / "in the way", "");
    ui.StartAsReturningUser();
    ConfirmInstall(ui);
    ASSERT_TRUE(ui.FramesUntil([&] { return !ui.In(kInstallStatus).empty(); }));
    ui.Frame();
    EXPECT_TRUE(ui.ShowsText(T("installwarning"), kInstallStatus));
    EXPECT_TRUE(ui.ShowsText(T("installwarning_skyfile"), kInstallStatus));
    EXPECT_FALSE(ui.ShowsText(T("installsuccess"), kInstallStatus));
    EXPECT_NE(ui.Find(ByKey("button", "launchts32")), nullptr);  // the effects are in: the game can start
    EXPECT_TRUE(SavedSettings().ShadersInstallOK);
}

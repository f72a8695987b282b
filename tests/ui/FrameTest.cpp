// The whole frame on a renderer-less host: what a user sees and what each
// click does to the settings, the files, the popups and the preview panel.

#include "preview/PreviewWorker.h"
#include "shaders/ShaderInstaller.h"
#include "tests/support/FakeCompilerOutput.h"
#include "tests/support/FakeTools.h"
#include "tests/support/PipelineTestEnv.h"
#include "tests/ui/UiDriver.h"
#include "ui/Actions.h"

namespace {

const char* const kNotice = "Important##importantnotice";
const char* const kInstallStatus = "Shaders Installation Status##textureconversionresults";
const char* const kCompileConfirm = "Shaders Compilation##shaderscompilationwarning";
const char* const kProgress = "Shaders Installation###installprogress";

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

}  // namespace

TEST(Frame, AFirstRunWithoutTheGameShowsTheTermsThenOnlyTheFolderPartOfTheHeader) {
    UiDriver ui;
    ui.Start();
    EXPECT_TRUE(PathExists(AppPaths.settingsFile));
    ui.Frame(2);
    EXPECT_TRUE(ui.ShowsText(T("dtgeula"), kNotice));
    ASSERT_TRUE(ui.Click(ByKey("button", "termsagreed")));
    ui.Frame();
    EXPECT_TRUE(ui.In(kNotice).empty());

    // A second start with the file in place shows no notice.
    UiHostShutdown();
    UiState() = UiStateRecord();
    ui.Start();
    ui.Frame(2);
    EXPECT_TRUE(ui.In(kNotice).empty());
    std::set<std::string> shown;
    for (const DrawnItem& item : ui.items) {
        if (item.kind != "menu" && item.kind != "menuitem") shown.insert(item.kind + ":" + item.key + item.label);
    }
    EXPECT_EQ(shown, (std::set<std::string>{"logo:", "text:" + T("tsintallpath"), "text:" + T("wrongtspath"),
                                            "button:changepath" + T("changepath") + " " + kIconChangeFolder}));
    // The file menu offers no install or restore; what needs a folder is there but disabled.
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

TEST(Frame, AnEditMarksTheShadersOutOfDateTheMenusSwitchAndSaveTheLanguageAndHelpIconsThePreviewWorksAndQuit) {
    UiDriver ui;
    Settings& settings = Settings::Instance();
    settings.TSPath = MakeFakeGameFolder(ui.root.path / "game");
    settings.ShadersInstallOK = true;
    settings.ShadersVersion = APP_VERSION;
    ui.StartAsReturningUser();
    // An edit through the box or its label marks the installed shaders out of date.
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

    const std::string englishStatus = T("status");
    ASSERT_TRUE(ui.ShowsText(englishStatus));
    ASSERT_TRUE(Choose(ui, {"settings", "language"}, "lang_german"));
    EXPECT_EQ(settings.Language, 2u);
    EXPECT_EQ(SavedSettings().Language, 2u);
    // The click's own frame drew the header after the menu: already german.
    EXPECT_NE(T("status"), englishStatus);
    EXPECT_TRUE(ui.ShowsText(T("status")));
    EXPECT_FALSE(ui.ShowsText(englishStatus));

    // A help icon opens its text; the view menu turns the icons off.
    ui.Frame();
    EXPECT_GT(Count(ui, "help"), 10u);
    ASSERT_TRUE(ui.Click(ByLabel("help", "ssaohelp")));
    ui.Frame();
    EXPECT_EQ(UiState().parameterHelpText, T("ssao_help"));
    ASSERT_TRUE(ui.Click(ByKey("button", "close")));  // the help popup's
    ASSERT_TRUE(Choose(ui, {"view"}, "helpicons"));
    ui.Frame();
    EXPECT_FALSE(settings.HelpIcons);
    EXPECT_FALSE(SavedSettings().HelpIcons);
    EXPECT_EQ(Count(ui, "help"), 0u);
    EXPECT_NE(ui.Find(ByLabel("check", T("ssao"))), nullptr);  // the controls stay

    // The preview panel, with the whole parameters tab on one screen, follows
    // an edit through its worker: the frame asks for a redraw until the
    // picture with the new value is shown.
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

    // Dragging across the picture moves the line that compares before and after.
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

    // The logo, 1900 x 250, chosen in the open dialog with an image filter,
    // comes in scaled to the working width; a file that is no picture leaves
    // a notice with the cause and the picture as it was.
    const fs::path bin = ui.root.path / "bin";
    ScopedPathFirst path(bin);
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
    ASSERT_TRUE(ui.FramesUntil([] { return PreviewPanelShown().hasResult; }));
    EXPECT_FALSE(PreviewPanelShown().screenshot);
    EXPECT_EQ(PreviewPanelShown().height, 720);

    EXPECT_FALSE(HostQuitRequested());
    ASSERT_TRUE(Choose(ui, {"file"}, "quit"));
    EXPECT_TRUE(HostQuitRequested());
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

    // Frames go on while the compiler is held, and show what it is doing:
    // the two effects with the most shaders first.
    ASSERT_TRUE(ui.FramesUntil([&] {
        return ui.ShowsText("Train_post_bloom, PostTrainLightGlow") ||
               ui.ShowsText("PostTrainLightGlow, Train_post_bloom");
    }));
    EXPECT_TRUE(ui.ShowsText(T("installprogress_compiling"), kProgress));
    EXPECT_TRUE(ui.ShowsText("0 / 15 " + T("installprogress_count"), kProgress));
    EXPECT_NE(ui.Find(ByLabel("progress", "0/15")), nullptr);
    // Nothing under the popup takes a click meanwhile.
    ASSERT_TRUE(ui.Click(ByKey("button", "installbutton")));
    ui.Frame(2);
    EXPECT_TRUE(ui.In(kCompileConfirm).empty());

    fs::remove(hold);
    ASSERT_TRUE(ui.FramesUntil([&] { return !ui.In(kInstallStatus).empty(); }));
    ui.Frame();
    EXPECT_EQ(CompilerCalls().size(), 15u);
    EXPECT_TRUE(ui.In(kProgress).empty());
    for (const std::string& text :
         {T("installsuccess"), T("installresult_warning"), T("installresult_forcedbloom"), T("installresult_forcedtsx"),
          std::string("Installed 14 of 15 effects; kept the game's own: Rain. The new ones "
                      "lack part of what the game uses; the log names it.")}) {
        EXPECT_TRUE(ui.ShowsText(text, kInstallStatus)) << text;
    }
    EXPECT_TRUE(fs::exists(GameShader(game, "TrainSkyDome")));
    EXPECT_TRUE(SavedSettings().ShadersInstallOK);
    EXPECT_FALSE(SavedSettings().NeedShadersUpdate);
    ASSERT_TRUE(ui.Click(ByKey("button", "close")));
    ui.Frame();
    EXPECT_TRUE(ui.In(kInstallStatus).empty());
    EXPECT_TRUE(ui.ShowsText(T("enabled")));

    // The restore says what it did with each file.
    WriteText(GameShader(game, "ProcFlora"), "another tool's");
    ASSERT_TRUE(ui.Click(ByKey("button", "restorebutton")));
    ASSERT_TRUE(ui.FramesUntil([&] { return !ui.In("Shaders Restoration Status##restoreresults").empty(); }));
    ui.Frame();
    for (const std::string& text : {T("restoresuccess"), std::string("Files restored: 0; removed: 13; left alone: 1."),
                                    T("restoreresult_leftalone") + " ProcFlora.fx.o"}) {
        EXPECT_TRUE(ui.ShowsText(text, "Shaders Restoration Status##restoreresults")) << text;
    }
}

TEST(Frame, AFailedInstallShowsTheEffectAndTheCompilersWordsAndOpensTheLog) {
    UiDriver ui;
    SetUpPipeline(ui.root);
    const fs::path bin = ui.root.path / "bin";
    WriteFakeChooser(bin, "xdg-open", "", 0);
    ScopedPathFirst path(bin);
    ScopedEnv fail("FAKE_FXC_FAIL", "Rain");
    ui.StartAsReturningUser();
    ConfirmInstall(ui);
    ASSERT_TRUE(ui.FramesUntil([&] { return !ui.In(kInstallStatus).empty(); }));
    ui.Frame();
    EXPECT_TRUE(ui.ShowsText(T("installfailed"), kInstallStatus));
    EXPECT_TRUE(ui.ShowsText(T("installfailed_effect") + " Rain", kInstallStatus));
    EXPECT_TRUE(
        ui.ShowsText("temp\\Rain.fx(3,5): error X3004: undeclared identifier 'failing'\n"
                     "compilation of Rain failed on request",
                     kInstallStatus));
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

    EndWorkBeforeExit();  // what the entry routine does once the window is gone
    EXPECT_FALSE(ShaderInstaller::JobIsRunning());
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
    const char* const refused = "Preset Not Imported##presetrefused";
    // From the preset tab and from the file menu alike.
    WriteText(ui.root.path / "notes.txt", "just some notes");
    WriteFakeChooser(bin, "zenity", (ui.root.path / "notes.txt").string(), 0);
    ASSERT_TRUE(ui.Click(ByKey("tab", "presetmanager")));
    ui.Frame();
    ASSERT_TRUE(ui.Click(ByKey("button", "presetimport")));
    ui.Frame(2);
    EXPECT_TRUE(ui.ShowsText(T("presetimport_refused"), refused));
    EXPECT_TRUE(ui.ShowsText(T("presetrefused_notxml"), refused));
    EXPECT_TRUE(ui.In("Preset Imported##presetimportednotice").empty());
    ui.PressKey(ImGuiKey_Escape);
    WriteText(ui.root.path / "other.xml", "<Settings><TSXXShaders><SSAO value='false'/></TSXXShaders></Settings>");
    WriteFakeChooser(bin, "zenity", (ui.root.path / "other.xml").string(), 0);
    ASSERT_TRUE(Choose(ui, {"file"}, "presetimport"));
    ui.Frame(2);
    EXPECT_TRUE(ui.ShowsText(T("presetrefused_notpreset"), refused));
    EXPECT_EQ(settings, before);
    EXPECT_EQ(ReadText(ui.root.path / "pref" / "settings.xml"), savedBefore);
}

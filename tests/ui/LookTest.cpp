// How the interface looks: every panel, popup, menu and tooltip in the three
// languages on the screens players use (the driver fails any frame with
// clipped, squeezed or overlapping items), the bar that stays and the columns
// on a wide window, the DPI scale, the glyphs the fonts hold, the form layout
// and the numbers of the parameters, and the contrast of the palette.

#include <cmath>

#include "shaders/ShaderInstaller.h"
#include "tests/support/PipelineTestEnv.h"
#include "tests/ui/UiDriver.h"
#include "ui/Style.h"

namespace {

// Opens the popup through its request flag and checks that it sits within
// the middle 80 % of the window, that its title is in the language shown, and
// that Escape closes it as its Cancel or Close button does.
void TourPopup(UiDriver& ui, bool& request, const std::string& identity, const char* titleKey) {
    SCOPED_TRACE(identity);
    request = true;
    ui.Frame(3);
    const auto items = ui.In(identity);
    ASSERT_FALSE(items.empty());
    EXPECT_EQ(items.front().window.substr(0, items.front().window.find("###")).rfind(T(titleKey), 0), 0u);
    const float width = ImGui::GetIO().DisplaySize.x, slack = ImGui::GetStyle().ScrollbarSize;
    for (const DrawnItem& item : items) {
        EXPECT_GE(item.min.x, 0.1f * width - slack) << item.label;
        EXPECT_LE(item.max.x, 0.9f * width + slack) << item.label;
    }
    ui.PressKey(ImGuiKey_Escape);
    EXPECT_TRUE(ui.In(identity).empty()) << "still open after Escape";
}

// The parameter rows whose control is wholly in view in the parameters column.
int RowsInView(const UiDriver& ui) {
    return static_cast<int>(std::count_if(ui.items.begin(), ui.items.end(), [](const DrawnItem& i) {
        return (i.kind == "check" || i.kind == "slider" || i.kind == "colour") &&
               i.window.find("/parameters_") != std::string::npos && i.min.y >= i.visibleTop &&
               i.max.y <= i.visibleBottom;
    }));
}

struct Sizes {
    float regular, bold, installHeight, helpWidth, helpHeight;
};
Sizes Measure(const UiDriver& ui) {
    const DrawnItem* install = ui.Find(ByKey("button", "installbutton"));
    const DrawnItem* help = ui.Find(ByLabel("help", "ssaohelp"));
    EXPECT_TRUE(install && help);
    if (!install || !help) return Sizes{};
    return Sizes{UiState().FontRegular->FontSize, UiState().FontBold->FontSize, install->max.y - install->min.y,
                 help->max.x - help->min.x, help->max.y - help->min.y};
}

double Contrast(const ImVec4& a, const ImVec4& b) {
    const auto luminance = [](const ImVec4& c) {
        const auto channel = [](float v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * channel(c.x) + 0.7152 * channel(c.y) + 0.0722 * channel(c.z);
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

}  // namespace

TEST(Look, EveryPanelPopupMenuAndTooltipFitsInEveryLanguageAndScreenAndGrowsWithTheDpi) {
    // The window on a 1920 x 1080 and on a 1366 x 768 screen, and the first at 150 %.
    const struct { float width, height, scale; } screens[] = {{1632, 918, 1.0f}, {1161, 652, 1.0f}, {1632, 918, 1.5f}};
    std::map<float, Sizes> english;  // on the larger screen, by scale
    for (uint32_t language : {0u, 1u, 2u}) {
        for (const auto& screen : screens) {
            SCOPED_TRACE("language " + std::to_string(language) + ", " + std::to_string(int(screen.width)) +
                         " wide, scale " + std::to_string(screen.scale));
            UiDriver ui;
            SetHostDisplay(screen.width, screen.height, screen.scale);
            Settings::Instance().Language = language;
            // Every switch on, so that every dependent control is drawn; an
            // edit, so that closing asks.
            const fs::path game = ui.root.path / "Gry Łódź";
            Settings::Instance().TSPath = MakeFakeGameFolder(game);
            Settings::Instance().ShadersInstallOK = true;
            Settings::Instance().Shader = Switches(true);
            ui.StartAsReturningUser();
            Settings::Instance().Shader.Gamma = 1.25f;
            if (language == 0 && screen.width == 1632) english[screen.scale] = Measure(ui);
            for (const auto& [tab, button] :
                 {std::pair("presetmanager", "presetimport"), std::pair("launcher", "launchts64")}) {
                ASSERT_TRUE(ui.Click(ByKey("tab", tab)));
                ui.Frame();
                EXPECT_NE(ui.Find(ByKey("button", button)), nullptr);
            }
            ASSERT_TRUE(ui.Click(ByKey("tab", "shadersparameters")));
            for (const auto& path : {std::vector<std::string>{"file"}, {"view", "language"}, {"help"}}) {
                for (const std::string& menu : path) ASSERT_TRUE(ui.Click(ByKey("menu", menu)));
                ui.PressKey(ImGuiKey_Escape);
            }
            ui.PressKey(ImGuiKey_Escape);

            // The help of a label once the pointer rests on it, and of a
            // control reached by the keyboard.
            ASSERT_TRUE(ui.Hover(ByLabel("label", T("ssao")), 0.5f));
            EXPECT_NE(ui.Find(ByLabel("tooltip", T("ssao_help"))), nullptr);
            ASSERT_TRUE(ui.Hover(ByKey("button", "installbutton"), 0.1f));
            EXPECT_NE(ui.Find(ByLabel("tooltip", T("installhint"))), nullptr);
            ImGui::GetIO().MousePos = ImVec2(-1, -1);
            for (int i = 0; i < 12 && !ui.Find(ByLabel("tooltip", T("ssaointensity_help"))); ++i) {
                ui.PressKey(ImGuiKey_Tab);
            }
            EXPECT_NE(ui.Find(ByLabel("tooltip", T("ssaointensity_help"))), nullptr);

            UiStateRecord& state = UiState();
            ShaderInstaller& installer = ShaderInstaller::Instance();
            // The longest help text, under the longest name.
            for (const char* key : {"procfloraenhancements_help", "dofenhancements_help", "ssao_help"})
                if (T(key).size() > state.parameterHelpText.size()) state.parameterHelpText = T(key);
            state.parameterHelpName = T("vegetationmaxbrightnessvariationamplitude");
            TourPopup(ui, state.aboutRequested, "aboutthisprogram", "aboutthisprogram");
            TourPopup(ui, state.parameterHelpRequested, "parameterhelp", "parameterhelp");
            TourPopup(ui, state.wrongGamePathRequested, "wrongtsinstallpath", "wrongfoldertitle");
            // A short result first: the longer one must not be cut to its size.
            installer.install = InstallOutcome();
            TourPopup(ui, state.installResultsRequested, "textureconversionresults", "installstatustitle");
            // A failed compile: advice, the compiler's long lines cut to the
            // box, the count of the rest, Copy and the log side by side.
            installer.install.cause = FailureCause::CompilerError;
            installer.install.failedEffect = u"Train_post_bloom";
            installer.install.effectsWritten = 14;
            installer.install.advice = "advice";
            for (int i = 0; i < 30; ++i)
                installer.install.failureMessage += "temp\\Train_post_bloom.fx(" + std::to_string(300 + i) +
                                                    ",17-42): error X3018: invalid subscript 'BloomColorDesaturation'\n";
            TourPopup(ui, state.installResultsRequested, "textureconversionresults", "installstatustitle");
            installer.install.status = InstallStatus::Installed;
            installer.install.forcedTSX = installer.install.forcedBloom = true;
            TourPopup(ui, state.installResultsRequested, "textureconversionresults", "installstatustitle");
            TourPopup(ui, state.restoreResultsRequested, "restoreresults", "restorestatustitle");
            TourPopup(ui, state.compileWarningRequested, "shaderscompilationwarning", "compiletitle");
            TourPopup(ui, state.presetImportedRequested, "presetimportednotice", "presetimportedtitle");
            state.presetRefusal = T("presetrefused_notxml");  // the longest reason
            TourPopup(ui, state.presetRefusedRequested, "presetrefused", "presetrefusedtitle");
            TourPopup(ui, state.restoreQuestionRequested, "restorequestion", "restorequestion_title");
            TourPopup(ui, state.defaultsQuestionRequested, "defaultsquestion", "defaultsquestion_title");
            TourPopup(ui, state.guideMissingRequested, "guidemissing", "guidemissing_title");
            HostCloseWindow();
            ui.Frame();
            TourPopup(ui, state.closeQuestionRequested, "closequestion", "closequestion_title");
            // The terms notice has no Cancel: it is agreed to or the program quits.
            state.importantNoticeRequested = true;
            ui.Frame(3);
            EXPECT_FALSE(ui.In("importantnotice").empty());
            ASSERT_TRUE(ui.Click(ByKey("button", "termsagreed")));

            // The weather add-on's notices take the place of some controls
            // once the window is back from its installer.
            AddWeatherPack(game);
            NoteWindowFocus(false);
            NoteWindowFocus(true);
            ui.Frame(2);
            EXPECT_TRUE(ui.ShowsText(T("weatheraddon_fog")));
        }
    }
    // Fonts, buttons and help icons grow with the DPI scale.
    const Sizes one = english[1.0f], half = english[1.5f];
    EXPECT_FLOAT_EQ(one.regular, 18.0f);
    EXPECT_FLOAT_EQ(one.bold, 18.0f);
    EXPECT_FLOAT_EQ(half.regular, 27.0f);
    EXPECT_FLOAT_EQ(half.bold, 27.0f);
    EXPECT_FLOAT_EQ(half.installHeight, 1.5f * one.installHeight);
    EXPECT_FLOAT_EQ(half.helpWidth, 1.5f * one.helpWidth);
    EXPECT_FLOAT_EQ(half.helpHeight, 1.5f * one.helpHeight);
}

TEST(Look, TheBarStaysTheRowsFillTheScreenAndTheWideWindowKeepsThePreviewInAColumnBeside) {
    UiDriver ui;
    Settings& settings = Settings::Instance();
    settings.TSPath = MakeFakeGameFolder(ui.root.path / "game");
    {
        SCOPED_TRACE("a 1366 x 768 screen: the preview stands above the image sections");
        SetHostDisplay(1161, 652, 1.0f);
        ui.StartAsReturningUser();
        std::cout << "parameter rows in view on a 1366 x 768 screen: " << RowsInView(ui) << "\n";
        EXPECT_GE(RowsInView(ui), 12);
        std::vector<std::string> sections;
        for (const DrawnItem& item : ui.items)
            if (item.kind == "section") sections.push_back(item.key);
        const auto at = [&](const std::string& key) { return std::find(sections.begin(), sections.end(), key); };
        ASSERT_NE(at("previewtitle"), sections.end());
        EXPECT_EQ(at("previewtitle") + 1, at("hdrbloom"));
    }
    {
        SCOPED_TRACE("a 1920 x 1080 screen: the preview has a column of its own, which stays as the rows scroll");
        UiHostShutdown();
        SetHostDisplay(1632, 918, 1.0f);
        ui.Start();
        ui.Frame(2);
        std::cout << "parameter rows in view on a 1920 x 1080 screen: " << RowsInView(ui) << "\n";
        EXPECT_GE(RowsInView(ui), 20);
        const DrawnItem* picture = ui.Find(ByKey("preview", "previewpicture"));
        ASSERT_NE(picture, nullptr);
        float rowsRight = 0.0f;
        for (const DrawnItem& item : ui.items)
            if (item.kind == "slider") rowsRight = std::max(rowsRight, item.max.x);
        EXPECT_GT(picture->min.x, rowsRight);
        EXPECT_GT(picture->max.x - picture->min.x, 0.3f * 1632);
        const ImVec2 shown = picture->min;
        const DrawnItem* install = ui.Find(ByKey("button", "installbutton"));
        ASSERT_NE(install, nullptr);
        const ImVec2 bar = install->min;
        // The wheel over the rows scrolls them to the end.
        const DrawnItem* first = ui.Find(ByLabel("check", T("ssao")));
        ASSERT_NE(first, nullptr);
        ImGuiIO& io = ImGui::GetIO();
        io.MousePos = ImVec2(first->max.x, first->max.y);
        for (int i = 0; i < 20; ++i) {
            io.MouseWheel = -5.0f;
            ui.Frame();
        }
        ui.Frame();
        const DrawnItem* ssao = ui.Find(ByLabel("check", T("ssao")));
        ASSERT_NE(ssao, nullptr);
        EXPECT_LT(ssao->max.y, ssao->visibleTop);  // scrolled out of view
        picture = ui.Find(ByKey("preview", "previewpicture"));
        install = ui.Find(ByKey("button", "installbutton"));
        ASSERT_TRUE(picture && install);
        EXPECT_EQ(picture->min.y, shown.y);
        EXPECT_EQ(install->min.y, bar.y);
    }
}

TEST(Look, ParametersFormOneColumnOfLabelsThenControlsWithNumbersAsTheLanguageWritesThem) {
    UiDriver ui;
    SetHostDisplay(1600, 7000, 1.0f);  // the whole tab on one screen
    Settings::Instance().Language = 1;
    Settings::Instance().TSPath = MakeFakeGameFolder(ui.root.path / "Gry Łódź");
    Settings::Instance().Shader = Switches(true);
    ui.StartAsReturningUser();
    {
        SCOPED_TRACE("labels in one column, controls in the next");
        float labelX = -1, controlX = -1, labelEnd = 0;
        int labels = 0, controls = 0;
        for (const DrawnItem& item : ui.items) {
            const bool label = item.kind == "label";
            if (label || item.kind == "check" || item.kind == "slider" || item.kind == "colour") {
                float& column = label ? labelX : controlX;
                if (column < 0) column = item.min.x;
                EXPECT_FLOAT_EQ(item.min.x, column) << item.label;
                ++(label ? labels : controls);
                if (label) labelEnd = std::max(labelEnd, item.max.x);
            }
            EXPECT_EQ(item.label.find("%."), std::string::npos) << item.label;  // no format shown as text
        }
        EXPECT_EQ(labels, 53);
        EXPECT_EQ(controls, 53);
        EXPECT_GT(controlX, labelEnd);
    }
    {
        SCOPED_TRACE("values in their unit, with the decimals their step needs and a decimal comma");
        for (const char* value : {"500\u00A0m", "50\u00A0m", "1,00\u00D7", "75\u202F%", "0\u202F%", "25\u202F%"})
            EXPECT_TRUE(ui.ShowsText(value)) << value;
        EXPECT_FALSE(ui.ShowsText("500.000"));
        Settings::Instance().Language = 0;
        ui.Frame();
        for (const char* value : {"500\u00A0m", "1.00\u00D7", "75%"}) EXPECT_TRUE(ui.ShowsText(value)) << value;
        Settings::Instance().Language = 2;
        ui.Frame();
        for (const char* value : {"1,00\u00D7", "75\u00A0%"}) EXPECT_TRUE(ui.ShowsText(value)) << value;
    }
    {
        SCOPED_TRACE("the sections the preview shows on its scene say so");
        const std::string marker = std::string(kIconPreviewed) + " " + T("sectionpreviewed");
        std::vector<std::string> marked;
        for (size_t i = 0; i + 1 < ui.items.size(); ++i) {
            if (ui.items[i].kind == "section" && ui.items[i + 1].label == marker) marked.push_back(ui.items[i].key);
        }
        EXPECT_EQ(marked, (std::vector<std::string>{"dof", "fog", "weathereffectssky", "lightsources", "fxaa",
                                                    "hdrbloom", "imagecolors"}));
    }
    {
        SCOPED_TRACE("the fonts draw the catalogue, the game folder and the icons from real glyphs");
        const auto drawable = [](char16_t c) {
            for (const ImFont* font : {UiState().FontRegular, UiState().FontBold}) {
                if (!font || !font->FindGlyphNoFallback(c)) return false;
            }
            return true;
        };
        EXPECT_TRUE(drawable(u'œ'));       // "l'œil" in the french catalogue
        EXPECT_TRUE(drawable(u'ł'));       // the game folder
        EXPECT_TRUE(drawable(u'\u202F'));  // the narrow no-break space before french ";"
        EXPECT_TRUE(drawable(u'\u00D7'));  // the factor's sign
        EXPECT_TRUE(drawable(u'\u2026'));  // a shortened path's
        for (const char* icon : kInterfaceIcons) EXPECT_TRUE(drawable(Utf8ToWide(icon)[0])) << icon;
        EXPECT_FALSE(drawable(u'Ж'));  // nothing beyond what can be drawn
        const ImFontAtlas* atlas = ImGui::GetIO().Fonts;
        EXPECT_LE(atlas->TexWidth * atlas->TexHeight * 4, 4 << 20);
        // A new game folder with letters the atlas lacks: rebuilt before the next frame.
        Settings::Instance().TSPath = MakeFakeGameFolder(ui.root.path / "Игры");
        ui.Frame();
        EXPECT_TRUE(drawable(u'И'));
        EXPECT_TRUE(drawable(u'ł'));  // the catalogue's and base letters stay
    }
    {
        SCOPED_TRACE("texts and outlines stand out from their background");
        const ImVec4* c = ImGui::GetStyle().Colors;
        for (const ImVec4& background : {c[ImGuiCol_WindowBg], c[ImGuiCol_PopupBg], c[ImGuiCol_ChildBg]}) {
            for (const ImVec4& text : {c[ImGuiCol_Text], WarningColor, kRed, kStatusEnabled, kStatusDisabled,
                                       kGameFolderColour, kSectionHeaderColour, kAccent, kQuietText}) {
                EXPECT_GE(Contrast(text, background), 4.5);
            }
            // Frames (an unchecked box, a slider) and the slider grab and check mark inside them.
            EXPECT_GE(Contrast(c[ImGuiCol_Border], background), 3.0);
        }
        EXPECT_GT(ImGui::GetStyle().FrameBorderSize, 0.0f);
        EXPECT_GE(Contrast(c[ImGuiCol_CheckMark], c[ImGuiCol_FrameBg]), 3.0);
        EXPECT_GE(Contrast(c[ImGuiCol_SliderGrab], c[ImGuiCol_FrameBg]), 3.0);
        EXPECT_GE(Contrast(c[ImGuiCol_Text], c[ImGuiCol_TabActive]), 4.5);
        EXPECT_GE(Contrast(c[ImGuiCol_Text], c[ImGuiCol_Button]), 4.5);
        for (const ImVec4& primary : {kAccentDeep, kAccentHover, kAccentPressed}) {
            EXPECT_GE(Contrast(kWhite, primary), 4.5);
        }
    }
}

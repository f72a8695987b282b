// How the interface looks: every panel, popup and menu in the three languages
// on the screens players use (the driver fails any frame with clipped,
// squeezed or overlapping items), the DPI scale, the glyphs the fonts hold,
// the form layout of the parameters and the contrast of the palette.

#include <cmath>

#include "shaders/ShaderInstaller.h"
#include "tests/support/PipelineTestEnv.h"
#include "tests/ui/UiDriver.h"
#include "ui/Style.h"

namespace {

// Opens the popup through its request flag and checks that it sits within the
// middle 80 % of the window and that Escape closes it.
void TourPopup(UiDriver& ui, bool& request, const std::string& name) {
    request = true;
    ui.Frame(3);
    const auto items = ui.In(name);
    ASSERT_FALSE(items.empty()) << name;
    const float width = ImGui::GetIO().DisplaySize.x, slack = ImGui::GetStyle().ScrollbarSize;
    for (const DrawnItem& item : items) {
        EXPECT_GE(item.min.x, 0.1f * width - slack) << name << ": " << item.label;
        EXPECT_LE(item.max.x, 0.9f * width + slack) << name << ": " << item.label;
    }
    ui.PressKey(ImGuiKey_Escape);
    EXPECT_TRUE(ui.In(name).empty()) << name << " is still open after Escape";
}

struct Sizes {
    float regular, large, installHeight, helpWidth, helpHeight, logoHeight, logoCentre, contentCentre;
};
Sizes Measure(const UiDriver& ui) {
    const DrawnItem* install = ui.Find(ByKey("button", "installbutton"));
    const DrawnItem* help = ui.Find(ByLabel("help", "ssaohelp"));
    const DrawnItem* logo = ui.Find(ByKey("logo", ""));
    const DrawnItem* section = ui.Find(ByKey("section", "ssaoeffect"));
    EXPECT_TRUE(install && help && logo && section);
    if (!install || !help || !logo || !section) return Sizes{};
    return Sizes{UiState().FontRegular->FontSize, UiState().FontLarge->FontSize,
                 install->max.y - install->min.y, help->max.x - help->min.x,
                 help->max.y - help->min.y,       logo->max.y - logo->min.y,
                 (logo->min.x + logo->max.x) / 2, (section->min.x + section->max.x) / 2};
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

TEST(Look, EveryPanelPopupAndMenuFitsInEveryLanguageAndScreenAndGrowsWithTheDpi) {
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
            // Every switch on, so that every dependent control is drawn.
            Settings::Instance().TSPath = MakeFakeGameFolder(ui.root.path / "Gry Łódź");
            Settings::Instance().Shader = Switches(true);
            ui.StartAsReturningUser();
            if (language == 0 && screen.width == 1632) english[screen.scale] = Measure(ui);
            for (const auto& [tab, button] :
                 {std::pair("presetmanager", "presetimport"), std::pair("launcher", "launchts64")}) {
                ASSERT_TRUE(ui.Click(ByKey("tab", tab)));
                ui.Frame();
                EXPECT_NE(ui.Find(ByKey("button", button)), nullptr);
            }
            ASSERT_TRUE(ui.Click(ByKey("tab", "shadersparameters")));
            for (const auto& path : {std::vector<std::string>{"file"}, {"view"}, {"settings", "language"}}) {
                for (const std::string& menu : path) ASSERT_TRUE(ui.Click(ByKey("menu", menu)));
                ui.PressKey(ImGuiKey_Escape);
            }
            ui.PressKey(ImGuiKey_Escape);

            UiStateRecord& state = UiState();
            ShaderInstaller& installer = ShaderInstaller::Instance();
            // The longest help text.
            for (const char* key : {"procfloraenhancements_help", "dofenhancements_help", "ssao_help"})
                if (T(key).size() > state.parameterHelpText.size()) state.parameterHelpText = T(key);
            TourPopup(ui, state.aboutRequested, T("aboutthisprogram") + "###aboutthisprogram");
            TourPopup(ui, state.importantNoticeRequested, "Important##importantnotice");
            TourPopup(ui, state.parameterHelpRequested, T("parameterhelp") + "###parameterhelp");
            TourPopup(ui, state.wrongGamePathRequested, "!!!##wrongtsinstallpath");
            // A short result first: the longer one must not be cut to its size.
            installer.installOK = false;
            TourPopup(ui, state.installResultsRequested, "Shaders Installation Status##textureconversionresults");
            installer.installOK = installer.forcedTSX = installer.forcedBloom = true;
            TourPopup(ui, state.installResultsRequested, "Shaders Installation Status##textureconversionresults");
            TourPopup(ui, state.restoreResultsRequested, "Shaders Restoration Status##restoreresults");
            TourPopup(ui, state.compileWarningRequested, "Shaders Compilation##shaderscompilationwarning");
            TourPopup(ui, state.presetImportedRequested, "Preset Imported##presetimportednotice");
            state.presetRefusal = T("presetrefused_notxml");  // the longest reason
            TourPopup(ui, state.presetRefusedRequested, "Preset Not Imported##presetrefused");

            // The weather add-on's notices take the place of some controls
            // once the window is back from its installer.
            AddWeatherPack(ui.root.path / "Gry Łódź");
            NoteWindowFocus(false);
            NoteWindowFocus(true);
            ui.Frame(2);
            EXPECT_TRUE(ui.ShowsText(T("weatheraddon_fog")));
        }
    }
    // Fonts, buttons and help icons grow with the DPI scale; a banner of at
    // most 120 pixels at scale 1 and a seventh of the window, centred over the
    // content beside the scroll bar.
    const Sizes one = english[1.0f], half = english[1.5f];
    EXPECT_FLOAT_EQ(one.regular, 18.0f);
    EXPECT_FLOAT_EQ(half.regular, 27.0f);
    EXPECT_FLOAT_EQ(half.large, 1.5f * one.large);
    EXPECT_FLOAT_EQ(half.installHeight, 1.5f * one.installHeight);
    EXPECT_FLOAT_EQ(half.helpWidth, 1.5f * one.helpWidth);
    EXPECT_FLOAT_EQ(half.helpHeight, 1.5f * one.helpHeight);
    EXPECT_FLOAT_EQ(one.logoHeight, 120.0f);
    EXPECT_FLOAT_EQ(half.logoHeight, std::floor(918.0f / 7.0f));
    EXPECT_NEAR(one.logoCentre, one.contentCentre, 2.0f);
    EXPECT_NEAR(half.logoCentre, half.contentCentre, 2.0f);
}

TEST(Look, ParametersFormOneColumnOfLabelsThenControlsTheFontsHoldEveryGlyphShownAndEverythingStandsOut) {
    UiDriver ui;
    Settings::Instance().Language = 1;
    Settings::Instance().TSPath = MakeFakeGameFolder(ui.root.path / "Gry Łódź");
    Settings::Instance().Shader = Switches(true);
    ui.StartAsReturningUser();
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
        EXPECT_EQ(item.label.find('%'), std::string::npos) << item.label;
    }
    EXPECT_EQ(labels, 53);
    EXPECT_EQ(controls, 53);
    EXPECT_GT(controlX, labelEnd);
    // Values with three decimals.
    EXPECT_TRUE(ui.ShowsText("500.000"));  // the blur distance, in metres
    EXPECT_TRUE(ui.ShowsText("1.000"));

    // The fonts draw the catalogue, the game folder and the icons from real glyphs.
    const auto drawable = [](char16_t c) {
        for (const ImFont* font : {UiState().FontRegular, UiState().FontLarge, UiState().FontAccent}) {
            if (!font || !font->FindGlyphNoFallback(c)) return false;
        }
        return true;
    };
    EXPECT_TRUE(drawable(u'œ'));       // "l'œil" in the french catalogue
    EXPECT_TRUE(drawable(u'ł'));       // the game folder
    EXPECT_TRUE(drawable(u'\u202F'));  // the narrow no-break space before french ";"
    for (const char* icon : kInterfaceIcons) EXPECT_TRUE(drawable(Utf8ToWide(icon)[0])) << icon;
    EXPECT_FALSE(drawable(u'Ж'));  // nothing beyond what can be drawn
    const ImFontAtlas* atlas = ImGui::GetIO().Fonts;
    EXPECT_LE(atlas->TexWidth * atlas->TexHeight * 4, 4 << 20);
    // A new game folder with letters the atlas lacks: rebuilt before the next frame.
    Settings::Instance().TSPath = MakeFakeGameFolder(ui.root.path / "Игры");
    ui.Frame();
    EXPECT_TRUE(drawable(u'И'));
    EXPECT_TRUE(drawable(u'ł'));  // the catalogue's and base letters stay

    // Texts and outlines stand out from their background.
    const ImVec4* c = ImGui::GetStyle().Colors;
    for (const ImVec4& background : {c[ImGuiCol_WindowBg], c[ImGuiCol_PopupBg]}) {
        for (const ImVec4& text : {c[ImGuiCol_Text], WarningColor, kRed, kStatusEnabled, kStatusDisabled,
                                   kGameFolderColour, kSectionHeaderColour, kAccent}) {
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
    EXPECT_GE(Contrast(WarningColor, c[ImGuiCol_Button]), 4.5);
}

// The preview panel in the parameters tab, as a player uses it: it follows a
// slider through its worker, the line on the picture compares before and
// after, and a screenshot comes in through the open dialog (a file that is no
// picture leaves a notice and the picture as it was).

#include <imgui.h>

#include "settings/Settings.h"
#include "tests/support/FakeTools.h"
#include "tests/ui/UiDriver.h"
#include "ui/PreviewPanel.h"

TEST(PreviewPanel, FollowsTheSettingsComparesBeforeAndAfterAndLoadsAScreenshot) {
    UiDriver ui;
    Settings::Instance().TSPath = MakeFakeGameFolder(ui.root.path / "game");
    Settings::Instance().Save(u"");
    ui.Start();
    ImGui::GetIO().DisplaySize = ImVec2(1600, 6000);  // the whole parameters tab on one screen
    ASSERT_TRUE(ui.FramesUntil([] { return PreviewPanelShown().hasResult; }));
    EXPECT_TRUE(ui.ShowsText(T("previewscope")));
    EXPECT_EQ(PreviewPanelShown().width, 1280);
    EXPECT_EQ(PreviewPanelShown().settings, PostChainSettingsFrom(Settings::Instance().Shader));
    EXPECT_FALSE(PreviewNeedsRedraw());

    // An edit, as a slider makes it: the frame asks for a redraw until the
    // picture with the new value is shown.
    Settings::Instance().Shader.Gamma = 1.6f;
    ui.Frame();
    EXPECT_TRUE(PreviewNeedsRedraw());
    ASSERT_TRUE(ui.FramesUntil([] { return PreviewPanelShown().settings.Gamma == 1.6f; }));
    EXPECT_FALSE(PreviewNeedsRedraw());

    // Dragging across the picture moves the line to the mouse.
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
    // comes in scaled to the working width.
    const fs::path bin = ui.root.path / "bin";
    fs::create_directories(bin);
    ScopedPathFirst path(bin);
    WriteFakeChooser(bin, "zenity", (fs::path(VANTREL_SOURCE_DIR) / "Data" / "Textures" / "Logo.png").string(), 0);
    ASSERT_TRUE(ui.Click(ByKey("button", "previewloadscreenshot")));
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
    EXPECT_TRUE(ui.ShowsText(T("previewloadfailed")));
    EXPECT_EQ(PreviewPanelShown().height, 168);

    ASSERT_TRUE(ui.Click(ByKey("button", "previewbuiltinscene")));
    EXPECT_FALSE(ui.ShowsText(T("previewloadfailed")));
    ASSERT_TRUE(ui.FramesUntil([] { return PreviewPanelShown().hasResult; }));
    EXPECT_FALSE(PreviewPanelShown().screenshot);
    EXPECT_EQ(PreviewPanelShown().height, 720);
}

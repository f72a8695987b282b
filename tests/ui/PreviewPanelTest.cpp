// The preview panel in the real frame: the picture is computed at the size it
// is shown, the compare button shows the picture before while it is held, the
// enlarged view computes at up to full size and closes with Escape, and a
// screenshot names and runs only the steps that work on a picture alone.

#include "preview/PreviewPasses.h"
#include "tests/support/FakeTools.h"
#include "tests/ui/UiDriver.h"
#include "ui/Widgets.h"

namespace {

float Width(const DrawnItem* item) { return item ? item->max.x - item->min.x : 0.0f; }

bool Settled() { return PreviewPanelShown().hasResult && !PreviewNeedsRedraw(); }

}  // namespace

TEST(PreviewPanel, ComputesAtTheShownSizeComparesWhileHeldEnlargesAndSaysWhatAScreenshotShows) {
    UiDriver ui;
    Settings::Instance().TSPath = MakeFakeGameFolder(ui.root.path / "game");  // the parameters tab shows
    ui.StartAsReturningUser();
    ImGui::GetIO().DisplaySize = ImVec2(1600, 6000);  // the whole parameters tab on one screen
    ASSERT_TRUE(ui.FramesUntil(Settled));
    {
        SCOPED_TRACE("the picture is computed at the size it is shown");
        const DrawnItem* picture = ui.Find(ByKey("preview", "previewpicture"));
        ASSERT_NE(picture, nullptr);
        EXPECT_NEAR(PreviewPanelShown().computedWidth, Width(picture), 1.0f);
        EXPECT_LT(PreviewPanelShown().computedWidth, 1280);
        EXPECT_EQ(PreviewPanelShown().width, 1280);
        EXPECT_TRUE(ui.ShowsText(T("previewscope")));
        EXPECT_TRUE(ui.ShowsText(T("previewapproximate")));
        EXPECT_FALSE(ui.ShowsText(T("previewscreenshotscope")));
        for (PreviewPass pass : kPreviewOrder) EXPECT_TRUE(PreviewShowsPass(pass));
        EXPECT_FALSE(PreviewShowsPass(PreviewPass::None));
    }
    {
        SCOPED_TRACE("the compare button shows the picture before while held");
        ui.Frame();
        const DrawnItem* compare = ui.Find(ByKey("button", "previewcompare"));
        ASSERT_NE(compare, nullptr);
        ImGuiIO& io = ImGui::GetIO();
        io.MousePos = ImVec2((compare->min.x + compare->max.x) / 2, (compare->min.y + compare->max.y) / 2);
        ui.Frame();
        io.MouseDown[0] = true;
        ui.Frame(2);
        EXPECT_TRUE(PreviewPanelShown().beforeHeld);
        io.MouseDown[0] = false;
        ui.Frame(2);
        EXPECT_FALSE(PreviewPanelShown().beforeHeld);
    }
    {
        SCOPED_TRACE("the enlarged view computes at up to full size and closes with Escape");
        const float small = Width(ui.Find(ByKey("preview", "previewpicture")));
        ASSERT_TRUE(ui.Click(ByKey("button", "previewenlarge")));
        EXPECT_TRUE(PreviewPanelShown().enlarged);
        ASSERT_TRUE(ui.FramesUntil([] { return Settled() && PreviewPanelShown().computedWidth > 1000; }));
        const DrawnItem* enlarged = ui.Find(ByKey("preview", "previewenlargedpicture"));
        ASSERT_NE(enlarged, nullptr);
        EXPECT_GT(Width(enlarged), small);
        EXPECT_NEAR(PreviewPanelShown().computedWidth, std::min(Width(enlarged), 1280.0f), 1.0f);
        ui.PressKey(ImGuiKey_Escape);
        EXPECT_FALSE(PreviewPanelShown().enlarged);
        EXPECT_EQ(ui.Find(ByKey("preview", "previewenlargedpicture")), nullptr);
        ASSERT_TRUE(ui.FramesUntil([&] { return Settled() && PreviewPanelShown().computedWidth < 1000; }));
    }
    {
        SCOPED_TRACE("a screenshot shows only edge smoothing and the post chain, and says so");
        const fs::path bin = ui.root.path / "bin";
        ScopedPathFirst path(bin);
        WriteFakeChooser(bin, "zenity", (fs::path(VANTREL_SOURCE_DIR) / "Data" / "Textures" / "Logo.png").string(), 0);
        ASSERT_TRUE(ui.Click(ByKey("button", "previewloadscreenshot")));
        ASSERT_TRUE(ui.FramesUntil([] { return PreviewPanelShown().screenshot && Settled(); }));
        EXPECT_TRUE(ui.ShowsText(T("previewscreenshotscope")));
        EXPECT_FALSE(ui.ShowsText(T("previewapproximate")));
        for (PreviewPass pass : kPreviewOrder)
            EXPECT_EQ(PreviewShowsPass(pass), pass == PreviewPass::EdgeSmoothing || pass == PreviewPass::PostChain);
        // Only the sections it still shows are marked.
        ui.Frame();
        const std::string marker = std::string(kIconPreviewed) + " " + T("sectionpreviewed");
        std::vector<std::string> marked;
        for (size_t i = 0; i + 1 < ui.items.size(); ++i) {
            if (ui.items[i].kind == "section" && ui.items[i + 1].label == marker) marked.push_back(ui.items[i].key);
        }
        EXPECT_EQ(marked, (std::vector<std::string>{"fxaa", "hdrbloom", "imagecolors"}));
    }
}

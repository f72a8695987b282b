#include "ui/PreviewPanel.h"

#include <algorithm>
#include <memory>
#include <string>

#include <imgui.h>

#include "app/Platform.h"
#include "app/Text.h"
#include "preview/PictureLoad.h"
#include "preview/PreviewPicture.h"
#include "preview/PreviewWorker.h"
#include "settings/Settings.h"
#include "ui/UiHost.h"
#include "ui/Widgets.h"

namespace {

const ImVec4 kScopeColour(0.78f, 0.78f, 0.78f, 1.0f);

// The panel's pictures live as long as the interface; the worker computes,
// the frame only uploads what it finished.
struct PanelState {
    std::shared_ptr<const RgbaImage> scene;
    bool screenshot = false;
    std::string loadProblem;  // why the last screenshot was not loaded
    UiTexture before, after;
    bool hasResult = false;
    PostChainSettings shown;
    float split = 0.5f;
};

PanelState& Panel() {
    static PanelState* state = new PanelState();
    return *state;
}

void UseScene(PanelState& panel, RgbaImage picture, bool screenshot) {
    panel.scene = std::make_shared<const RgbaImage>(std::move(picture));
    panel.screenshot = screenshot;
    panel.hasResult = false;
    UiHostReleaseTexture(panel.after);
    UiHostUploadTexture(panel.before, panel.scene->pixels.data(), panel.scene->width, panel.scene->height);
    PreviewSetScene(panel.scene);
}

void TakeFinished(PanelState& panel) {
    PreviewResult result;
    if (!PreviewTakeResult(result) || result.scene != panel.scene || !result.image) return;
    const RgbaImage& image = *result.image;
    panel.hasResult = UiHostUploadTexture(panel.after, image.pixels.data(), image.width, image.height);
    panel.shown = result.settings;
}

void Corner(ImDrawList* draw, ImVec2 at, const std::string& text, bool right) {
    const ImVec2 size = ImGui::CalcTextSize(text.c_str());
    const ImVec2 pad(Px(6), Px(3));
    const ImVec2 min(right ? at.x - size.x - 2 * pad.x : at.x, at.y);
    const ImVec2 max(min.x + size.x + 2 * pad.x, min.y + size.y + 2 * pad.y);
    draw->AddRectFilled(min, max, IM_COL32(0, 0, 0, 160), Px(3));
    draw->AddText(ImVec2(min.x + pad.x, min.y + pad.y), IM_COL32(255, 255, 255, 255), text.c_str());
}

// The picture with the compare line: before on the left of it, after on the
// right; dragging anywhere on the picture moves the line.
void Picture(PanelState& panel) {
    // Small enough that the picture and the sliders below it fit on one screen.
    const float aspect = static_cast<float>(panel.scene->width) / static_cast<float>(panel.scene->height);
    const float maxHeight = std::max(Px(160), ImGui::GetIO().DisplaySize.y * 0.36f);
    const float width = std::max(Px(64), std::min({ImGui::GetContentRegionAvail().x, Px(960), maxHeight * aspect}));
    const float height = width / aspect;
    const ImVec2 origin = ImGui::GetCursorScreenPos();
    ImGui::InvisibleButton("##previewpicture", ImVec2(width, height));
    NoteItem("preview", "##previewpicture");
    if (ImGui::IsItemHovered() || ImGui::IsItemActive()) ImGui::SetMouseCursor(ImGuiMouseCursor_ResizeEW);
    if (ImGui::IsItemActive()) panel.split = std::clamp((ImGui::GetIO().MousePos.x - origin.x) / width, 0.0f, 1.0f);

    ImDrawList* draw = ImGui::GetWindowDrawList();
    const ImVec2 end(origin.x + width, origin.y + height);
    const float line = origin.x + width * panel.split;
    if (panel.hasResult) {
        draw->AddImage(panel.after.id, origin, end);
        draw->AddImage(panel.before.id, origin, ImVec2(line, end.y), ImVec2(0, 0), ImVec2(panel.split, 1));
    } else {
        draw->AddImage(panel.before.id, origin, end);
    }
    draw->AddLine(ImVec2(line, origin.y), ImVec2(line, end.y), IM_COL32(255, 255, 255, 230), Px(2));
    draw->AddCircleFilled(ImVec2(line, (origin.y + end.y) * 0.5f), Px(7), IM_COL32(255, 166, 26, 255));
    Corner(draw, ImVec2(origin.x + Px(6), origin.y + Px(6)), T("previewbefore"), false);
    Corner(draw, ImVec2(end.x - Px(6), origin.y + Px(6)), T("previewafter"), true);
}

// The screenshot loads on the loader's thread; the panel shows the picture it
// had until the new one is there.
void PictureButtons(PanelState& panel) {
    LoadedPicture loaded;
    if (PictureLoadTake(loaded)) {
        panel.loadProblem = PictureLoadProblemText(loaded);
        if (loaded.fault == PictureFault::None) UseScene(panel, std::move(loaded.picture), true);
    }
    if (LabelButton(Label("previewloadscreenshot"))) {
        const std::u16string path = OpenImageFileDialog(Utf8ToWide(T("previewbrowsertitle")));
        if (!path.empty()) {
            panel.loadProblem.clear();
            PictureLoadStart(path);
        }
    }
    if (panel.screenshot) {
        ImGui::SameLine();
        if (LabelButton(Label("previewbuiltinscene"))) {
            panel.loadProblem.clear();
            PictureLoadCancel();
            UseScene(panel, DefaultPreviewPicture(), false);
        }
    }
    if (PictureLoadBusy()) {
        PlainText(T("previewloading"));
    } else if (!panel.loadProblem.empty()) {
        ColoredWrappedText(WarningColor, panel.loadProblem);
    }
}

}  // namespace

void PreviewPanel() {
    PanelState& panel = Panel();
    if (!panel.scene) UseScene(panel, DefaultPreviewPicture(), false);
    // The worker copies the ten settings; a repeat of the newest request is ignored.
    PreviewRequest(PostChainSettingsFrom(Settings::Instance().Shader));
    TakeFinished(panel);

    BeginParameterSection(Label("previewtitle"));
    ColoredWrappedText(kScopeColour, T("previewscope"));
    Picture(panel);
    PlainText(T("previewcomparehint"));
    PictureButtons(panel);
    EndParameterSection();
}

bool PreviewNeedsRedraw() { return PreviewBusy() || PictureLoadBusy(); }

PreviewShown PreviewPanelShown() {
    const PanelState& panel = Panel();
    PreviewShown shown;
    if (panel.scene) {
        shown.width = panel.scene->width;
        shown.height = panel.scene->height;
    }
    shown.screenshot = panel.screenshot;
    shown.hasResult = panel.hasResult;
    shown.settings = panel.shown;
    shown.split = panel.split;
    return shown;
}

void ResetPreviewPanel() {
    PreviewStop();
    PictureLoadCancel();
    PictureLoadStop();
    PanelState& panel = Panel();
    UiHostReleaseTexture(panel.before);
    UiHostReleaseTexture(panel.after);
    panel = PanelState();
}

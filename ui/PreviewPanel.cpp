#include "ui/PreviewPanel.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

#include <imgui.h>

#include "app/Platform.h"
#include "app/Text.h"
#include "preview/PictureLoad.h"
#include "preview/PreviewPicture.h"
#include "preview/PreviewWorker.h"
#include "ui/UiHost.h"
#include "ui/Widgets.h"

namespace {

const ImVec4 kScopeColour(0.78f, 0.78f, 0.78f, 1.0f);

// The panel's pictures live as long as the interface; the worker computes,
// the frame only uploads what it finished.
struct PanelState {
    bool started = false;
    std::shared_ptr<const RgbaImage> screenshot;  // null: the built-in scene
    std::string loadProblem;                      // why the last screenshot was not loaded
    UiTexture before, after;
    std::shared_ptr<const RgbaImage> beforeShown;  // the picture in `before`
    bool hasResult = false;
    int computedWidth = 0, computedHeight = 0;
    ShaderSettings shown;
    float split = 0.5f;
    bool enlarged = false;
    bool beforeHeld = false;  // in the last frame
    bool holding = false;     // in this one, so far
    int wantedWidth = 0;      // of the picture shown, in the display's pixels
};

PanelState& Panel() {
    static PanelState* state = new PanelState();
    return *state;
}

// The picture at full size.
ImVec2 FullSize(const PanelState& panel) {
    if (panel.screenshot)
        return ImVec2(static_cast<float>(panel.screenshot->width), static_cast<float>(panel.screenshot->height));
    return ImVec2(kPreviewMaxWidth, static_cast<float>(PreviewSceneHeight(kPreviewMaxWidth)));
}

void UsePicture(PanelState& panel, std::shared_ptr<const RgbaImage> screenshot) {
    panel.screenshot = std::move(screenshot);
    panel.hasResult = false;
    panel.beforeShown.reset();
    UiHostReleaseTexture(panel.before);
    UiHostReleaseTexture(panel.after);
    PreviewSetPicture(panel.screenshot);
}

void TakeFinished(PanelState& panel) {
    PreviewResult result;
    if (!PreviewTakeResult(result) || result.screenshot != panel.screenshot || !result.image || !result.before) return;
    if (result.before != panel.beforeShown) {
        const RgbaImage& before = *result.before;
        if (!UiHostUploadTexture(panel.before, before.pixels.data(), before.width, before.height)) return;
        panel.beforeShown = result.before;
    }
    const RgbaImage& image = *result.image;
    panel.hasResult = UiHostUploadTexture(panel.after, image.pixels.data(), image.width, image.height);
    panel.computedWidth = image.width;
    panel.computedHeight = image.height;
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
// right, or before everywhere while the compare button is held; dragging
// anywhere on the picture moves the line. Asks for the picture at the size
// it is drawn, in the display's pixels.
void Picture(PanelState& panel, const char* id, ImVec2 size) {
    const ImVec2 origin = ImGui::GetCursorScreenPos();
    ImGui::InvisibleButton(id, size);
    NoteItem("preview", id);
    if (ImGui::IsItemHovered() || ImGui::IsItemActive()) ImGui::SetMouseCursor(ImGuiMouseCursor_ResizeEW);
    if (ImGui::IsItemActive()) panel.split = std::clamp((ImGui::GetIO().MousePos.x - origin.x) / size.x, 0.0f, 1.0f);
    panel.wantedWidth = static_cast<int>(std::lround(size.x * ImGui::GetIO().DisplayFramebufferScale.x));

    ImDrawList* draw = ImGui::GetWindowDrawList();
    const ImVec2 end(origin.x + size.x, origin.y + size.y);
    const bool before = panel.beforeHeld || !panel.hasResult;
    const float line = origin.x + size.x * (before ? 1.0f : panel.split);
    if (!panel.beforeShown) {
        draw->AddRectFilled(origin, end, IM_COL32(40, 40, 40, 255));
    } else if (before) {
        draw->AddImage(panel.before.id, origin, end);
    } else {
        draw->AddImage(panel.after.id, origin, end);
        draw->AddImage(panel.before.id, origin, ImVec2(line, end.y), ImVec2(0, 0), ImVec2(panel.split, 1));
    }
    if (!before) {
        draw->AddLine(ImVec2(line, origin.y), ImVec2(line, end.y), IM_COL32(255, 255, 255, 230), Px(2));
        draw->AddCircleFilled(ImVec2(line, (origin.y + end.y) * 0.5f), Px(7), IM_COL32(255, 166, 26, 255));
    }
    Corner(draw, ImVec2(origin.x + Px(6), origin.y + Px(6)), T("previewbefore"), false);
    if (!before) Corner(draw, ImVec2(end.x - Px(6), origin.y + Px(6)), T("previewafter"), true);
}

// Shows the whole picture before while held.
void CompareButton(PanelState& panel) {
    LabelButton(Label("previewcompare"));
    panel.holding = panel.holding || ImGui::IsItemActive();
}

// The screenshot loads on the loader's thread; the panel shows the picture it
// had until the new one is there.
void PictureButtons(PanelState& panel) {
    LoadedPicture loaded;
    if (PictureLoadTake(loaded)) {
        panel.loadProblem = PictureLoadProblemText(loaded);
        if (loaded.fault == PictureFault::None)
            UsePicture(panel, std::make_shared<const RgbaImage>(std::move(loaded.picture)));
    }
    CompareButton(panel);
    ImGui::SameLine();
    if (LabelButton(Label("previewenlarge"))) panel.enlarged = true;
    ImGui::SameLine();
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
            UsePicture(panel, nullptr);
        }
    }
    if (PictureLoadBusy()) {
        PlainText(T("previewloading"));
    } else if (!panel.loadProblem.empty()) {
        ColoredWrappedText(WarningColor, panel.loadProblem);
    }
}

// The enlarged view: a window of its own over the main one, opening at the
// picture's full size where the screen allows, resizable; the picture fits
// it and is computed at the size it is shown, up to full size.
void EnlargedView(PanelState& panel, ImFont* font) {
    const ImVec2 display = ImGui::GetIO().DisplaySize, full = FullSize(panel);
    const float scale = ImGui::GetIO().DisplayFramebufferScale.x > 0 ? ImGui::GetIO().DisplayFramebufferScale.x : 1.0f;
    const ImGuiStyle& style = ImGui::GetStyle();
    const float chrome = ImGui::GetFrameHeightWithSpacing() * 2 + style.WindowPadding.y * 2;
    const ImVec2 wanted(full.x / scale + style.WindowPadding.x * 2, full.y / scale + chrome);
    ImGui::SetNextWindowSize(ImVec2(std::min(wanted.x, display.x * 0.95f), std::min(wanted.y, display.y * 0.95f)),
                             ImGuiCond_Appearing);
    ImGui::SetNextWindowPos(ImVec2(display.x * 0.5f, display.y * 0.5f), ImGuiCond_Appearing, ImVec2(0.5f, 0.5f));
    bool open = true;
    const std::string title = T("previewenlargedtitle") + "###previewenlarged";
    ImGui::PushFont(font);  // the panel's own
    if (ImGui::Begin(title.c_str(), &open, ImGuiWindowFlags_NoCollapse | ImGuiWindowFlags_NoSavedSettings)) {
        const ImVec2 room = ImGui::GetContentRegionAvail();
        const float aspect = full.x / full.y;
        float width = std::min({room.x, (room.y - ImGui::GetFrameHeightWithSpacing()) * aspect, full.x / scale});
        width = std::max(width, Px(64));
        Picture(panel, "##previewenlargedpicture", ImVec2(width, width / aspect));
        CompareButton(panel);
        if (ImGui::IsWindowFocused() && ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Escape), false)) open = false;
    }
    ImGui::End();
    ImGui::PopFont();
    if (!open) panel.enlarged = false;
}

}  // namespace

void PreviewPanel() {
    PanelState& panel = Panel();
    if (!panel.started) {
        UsePicture(panel, nullptr);
        panel.started = true;
    }
    TakeFinished(panel);
    panel.beforeHeld = panel.holding;
    panel.holding = false;

    BeginParameterSection(Label("previewtitle"));
    ColoredWrappedText(kScopeColour, T("previewscope"));
    if (panel.screenshot) ColoredWrappedText(kScopeColour, T("previewscreenshotscope"));
    // Small enough that the picture and the sliders below it fit on one screen.
    const ImVec2 full = FullSize(panel);
    const float aspect = full.x / full.y;
    const float maxHeight = std::max(Px(160), ImGui::GetIO().DisplaySize.y * 0.36f);
    const float width = std::max(Px(64), std::min({ImGui::GetContentRegionAvail().x, Px(960), maxHeight * aspect}));
    Picture(panel, "##previewpicture", ImVec2(width, width / aspect));
    WrappedText(T("previewcomparehint"));
    PictureButtons(panel);
    if (!panel.screenshot) ColoredWrappedText(kScopeColour, T("previewapproximate"));
    EndParameterSection();
    if (panel.enlarged) EnlargedView(panel, ImGui::GetFont());
    // The worker takes the settings it reads; a repeat of the newest request is ignored.
    PreviewRequest(Settings::Instance().Shader, panel.wantedWidth);
}

bool PreviewNeedsRedraw() { return PreviewBusy() || PictureLoadBusy(); }

bool PreviewShowsPass(PreviewPass pass) {
    if (std::find(kPreviewOrder.begin(), kPreviewOrder.end(), pass) == kPreviewOrder.end()) return false;
    return !Panel().screenshot || !PassNeedsScene(pass);
}

PreviewShown PreviewPanelShown() {
    const PanelState& panel = Panel();
    PreviewShown shown;
    if (panel.started) {
        const ImVec2 full = FullSize(panel);
        shown.width = static_cast<int>(full.x);
        shown.height = static_cast<int>(full.y);
    }
    shown.computedWidth = panel.computedWidth;
    shown.computedHeight = panel.computedHeight;
    shown.screenshot = panel.screenshot != nullptr;
    shown.hasResult = panel.hasResult;
    shown.enlarged = panel.enlarged;
    shown.beforeHeld = panel.beforeHeld;
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

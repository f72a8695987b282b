#include "ui/DialogButtons.h"

#include <algorithm>

#include <imgui.h>
#include <imgui_internal.h>

#include "ui/KeyboardFocus.h"
#include "ui/UiState.h"
#include "ui/Widgets.h"

namespace {

bool InPopupOnTop() {
    const ImGuiContext& g = *GImGui;
    return !g.OpenPopupStack.empty() && g.OpenPopupStack.back().Window == g.CurrentWindow->RootWindow;
}

float ButtonWidth(const DialogButton& button, bool isDefault) {
    ImGui::PushFont(isDefault ? UiState().FontBold : UiState().FontRegular);
    const float text = ImGui::CalcTextSize(button.label.c_str(), nullptr, true).x;
    ImGui::PopFont();
    return std::max(Px(110), text + 2.0f * Px(14));
}

}  // namespace

int DialogButtons(const std::vector<DialogButton>& buttons, int defaultIndex, int cancelIndex) {
    const ImGuiStyle& style = ImGui::GetStyle();
    const float gap = style.ItemSpacing.x;
    float total = 0.0f;
    for (size_t i = 0; i < buttons.size(); ++i) total += ButtonWidth(buttons[i], int(i) == defaultIndex) + (i ? gap : 0);
    ImGui::Dummy(ImVec2(0.0f, Px(6)));
    // On the right of what the popup holds so far: a popup that fits its
    // content would otherwise grow with every frame to keep up with them.
    const ImGuiWindow* window = ImGui::GetCurrentWindowRead();
    const float left = ImGui::GetCursorScreenPos().x;
    const float right = (window->Flags & ImGuiWindowFlags_AlwaysAutoResize)
                            ? std::max(window->DC.CursorMaxPos.x, left + total)
                            : ImGui::GetContentRegionMaxAbs().x;
    const float start = right - total;
    int pressed = kNoButton;
    int focused = kNoButton;
    for (size_t i = 0; i < buttons.size(); ++i) {
        const DialogButton& button = buttons[i];
        const bool isDefault = int(i) == defaultIndex;
        if (i == 0) ImGui::SetCursorScreenPos(ImVec2(start, ImGui::GetCursorScreenPos().y));
        else ImGui::SameLine(0.0f, gap);
        if (!button.enabled) ImGui::BeginDisabled();
        const ImVec2 size(ButtonWidth(button, isDefault), Px(32));
        if (isDefault ? PrimaryButton(button.label, size) : LabelButton(button.label, size)) pressed = int(i);
        if (HasVisibleKeyboardFocus()) focused = int(i);
        if (!button.enabled) ImGui::EndDisabled();
    }
    if (pressed != kNoButton || !InPopupOnTop() || ImGui::GetIO().WantTextInput) return pressed;
    const ImGuiIO& io = ImGui::GetIO();
    const bool enter = ImGui::IsKeyPressedMap(ImGuiKey_Enter, false) || ImGui::IsKeyPressedMap(ImGuiKey_KeyPadEnter, false);
    const int chosen = focused != kNoButton ? focused : defaultIndex;
    if (enter && !io.KeyCtrl && !io.KeyAlt && chosen != kNoButton && buttons[size_t(chosen)].enabled) return chosen;
    if (cancelIndex != kNoButton && ImGui::IsKeyPressedMap(ImGuiKey_Escape, false)) return cancelIndex;
    return kNoButton;
}

#include "ui/Style.h"

#include "ui/UiState.h"

namespace {

ImVec4 Grey(float level, float alpha = 1.0f) { return ImVec4(level, level, level, alpha); }

void BaseColours(ImVec4* c) {
    c[ImGuiCol_Text] = kWhite;
    // Disabled menu items stay readable (about 4:1 on the popup background).
    c[ImGuiCol_TextDisabled] = Grey(0.45f);
    c[ImGuiCol_TextSelectedBg] = ImVec4(kAccent.x, kAccent.y, kAccent.z, 0.35f);
    c[ImGuiCol_WindowBg] = Grey(0.1f);
    c[ImGuiCol_ChildBg] = Grey(0.12f);
    c[ImGuiCol_PopupBg] = Grey(0.05f);
    // The outline of every frame, child region and popup: 3.7:1 on the window.
    c[ImGuiCol_Border] = Grey(0.45f);
    c[ImGuiCol_BorderShadow] = Grey(0.0f, 0.25f);
    // Frames (check boxes, sliders, colour fields) a step lighter than the
    // window, warming toward the accent when hovered and held.
    c[ImGuiCol_FrameBg] = Grey(0.16f);
    c[ImGuiCol_FrameBgHovered] = ImVec4(0.27f, 0.22f, 0.15f, 1.0f);
    c[ImGuiCol_FrameBgActive] = ImVec4(0.36f, 0.27f, 0.14f, 1.0f);
    c[ImGuiCol_TitleBg] = Grey(0.075f);
    c[ImGuiCol_TitleBgActive] = Grey(0.075f);
    c[ImGuiCol_TitleBgCollapsed] = Grey(0.075f, 0.5f);
    c[ImGuiCol_MenuBarBg] = Grey(0.085f);
    c[ImGuiCol_ScrollbarBg] = Grey(0.2f);
    c[ImGuiCol_ScrollbarGrab] = Grey(0.5f);
    c[ImGuiCol_ScrollbarGrabHovered] = Grey(0.6f);
    c[ImGuiCol_ScrollbarGrabActive] = Grey(0.7f);
    c[ImGuiCol_CheckMark] = ImVec4(1.0f, 0.7f, 0.1f, 1.0f);
    c[ImGuiCol_SliderGrab] = kAccent;
    c[ImGuiCol_SliderGrabActive] = ImVec4(1.0f, 0.78f, 0.35f, 1.0f);
    c[ImGuiCol_Button] = Grey(0.2f);
    c[ImGuiCol_ButtonHovered] = Grey(0.3f);
    c[ImGuiCol_ButtonActive] = ImVec4(0.4f, 0.3f, 0.16f, 1.0f);
    c[ImGuiCol_Header] = ImVec4(0.2f, 0.22f, 0.21f, 0.75f);
    // Menu items and selectable lines: a clear accent tint under the pointer.
    c[ImGuiCol_HeaderHovered] = ImVec4(kAccent.x, kAccent.y, kAccent.z, 0.3f);
    c[ImGuiCol_HeaderActive] = ImVec4(kAccent.x, kAccent.y, kAccent.z, 0.45f);
    c[ImGuiCol_Separator] = Grey(0.3f);
    c[ImGuiCol_SeparatorHovered] = Grey(0.45f);
    c[ImGuiCol_SeparatorActive] = kAccent;
    c[ImGuiCol_ResizeGrip] = Grey(0.3f, 0.0f);
    c[ImGuiCol_ResizeGripHovered] = Grey(0.45f);
    c[ImGuiCol_ResizeGripActive] = kAccent;
    // Tabs: grey, a warm grey under the pointer (never mistaken for the open
    // one), the open one filled with the deep accent (white on it: 4.6:1); the
    // line under the bar takes that colour.
    c[ImGuiCol_Tab] = Grey(0.2f);
    c[ImGuiCol_TabHovered] = ImVec4(0.34f, 0.29f, 0.22f, 1.0f);
    c[ImGuiCol_TabActive] = kAccentDeep;
    c[ImGuiCol_TabUnfocused] = Grey(0.2f);
    c[ImGuiCol_TabUnfocusedActive] = kAccentDeep;
    c[ImGuiCol_NavHighlight] = kAccent;
    c[ImGuiCol_NavWindowingHighlight] = kAccent;
    c[ImGuiCol_DragDropTarget] = kAccent;
    c[ImGuiCol_PlotHistogram] = kAccent;
    c[ImGuiCol_PlotLinesHovered] = kAccent;
    // Behind a popup the window darkens instead of turning milky.
    c[ImGuiCol_ModalWindowDimBg] = Grey(0.0f, 0.55f);
}

}  // namespace

void ApplyBaseStyle() {
    ImGuiStyle& style = ImGui::GetStyle();
    style = ImGuiStyle();
    ImGui::StyleColorsDark(&style);
    style.Alpha = 1.0f;
    style.WindowPadding = ImVec2(15, 15);
    style.WindowRounding = 0.0f;
    style.WindowBorderSize = 1.0f;
    style.WindowTitleAlign = ImVec2(0.01f, 0.5f);
    style.ChildBorderSize = 1.0f;
    style.FrameRounding = 2.0f;
    // Every frame gets an outline, so an unchecked box is never invisible.
    style.FrameBorderSize = 1.0f;
    style.ItemSpacing = ImVec2(5, 5);
    style.IndentSpacing = 15.0f;
    style.ScrollbarSize = 20.0f;
    style.GrabMinSize = 12.0f;
    style.TabRounding = 3.0f;
    style.AntiAliasedLines = true;
    style.AntiAliasedFill = true;
    BaseColours(style.Colors);
    style.ScaleAllSizes(UiState().scale);
}

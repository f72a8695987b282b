#include "ui/Style.h"

#include <imgui.h>

#include "app/AppPaths.h"
#include "app/FileProbes.h"
#include "app/Text.h"
#include "ui/UiState.h"

void ApplyBaseStyle() {
    ImGuiStyle& style = ImGui::GetStyle();
    style.Alpha = 1.0f;
    style.WindowPadding = ImVec2(15, 15);
    style.WindowRounding = 0.0f;
    style.WindowBorderSize = 1.0f;
    style.WindowTitleAlign = ImVec2(0.01f, 0.5f);
    style.ChildBorderSize = 1.0f;
    style.FrameRounding = 2.0f;
    style.ItemSpacing = ImVec2(5, 5);
    style.IndentSpacing = 15.0f;
    style.ScrollbarSize = 20.0f;
    style.AntiAliasedLines = true;
    style.AntiAliasedFill = true;

    ImVec4* c = style.Colors;
    c[ImGuiCol_Text] = ImVec4(1, 1, 1, 1);
    c[ImGuiCol_TextDisabled] = ImVec4(0.35f, 0.35f, 0.35f, 1);
    c[ImGuiCol_TextSelectedBg] = ImVec4(0.75f, 0.75f, 1.0f, 0.1f);
    c[ImGuiCol_WindowBg] = ImVec4(0.1f, 0.1f, 0.1f, 1);
    c[ImGuiCol_ChildBg] = ImVec4(0.12f, 0.12f, 0.12f, 1);
    c[ImGuiCol_PopupBg] = ImVec4(0.05f, 0.05f, 0.05f, 1);
    c[ImGuiCol_Border] = ImVec4(0, 0, 0, 1);
    c[ImGuiCol_BorderShadow] = ImVec4(0, 0, 0, 0.25f);
    c[ImGuiCol_FrameBg] = ImVec4(0.085f, 0.085f, 0.085f, 1);
    c[ImGuiCol_TitleBg] = ImVec4(0.075f, 0.075f, 0.075f, 1);
    c[ImGuiCol_TitleBgActive] = ImVec4(0.075f, 0.075f, 0.075f, 1);
    c[ImGuiCol_TitleBgCollapsed] = ImVec4(0.075f, 0.075f, 0.075f, 0.5f);
    c[ImGuiCol_MenuBarBg] = ImVec4(0.085f, 0.085f, 0.085f, 1);
    c[ImGuiCol_ScrollbarBg] = ImVec4(0.2f, 0.2f, 0.2f, 1);
    c[ImGuiCol_ScrollbarGrab] = ImVec4(0.5f, 0.5f, 0.5f, 1);
    c[ImGuiCol_ScrollbarGrabHovered] = ImVec4(0.5f, 0.5f, 0.5f, 1);
    c[ImGuiCol_ScrollbarGrabActive] = ImVec4(0.5f, 0.5f, 0.5f, 1);
    c[ImGuiCol_CheckMark] = ImVec4(1.0f, 0.7f, 0.1f, 1);
    c[ImGuiCol_Button] = ImVec4(0.2f, 0.2f, 0.2f, 1);
    c[ImGuiCol_ButtonActive] = ImVec4(0.2f, 0.2f, 0.2f, 1);
    c[ImGuiCol_ButtonHovered] = ImVec4(0.3f, 0.3f, 0.3f, 1);
    c[ImGuiCol_Header] = ImVec4(0.2f, 0.22f, 0.21f, 0.75f);
    c[ImGuiCol_HeaderActive] = ImVec4(0.2f, 0.22f, 0.21f, 0.75f);
    c[ImGuiCol_HeaderHovered] = ImVec4(1, 1, 1, 0.05f);
}

std::string DataFilePath(const char* relative) {
    if (PathExists(Utf8ToWide(relative))) return relative;
    // Started from another folder (a Linux terminal, a shortcut): the data
    // beside the program.
    const std::string besideProgram = WideToUtf8(AppPaths.programFolder) + relative;
    return PathExists(Utf8ToWide(besideProgram)) ? besideProgram : relative;
}

bool LoadUiFonts() {
    ImGuiIO& io = ImGui::GetIO();
    static const ImWchar kIconRange[] = {0xE000, 0xEB4C, 0};

    ImFontConfig text;
    text.MergeMode = false;
    text.OversampleH = 2;
    text.OversampleV = 2;
    text.PixelSnapH = false;

    ImFontConfig icons;
    icons.MergeMode = true;
    icons.OversampleH = 2;
    icons.OversampleV = 2;
    icons.PixelSnapH = false;
    icons.GlyphOffset = ImVec2(0, 7);

    const std::string regularPath = DataFilePath("Data/Fonts/Roboto-Medium.ttf");
    const std::string accentPath = DataFilePath("Data/Fonts/RobotoCondensed-BoldItalic.ttf");
    const std::string iconPath = DataFilePath("Data/Fonts/MaterialIcons-Regular.ttf");
    const char* regular = regularPath.c_str();
    const char* accent = accentPath.c_str();
    const char* iconFont = iconPath.c_str();

    UiStateRecord& ui = UiState();
    // The library stops on a missing font file; look first.
    const bool present = PathExists(Utf8ToWide(regular)) && PathExists(Utf8ToWide(accent)) &&
                         PathExists(Utf8ToWide(iconFont));
    if (!present) {
        ImFont* fallback = io.Fonts->AddFontDefault();
        ui.FontRegular = ui.FontLarge = ui.FontAccent = fallback;
        io.FontDefault = fallback;
        return false;
    }
    ui.FontRegular = io.Fonts->AddFontFromFileTTF(regular, 18.0f, &text);
    bool ok = ui.FontRegular && io.Fonts->AddFontFromFileTTF(iconFont, 24.0f, &icons, kIconRange);
    ui.FontLarge = io.Fonts->AddFontFromFileTTF(regular, 24.0f, &text);
    ok = ok && ui.FontLarge && io.Fonts->AddFontFromFileTTF(iconFont, 24.0f, &icons, kIconRange);
    ui.FontAccent = io.Fonts->AddFontFromFileTTF(accent, 24.0f);
    ok = ok && ui.FontAccent && io.Fonts->AddFontFromFileTTF(iconFont, 24.0f, &icons, kIconRange);
    io.FontDefault = ui.FontRegular;
    return ok;
}

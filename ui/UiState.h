#pragma once
// The UI's long-lived record: fonts, logo, popup request flags and the
// parameter help text.
#include <string>

#include <imgui.h>

struct UiStateRecord {
    ImFont* FontRegular = nullptr;
    ImFont* FontLarge = nullptr;
    ImFont* FontAccent = nullptr;
    ImTextureID logoTexture = nullptr;

    // Interface scale from the display's DPI (1 at 96 DPI): style sizes, fonts
    // and the fixed pixel sizes of the panels grow with it. pixelDensity is the
    // ratio of drawable pixels to window units (above 1 where the system
    // scales windows itself); fonts are rasterised that much finer.
    float scale = 1.0f;
    float pixelDensity = 1.0f;

    bool aboutRequested = false;
    bool importantNoticeRequested = false;
    bool parameterHelpRequested = false;
    bool wrongGamePathRequested = false;
    bool installResultsRequested = false;
    bool restoreResultsRequested = false;
    bool compileWarningRequested = false;
    bool presetImportedRequested = false;
    bool presetRefusedRequested = false;
    bool installProgressRequested = false;

    std::string parameterHelpText;
    std::string presetRefusal;  // why the last preset was refused, in the current language
};

UiStateRecord& UiState();

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

    bool aboutRequested = false;
    bool importantNoticeRequested = false;
    bool parameterHelpRequested = false;
    bool wrongGamePathRequested = false;
    bool installResultsRequested = false;
    bool restoreResultsRequested = false;
    bool compileWarningRequested = false;
    bool presetImportedRequested = false;
    bool installProgressRequested = false;

    std::string parameterHelpText;
};

UiStateRecord& UiState();

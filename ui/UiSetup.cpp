#include "ui/UiSetup.h"

#include <algorithm>
#include <cmath>

#include <imgui.h>

#include "app/AppPaths.h"
#include "app/FileProbes.h"
#include "app/Text.h"
#include "settings/Localization.h"
#include "ui/Fonts.h"
#include "ui/Style.h"
#include "ui/UiState.h"

void CreateUiContext() {
    ImGui::CreateContext();
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr;
    io.LogFilename = nullptr;  // the library's own log file, also never written
    io.ConfigFlags |= ImGuiConfigFlags_NavEnableKeyboard;
}

void LoadUiResources() {
    ApplyBaseStyle();
    Localization::Load();
    // Before start-up creates the settings file, so a first run shows the notice.
    if (!PathExists(AppPaths.settingsFile)) UiState().importantNoticeRequested = true;
}

void TellOfSettingsLoad(const SettingsFileLoad& load) {
    if (!load.unreadable) return;
    UiState().settingsKeptAs = WideToUtf8(load.keptAs);
    UiState().settingsUnreadableRequested = true;
}

void SetUiScale(float scale, float pixelDensity) {
    UiStateRecord& ui = UiState();
    ui.scale = std::clamp(scale, 1.0f, 4.0f);
    ui.pixelDensity = std::clamp(pixelDensity, 1.0f, 4.0f);
}

float UiScaleForDpi(float dpi) {
    if (!(dpi > 0.0f)) return 1.0f;
    return std::max(1.0f, std::floor(dpi / 96.0f * 4.0f + 0.1f) / 4.0f);
}

bool UiLookOutdated() { return UiFontsOutdated(); }

void RebuildUiLook() {
    ApplyBaseStyle();
    BuildUiFonts();
}

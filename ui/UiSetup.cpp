#include "ui/UiSetup.h"

#include <imgui.h>

#include "app/AppPaths.h"
#include "app/FileProbes.h"
#include "settings/Localization.h"
#include "ui/Style.h"
#include "ui/UiState.h"

void CreateUiContext() {
    ImGui::CreateContext();
    ImGui::GetIO().IniFilename = nullptr;
    ImGui::GetIO().LogFilename = nullptr;  // the library's own log file, also never written
}

void LoadUiResources() {
    ApplyBaseStyle();
    LoadUiFonts();
    Localization::Load();
    // Before start-up creates the settings file, so a first run shows the notice.
    if (!PathExists(AppPaths.settingsFile)) UiState().importantNoticeRequested = true;
}

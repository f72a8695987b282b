#include "ui/Questions.h"

#include <string>

#include <imgui.h>

#include "settings/Settings.h"
#include "settings/SettingsTable.h"
#include "ui/Actions.h"
#include "ui/DialogButtons.h"
#include "ui/GameFolderFacts.h"
#include "ui/WindowClose.h"
#include "ui/Widgets.h"

void DrawRestoreQuestion() {
    const InstalledState installed = InstalledShown();
    if (!installed.recordReadable) {
        PopupText(T("restorequestion_unreadable"));
    } else {
        PopupText(installed.effects == 1
                      ? T("restorequestion_one")
                      : Filled(T("restorequestion_many"), {{"count", std::to_string(installed.effects)}}));
    }
    PopupText(T("restorequestion_after"));
    const int pressed = DialogButtons({{Label("restorequestion_restore")}, {Label("cancel")}}, 0, 1);
    if (pressed == kNoButton) return;
    if (pressed == 0) RunRestoreFlow();
    ImGui::CloseCurrentPopup();
}

void DrawDefaultsQuestion() {
    Settings& settings = Settings::Instance();
    const int changed = ParametersDiffering(settings.Shader, ShaderSettings());
    const std::string total = std::to_string(ShaderParamTable().size());
    PopupText(changed == 1 ? Filled(T("defaultsquestion_one"), {{"total", total}})
                           : Filled(T("defaultsquestion_many"), {{"count", std::to_string(changed)}, {"total", total}}));
    PopupText(T("defaultsquestion_after"));
    const int pressed = DialogButtons({{Label("defaultsquestion_restore")}, {Label("cancel")}}, 0, 1);
    if (pressed == kNoButton) return;
    if (pressed == 0) settings.RestoreShaderDefaults();  // nothing saved
    ImGui::CloseCurrentPopup();
}

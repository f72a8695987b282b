// The preset manager tab: the maker's preset page, import and export.
#include <string>

#include <imgui.h>

#include "app/Platform.h"
#include "ui/Actions.h"
#include "ui/Panels.h"
#include "ui/UiState.h"
#include "ui/Widgets.h"

// Drawn in the large font of the tab labels, except the description.
void PresetManagerTab() {
    UiStateRecord& ui = UiState();
    ImGui::NewLine();
    ImGui::PushStyleColor(ImGuiCol_Text, kWhite);
    ImGui::PushFont(ui.FontRegular);
    WrappedText(T("presetfeaturedesc"));
    ImGui::PopFont();
    ImGui::PopStyleColor();
    ImGui::NewLine();

    if (LabelButton(Label("presetbrowse", kIconBrowse), ImVec2(0, Px(50)))) OpenWebPage(kPresetPageAddress);
    ImGui::NewLine();
    if (LabelButton(Label("presetimport", kIconImport), ImVec2(Px(300), Px(50))) && ImportPresetFromDialog()) {
        ui.presetImportedRequested = true;
    }
    if (LabelButton(Label("presetexport", kIconExport), ImVec2(Px(300), Px(50)))) ExportPresetFromDialog();
}

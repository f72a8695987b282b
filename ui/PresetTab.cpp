// The preset manager tab: the maker's preset page, import and export.
#include <string>

#include <imgui.h>

#include "app/Platform.h"
#include "ui/Actions.h"
#include "ui/Panels.h"
#include "ui/UiState.h"
#include "ui/Widgets.h"

void PresetManagerTab() {
    UiStateRecord& ui = UiState();
    WrappedText(T("presetfeaturedesc"));
    Gap();
    if (LabelButton(Label("presetbrowse", kIconBrowse), ImVec2(0, Px(40)))) OpenWebPage(kPresetPageAddress);
    Gap();
    if (LabelButton(Label("presetimport", kIconImport), ImVec2(Px(300), Px(40))) && ImportPresetFromDialog()) {
        ui.presetImportedRequested = true;
    }
    if (LabelButton(Label("presetexport", kIconExport), ImVec2(Px(300), Px(40)))) ExportPresetFromDialog();
}

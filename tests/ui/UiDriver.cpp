#include "tests/ui/UiDriver.h"

#include <algorithm>

#include <imgui.h>

#include "app/AppPaths.h"
#include "app/Platform.h"
#include "app/Startup.h"
#include "settings/Settings.h"
#include "ui/Frame.h"
#include "ui/PreviewPanel.h"
#include "ui/UiState.h"

bool NullUiHostQuitRequested();

namespace {
std::vector<DrawnItem>* g_sink = nullptr;
void Collect(const DrawnItem& item) {
    if (g_sink) g_sink->push_back(item);
}
}  // namespace

UiDriver::UiDriver(const std::string& catalogue) {
    UseTempAppPaths(root);
    const fs::path data = root.path / "program" / "Data";
    fs::create_directories(data);
    fs::create_directory_symlink(fs::path(VANTREL_BINARY_DIR) / "Data" / "Fonts", data / "Fonts");
    if (catalogue.empty()) {
        fs::copy_file(fs::path(VANTREL_SOURCE_DIR) / "Data" / "Localization.xml", data / "Localization.xml");
    } else {
        WriteText(data / "Localization.xml", catalogue);
    }
    Settings::Instance() = Settings();
    UiState() = UiStateRecord();
    ResetPreviewPanel();
    g_sink = &items;
    SetItemObserver(Collect);
}

UiDriver::~UiDriver() {
    SetItemObserver(nullptr);
    g_sink = nullptr;
    if (ImGui::GetCurrentContext()) UiHostShutdown();
}

void UiDriver::Start() {
    UiHostCreateDisplay();
    UiHostInitialise();
    StartUpLoadSettings();
}

void UiDriver::Frame(int count) {
    for (int i = 0; i < count; ++i) {
        items.clear();
        RenderUiFrame();
    }
}

const DrawnItem* UiDriver::Find(const ItemQuery& query) const {
    for (const DrawnItem& item : items) {
        if (item.kind != query.kind) continue;
        if (query.key.empty() ? item.label == query.label : item.key == query.key) return &item;
    }
    return nullptr;
}

bool UiDriver::Click(const ItemQuery& query) {
    Frame(2);  // windows that size themselves settle in their first frames
    const DrawnItem* item = Find(query);
    if (!item) return false;
    ImGuiIO& io = ImGui::GetIO();
    // Inside the item, a little off its left edge, where a check box has its box.
    io.MousePos = ImVec2(item->min.x + std::min(8.0f, (item->max.x - item->min.x) / 2),
                         (item->min.y + item->max.y) / 2);
    Frame();  // hovering is found from the windows of the frame before
    io.MouseDown[0] = true;
    Frame();
    io.MouseDown[0] = false;
    Frame();
    return true;
}

bool UiDriver::ShowsText(const std::string& text) const {
    return std::any_of(items.begin(), items.end(),
                       [&](const DrawnItem& i) { return i.kind == "text" && i.label == text; });
}

std::vector<DrawnItem> UiDriver::In(const std::string& window) const {
    std::vector<DrawnItem> found;
    for (const DrawnItem& item : items) {
        if (item.window.rfind(window, 0) == 0) found.push_back(item);  // child regions too
    }
    return found;
}

bool UiDriver::QuitRequested() const { return NullUiHostQuitRequested(); }

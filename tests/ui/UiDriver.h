#pragma once
// Runs the real frame on a host without a renderer (UiDriver.cpp) and clicks
// through the UI library's mouse input, finding items through the item observer.

#include <imgui.h>

#include "app/Platform.h"
#include "host/Startup.h"
#include "settings/Settings.h"
#include "tests/support/TestEnv.h"
#include "ui/Frame.h"
#include "ui/PreviewPanel.h"
#include "ui/UiHost.h"
#include "ui/UiState.h"
#include "ui/Widgets.h"

// What a click looks for: an item of a kind with a key ("##key" part of its
// label) or, when the key is empty, with a shown label.
struct ItemQuery {
    std::string kind, key, label;
};
inline ItemQuery ByKey(std::string kind, std::string key) { return {std::move(kind), std::move(key), ""}; }
inline ItemQuery ByLabel(std::string kind, std::string label) { return {std::move(kind), "", std::move(label)}; }

// The host's side: the display it reports from the next start (size, DPI
// scale), where each frame's items go, and whether the program asked to quit.
void SetHostDisplay(float width, float height, float scale);
void CollectItemsInto(std::vector<DrawnItem>* items);
bool HostQuitRequested();
// What a user would see as broken in one frame: an item reaching past the
// visible right edge of its window or popup, a button or tab narrower than
// its label, and items of one window on top of each other.
std::vector<std::string> LayoutFaults(const std::vector<DrawnItem>& items);

// A temporary program with the catalogue, the fonts and a fresh settings
// record and UI state; the UI context lives as long as the driver. Every
// layout fault of a frame it draws fails the running test.
struct UiDriver {
    TempDir root;
    std::vector<DrawnItem> items;  // of the last frame

    // catalogue: the text of Data/Localization.xml beside the program; empty
    // for the project's own catalogue.
    explicit UiDriver(const std::string& catalogue = std::string()) {
        UseTempAppPaths(root);
        const fs::path data = root.path / "program" / "Data";
        fs::create_directories(data);
        fs::create_directory_symlink(fs::path(VANTREL_BINARY_DIR) / "Data" / "Fonts", data / "Fonts");
        WriteText(data / "Localization.xml", catalogue.empty()
                                                 ? ReadText(fs::path(VANTREL_SOURCE_DIR) / "Data" / "Localization.xml")
                                                 : catalogue);
        Settings::Instance() = Settings();
        UiState() = UiStateRecord();
        SetHostDisplay(1632, 918, 1.0f);  // the window on a 1920 x 1080 screen
        ResetPreviewPanel();
        CollectItemsInto(&items);
    }
    ~UiDriver() {
        CollectItemsInto(nullptr);
        ResetPreviewPanel();  // no preview thread left running at exit
        if (ImGui::GetCurrentContext()) UiHostShutdown();
    }
    UiDriver(const UiDriver&) = delete;
    UiDriver& operator=(const UiDriver&) = delete;

    // Host initialisation and the settings start, as the entry routine does.
    void Start() {
        UiHostInitialise();
        StartUpLoadSettings();
    }
    // Start with a settings file already there (no first-run notice), and two frames.
    void StartAsReturningUser() {
        Settings::Instance().SaveSettingsFile();
        Start();
        Frame(2);
    }
    void Frame(int count = 1) {
        for (int i = 0; i < count; ++i) {
            items.clear();
            RenderUiFrame();
            const std::vector<std::string> faults = LayoutFaults(items);
            for (size_t f = 0; f < faults.size() && f < 5; ++f) ADD_FAILURE() << faults[f];
        }
    }
    // Draws frames, as the main loop does while work goes on beside it,
    // until done() holds; false after 30 seconds.
    bool FramesUntil(const std::function<bool()>& done) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        for (Frame(); !done(); Frame()) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return true;
    }
    const DrawnItem* Find(const ItemQuery& query) const {
        for (const DrawnItem& item : items) {
            if (item.kind == query.kind && (query.key.empty() ? item.label == query.label : item.key == query.key))
                return &item;
        }
        return nullptr;
    }
    // Moves the mouse onto the item, a little off its left edge where a check
    // box has its box, presses and releases; false when the item was not drawn.
    bool Click(const ItemQuery& query) {
        Frame(2);  // windows that size themselves settle in their first frames
        const DrawnItem* item = Find(query);
        if (!item) return false;
        ImGuiIO& io = ImGui::GetIO();
        io.MousePos =
            ImVec2(item->min.x + std::min(8.0f, (item->max.x - item->min.x) / 2), (item->min.y + item->max.y) / 2);
        Frame();  // hovering is found from the windows of the frame before
        io.MouseDown[0] = true;
        Frame();
        io.MouseDown[0] = false;
        Frame();
        return true;
    }
    // Presses and releases a key of the library's key map (ImGuiKey_...).
    void PressKey(int imguiKey) {
        ImGuiIO& io = ImGui::GetIO();
        io.KeysDown[io.KeyMap[imguiKey]] = true;
        Frame();
        io.KeysDown[io.KeyMap[imguiKey]] = false;
        Frame();
    }
    // Items drawn inside the named window (a popup's name, for instance) and its child regions.
    std::vector<DrawnItem> In(const std::string& window) const {
        std::vector<DrawnItem> found;
        std::copy_if(items.begin(), items.end(), std::back_inserter(found),
                     [&](const DrawnItem& i) { return i.window.rfind(window, 0) == 0; });
        return found;
    }
    // A text item with this label, in the named window when one is given.
    bool ShowsText(const std::string& text, const std::string& window = "") const {
        const std::vector<DrawnItem> in = In(window);
        return std::any_of(in.begin(), in.end(),
                           [&](const DrawnItem& i) { return i.kind == "text" && i.label == text; });
    }
};

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
#include "ui/UiSetup.h"
#include "ui/UiState.h"
#include "ui/Widgets.h"
#include "ui/WindowClose.h"

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
// Where the host puts the keys of the shortcuts in the library's key array.
constexpr int kShortcutKeys = 300;
void CollectItemsInto(std::vector<DrawnItem>* items);
bool HostQuitRequested();
// The window's close button, as a host handles it: the window closes (the
// quit request) when WindowMayClose says it may.
void HostCloseWindow();
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
        TellOfSettingsLoad(StartUpLoadSettings());
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
    // The first item shown (not in a window being measured) that answers the query.
    const DrawnItem* Find(const ItemQuery& query) const {
        for (const DrawnItem& item : items) {
            if (item.windowHidden) continue;
            if (item.kind == query.kind && (query.key.empty() ? item.label == query.label : item.key == query.key))
                return &item;
        }
        return nullptr;
    }
    // Moves the mouse onto the item, a little off its left edge where a check
    // box has its box, presses and releases; false when the item was not drawn.
    bool Click(const ItemQuery& query) {
        return Press(query, [](const DrawnItem& i) { return i.min.x + std::min(8.0f, (i.max.x - i.min.x) / 2); });
    }
    // The same at a share of the item's width (0 its left edge), with a
    // button (1 the right one), twice for a double-click.
    bool ClickAt(const ItemQuery& query, float across, int button = 0, int clicks = 1) {
        return Press(
            query, [&](const DrawnItem& i) { return i.min.x + (i.max.x - i.min.x) * across; }, button, clicks);
    }
    bool Press(const ItemQuery& query, const std::function<float(const DrawnItem&)>& x, int button = 0,
               int clicks = 1) {
        // A popup asked for opens in the next frame and is measured, unseen, in the one after.
        Frame(2);
        for (int i = 0; i < 2 && !Find(query); ++i) Frame();
        const DrawnItem* item = Find(query);
        if (!item) return false;
        ImGuiIO& io = ImGui::GetIO();
        io.MousePos = ImVec2(x(*item), (item->min.y + item->max.y) / 2);
        Frame();  // hovering is found from the windows of the frame before
        for (int i = 0; i < clicks; ++i) {
            io.MouseDown[button] = true;
            Frame();
            io.MouseDown[button] = false;
            Frame();
        }
        return true;
    }
    // Presses and releases a key of the library's key map (ImGuiKey_...),
    // with Ctrl or Shift held if asked.
    void PressKey(int imguiKey, bool ctrl = false, bool shift = false) {
        PressIndex(ImGui::GetIO().KeyMap[imguiKey], ctrl, shift);
    }
    void PressShortcut(ShortcutKey key, bool ctrl) { PressIndex(UiHostShortcutKey(key), ctrl, false); }
    void PressIndex(int index, bool ctrl, bool shift) {
        ImGuiIO& io = ImGui::GetIO();
        io.KeyCtrl = ctrl;
        io.KeyShift = shift;
        io.KeysDown[index] = true;
        Frame();
        io.KeysDown[index] = false;
        io.KeyCtrl = io.KeyShift = false;
        Frame();
    }
    // Types text into the field that has the keyboard.
    void Type(const std::string& text) {
        for (char c : text) ImGui::GetIO().AddInputCharacter(static_cast<unsigned char>(c));
        Frame();
    }
    // Rests the pointer on the item for the given time (the frames are a
    // sixtieth of a second each); false when the item was not drawn.
    bool Hover(const ItemQuery& query, float seconds) {
        Frame(2);
        const DrawnItem* item = Find(query);
        if (!item) return false;
        ImGui::GetIO().MousePos = ImVec2((item->min.x + item->max.x) / 2, (item->min.y + item->max.y) / 2);
        Frame(static_cast<int>(seconds * 60.0f) + 2);
        return true;
    }
    // Items drawn inside the named window (a popup's name, or its identity
    // after "###") and its child regions.
    std::vector<DrawnItem> In(const std::string& window) const {
        std::vector<DrawnItem> found;
        std::copy_if(items.begin(), items.end(), std::back_inserter(found), [&](const DrawnItem& i) {
            return i.window.rfind(window, 0) == 0 || i.window.find("###" + window) != std::string::npos;
        });
        return found;
    }
    // A text item with this label, in the named window when one is given.
    bool ShowsText(const std::string& text, const std::string& window = "") const {
        const std::vector<DrawnItem> in = In(window);
        return std::any_of(in.begin(), in.end(),
                           [&](const DrawnItem& i) { return i.kind == "text" && i.label == text; });
    }
};

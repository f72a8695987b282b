#pragma once
// Runs the real frame on a host without a renderer and clicks through the
// UI library's mouse input, finding items through the item observer.

#include "tests/support/TestEnv.h"
#include "ui/Widgets.h"

// What a click looks for: an item of a kind with a key ("##key" part of its
// label) or, when the key is empty, with a shown label.
struct ItemQuery {
    std::string kind, key, label;
};
inline ItemQuery ByKey(std::string kind, std::string key) { return {std::move(kind), std::move(key), ""}; }
inline ItemQuery ByLabel(std::string kind, std::string label) { return {std::move(kind), "", std::move(label)}; }

// A temporary program with the catalogue, the fonts and a fresh settings
// record and UI state; the UI context lives as long as the driver. Every
// frame it draws is checked for what a user would see as broken: an item
// reaching past the visible right edge of its window or popup, a button or
// tab narrower than its label, and items of one window on top of each other.
// Each fault fails the running test.
struct UiDriver {
    TempDir root;
    std::vector<DrawnItem> items;  // of the last frame

    // catalogue: the text of Data/Localization.xml beside the program; empty
    // for the project's own catalogue.
    explicit UiDriver(const std::string& catalogue = std::string());
    ~UiDriver();
    UiDriver(const UiDriver&) = delete;
    UiDriver& operator=(const UiDriver&) = delete;

    // The display the host reports (window size, DPI scale); before Start.
    void Display(float width, float height, float scale = 1.0f);
    // Host initialisation and the settings start, as the entry routine does.
    void Start();
    // Start with a settings file already there (no first-run notice), and two frames.
    void StartAsReturningUser();
    void Frame(int count = 1);
    // Draws frames, as the main loop does while work goes on beside it,
    // until done() holds; false after 30 seconds.
    bool FramesUntil(const std::function<bool()>& done);
    const DrawnItem* Find(const ItemQuery& query) const;
    // Moves the mouse onto the item, presses and releases; false when the
    // item was not drawn in the last frame.
    bool Click(const ItemQuery& query);
    // Presses and releases a key of the library's key map (ImGuiKey_...).
    void PressKey(int imguiKey);
    // A text item with this label, in the named window (and its child
    // regions) when one is given.
    bool ShowsText(const std::string& text, const std::string& window = "") const;
    // Items drawn inside the named window (a popup's name, for instance) and its child regions.
    std::vector<DrawnItem> In(const std::string& window) const;
    bool QuitRequested() const;
};

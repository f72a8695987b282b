#include "tests/ui/UiDriver.h"

#include "ui/UiSetup.h"

// The UI host for the tests: a context, fonts and a display size, but no
// window and no renderer; the draw data of each frame is simply dropped.
namespace {
bool g_quit = false;
ImVec2 g_displaySize;
float g_scale = 1.0f;
std::vector<DrawnItem>* g_sink = nullptr;
}  // namespace

bool UiHostCreateDisplay() { return true; }

bool UiHostInitialise() {
    g_quit = false;
    CreateUiContext();
    ImGuiIO& io = ImGui::GetIO();
    io.DisplaySize = g_displaySize;
    io.DeltaTime = 1.0f / 60.0f;
    for (int key = 0; key < ImGuiKey_COUNT; ++key) io.KeyMap[key] = key + 1;  // keyboard navigation needs them all
    SetUiScale(g_scale);
    LoadUiResources();
    UiState().logoTexture = reinterpret_cast<ImTextureID>(static_cast<intptr_t>(2));
    return true;
}

// Texture ids are counted; only their sizes are kept.
bool UiHostUploadTexture(UiTexture& texture, const unsigned char* rgba, int width, int height) {
    static intptr_t next = 100;
    if (!rgba || width <= 0 || height <= 0) {
        texture = UiTexture();
        return false;
    }
    if (!texture.id) texture.id = reinterpret_cast<void*>(next++);
    texture.width = width;
    texture.height = height;
    return true;
}
void UiHostReleaseTexture(UiTexture& texture) { texture = UiTexture(); }

PumpResult UiHostPumpMessage() { return g_quit ? PumpResult::Quit : PumpResult::Idle; }
RedrawNeed UiHostTakeRedrawNeed() { return RedrawNeed(); }
void UiHostWaitForMessage(unsigned) {}
bool UiHostHasFocus() { return true; }

void UiHostBeginFrame() {
    if (UiLookOutdated()) {  // what a renderer does with the atlas: take its pixels and give it an id
        RebuildUiLook();
        unsigned char* pixels = nullptr;
        int width = 0, height = 0;
        ImGui::GetIO().Fonts->GetTexDataAsRGBA32(&pixels, &width, &height);
        ImGui::GetIO().Fonts->SetTexID(reinterpret_cast<ImTextureID>(static_cast<intptr_t>(1)));
    }
    ImGui::NewFrame();
}

void UiHostEndFrameAndPresent() { ImGui::Render(); }
void UiHostRequestQuit() { g_quit = true; }
// Past the library's own keys in the key map.
int UiHostShortcutKey(ShortcutKey key) { return kShortcutKeys + static_cast<int>(key); }
void UiHostShutdown() { ImGui::DestroyContext(); }

void SetHostDisplay(float width, float height, float scale) {
    g_displaySize = ImVec2(width, height);
    g_scale = scale;
}

void CollectItemsInto(std::vector<DrawnItem>* items) {
    g_sink = items;
    SetItemObserver(items ? [](const DrawnItem& item) { g_sink->push_back(item); } : ItemObserver(nullptr));
}

bool HostQuitRequested() { return g_quit; }

void HostCloseWindow() {
    if (WindowMayClose()) g_quit = true;
}

namespace {
std::string Describe(const DrawnItem& item) {
    return item.kind + " '" + item.label + "' in " + item.window + " at x " + std::to_string(item.min.x) + "-" +
           std::to_string(item.max.x) + ", y " + std::to_string(item.min.y) + "-" + std::to_string(item.max.y);
}

bool Shown(const DrawnItem& item) {
    return !item.windowHidden && item.max.x - item.min.x > 0.5f && item.max.y - item.min.y > 0.5f;
}
}  // namespace

// A pixel of tolerance for the library's own rounding of frames against clip rectangles.
std::vector<std::string> LayoutFaults(const std::vector<DrawnItem>& items) {
    std::vector<std::string> faults;
    const float padding = ImGui::GetStyle().FramePadding.x;
    for (size_t i = 0; i < items.size(); ++i) {
        const DrawnItem& item = items[i];
        if (!Shown(item)) continue;
        if (item.max.x > item.visibleRight + 1.0f) {
            faults.push_back(Describe(item) + " reaches past the visible edge " + std::to_string(item.visibleRight));
        }
        if ((item.kind == "button" || item.kind == "tab") &&
            item.labelWidth + 2 * padding > item.max.x - item.min.x + 1.0f) {
            faults.push_back(Describe(item) + " is narrower than its label (" + std::to_string(item.labelWidth) + ")");
        }
        // A menu without a text takes the rest of the bar; it shows nothing to overlap.
        auto blank = [](const DrawnItem& d) { return d.label.empty() && d.kind != "logo"; };
        if (blank(item)) continue;
        for (size_t j = i + 1; j < items.size(); ++j) {
            const DrawnItem& other = items[j];
            if (!Shown(other) || other.window != item.window || blank(other)) continue;
            const float w = std::min(item.max.x, other.max.x) - std::max(item.min.x, other.min.x);
            const float h = std::min(item.max.y, other.max.y) - std::max(item.min.y, other.min.y);
            if (w > 1.0f && h > 1.0f) faults.push_back(Describe(item) + " overlaps " + Describe(other));
        }
    }
    return faults;
}

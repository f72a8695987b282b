#include "tests/ui/UiDriver.h"

#include <imgui.h>

#include "app/Platform.h"
#include "app/Startup.h"
#include "settings/Settings.h"
#include "ui/Frame.h"
#include "ui/PreviewPanel.h"
#include "ui/UiSetup.h"
#include "ui/UiState.h"

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
void UiHostShutdown() { ImGui::DestroyContext(); }

namespace {
void Collect(const DrawnItem& item) {
    if (g_sink) g_sink->push_back(item);
}

std::string Describe(const DrawnItem& item) {
    return item.kind + " '" + item.label + "' in " + item.window + " at x " + std::to_string(item.min.x) + "-" +
           std::to_string(item.max.x) + ", y " + std::to_string(item.min.y) + "-" + std::to_string(item.max.y);
}

bool Shown(const DrawnItem& item) {
    return !item.windowHidden && item.max.x - item.min.x > 0.5f && item.max.y - item.min.y > 0.5f;
}

// What a user would see as broken in one frame; a pixel of tolerance for
// the library's own rounding of frames against clip rectangles.
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
}  // namespace

UiDriver::UiDriver(const std::string& catalogue) {
    UseTempAppPaths(root);
    const fs::path data = root.path / "program" / "Data";
    fs::create_directories(data);
    fs::create_directory_symlink(fs::path(VANTREL_BINARY_DIR) / "Data" / "Fonts", data / "Fonts");
    WriteText(data / "Localization.xml",
              catalogue.empty() ? ReadText(fs::path(VANTREL_SOURCE_DIR) / "Data" / "Localization.xml") : catalogue);
    Settings::Instance() = Settings();
    UiState() = UiStateRecord();
    Display(1632, 918);  // the window on a 1920 x 1080 screen
    ResetPreviewPanel();
    g_sink = &items;
    SetItemObserver(Collect);
}

UiDriver::~UiDriver() {
    SetItemObserver(nullptr);
    g_sink = nullptr;
    if (ImGui::GetCurrentContext()) UiHostShutdown();
}

void UiDriver::Display(float width, float height, float scale) {
    g_displaySize = ImVec2(width, height);
    g_scale = scale;
}

void UiDriver::Start() {
    UiHostCreateDisplay();
    UiHostInitialise();
    StartUpLoadSettings();
}

void UiDriver::StartAsReturningUser() {
    Settings::Instance().Save(u"");
    Start();
    Frame(2);
}

void UiDriver::Frame(int count) {
    for (int i = 0; i < count; ++i) {
        items.clear();
        RenderUiFrame();
        const std::vector<std::string> faults = LayoutFaults(items);
        for (size_t f = 0; f < faults.size() && f < 5; ++f) ADD_FAILURE() << faults[f];
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
    io.MousePos =
        ImVec2(item->min.x + std::min(8.0f, (item->max.x - item->min.x) / 2), (item->min.y + item->max.y) / 2);
    Frame();  // hovering is found from the windows of the frame before
    io.MouseDown[0] = true;
    Frame();
    io.MouseDown[0] = false;
    Frame();
    return true;
}

void UiDriver::PressKey(int imguiKey) {
    ImGuiIO& io = ImGui::GetIO();
    const int index = io.KeyMap[imguiKey];
    io.KeysDown[index] = true;
    Frame();
    io.KeysDown[index] = false;
    Frame();
}

bool UiDriver::FramesUntil(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    for (Frame(); !done(); Frame()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

bool UiDriver::ShowsText(const std::string& text, const std::string& window) const {
    return std::any_of(items.begin(), items.end(), [&](const DrawnItem& i) {
        return i.kind == "text" && i.label == text && i.window.rfind(window, 0) == 0;
    });
}

std::vector<DrawnItem> UiDriver::In(const std::string& window) const {
    std::vector<DrawnItem> found;
    for (const DrawnItem& item : items) {
        if (item.window.rfind(window, 0) == 0) found.push_back(item);  // child regions too
    }
    return found;
}

bool UiDriver::QuitRequested() const { return g_quit; }

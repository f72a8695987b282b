// The UI host for the tests: a context, fonts and a display size, but no
// window and no renderer; the draw data of each frame is simply dropped.
#include <imgui.h>

#include "app/Platform.h"
#include "ui/UiSetup.h"
#include "ui/UiState.h"

namespace {
bool g_quit = false;
ImVec2 g_displaySize(1632, 918);
float g_scale = 1.0f;

// What a renderer does with the atlas: take its pixels and give it an id.
void UploadFonts() {
    unsigned char* pixels = nullptr;
    int width = 0, height = 0;
    ImGui::GetIO().Fonts->GetTexDataAsRGBA32(&pixels, &width, &height);
    ImGui::GetIO().Fonts->SetTexID(reinterpret_cast<ImTextureID>(static_cast<intptr_t>(1)));
}
}  // namespace

bool NullUiHostQuitRequested() { return g_quit; }

void NullUiHostConfigure(ImVec2 displaySize, float scale) {
    g_displaySize = displaySize;
    g_scale = scale;
}

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
    if (UiLookOutdated()) {
        RebuildUiLook();
        UploadFonts();
    }
    ImGui::NewFrame();
}

void UiHostEndFrameAndPresent() { ImGui::Render(); }
void UiHostRequestQuit() { g_quit = true; }
void UiHostShutdown() { ImGui::DestroyContext(); }

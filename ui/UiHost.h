#pragma once
// What a UI host (host/linux: SDL2 and OpenGL 3; host/win32: Win32 and
// Direct3D 9; the tests' host without a renderer) provides: the display
// window, its messages and frames, and textures for pictures. The interface
// calls the frame and texture functions; the entry routine the rest.
bool UiHostCreateDisplay();
// UI context (no ini file), backends, base style, fonts, logo, localization,
// and the first-run notice request.
bool UiHostInitialise();
enum class PumpResult { Idle, Handled, Quit };
// Takes at most one pending window message/event and handles it.
PumpResult UiHostPumpMessage();
// What the messages handled since the last call ask of the window: input or
// a change of focus (draw while focused), or the window exposed, resized or
// moved to another DPI (draw once, even in the background).
struct RedrawNeed {
    bool input = false;
    bool exposed = false;
};
RedrawNeed UiHostTakeRedrawNeed();
// Sleeps until a message arrives or the time has passed.
void UiHostWaitForMessage(unsigned milliseconds);
bool UiHostHasFocus();
void UiHostBeginFrame();
void UiHostEndFrameAndPresent();
// A picture in the UI host's renderer: `id` is what the UI library draws
// (its ImTextureID), null when there is none.
struct UiTexture {
    void* id = nullptr;
    int width = 0;
    int height = 0;
};
// Fills the texture with 8-bit RGBA pixels, rows top first, creating it or
// replacing it when the size changed; false, with the texture released, when
// the renderer cannot hold it.
bool UiHostUploadTexture(UiTexture& texture, const unsigned char* rgba, int width, int height);
void UiHostReleaseTexture(UiTexture& texture);
// The keys of the program's shortcuts (Ctrl+I, Ctrl+L, F1): the UI
// library's index of each in ImGuiIO::KeysDown, where the keyboard layout in
// use puts it; -1 when the keyboard has none.
enum class ShortcutKey { I, L, F1 };
int UiHostShortcutKey(ShortcutKey key);
// Ends the main loop. The window asks WindowMayClose (ui/WindowClose.h)
// before it closes by itself; this is called once that has been answered.
void UiHostRequestQuit();
void UiHostShutdown();

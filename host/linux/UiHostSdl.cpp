// The display window and UI host on Linux: an SDL2 window with an OpenGL 3
// context, drawn by the ImGui SDL2 and OpenGL3 backends.
#include <SDL.h>
#include <SDL_opengl.h>

#include "imgui.h"
#include "imgui_impl_opengl3.h"
#include "imgui_impl_sdl.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

#include "app/AppPaths.h"
#include "app/FileIo.h"
#include "app/ImageDecode.h"
#include "app/Platform.h"
#include "app/Text.h"
#include "ui/UiSetup.h"
#include "ui/UiHost.h"
#include "ui/UiState.h"
#include "ui/WindowClose.h"

namespace {
struct DisplayWindow {
    SDL_Window* window = nullptr;
    SDL_GLContext context = nullptr;
    UiTexture logo;
    bool fontsUploaded = false;  // the renderer has made its font texture once
    RedrawNeed need;
    // A key pressed and released between two frames would never be seen
    // pressed by the UI library of this version: its release waits for the
    // next frame. The keys that went down since the last frame, and the
    // release held back.
    std::vector<SDL_Scancode> keysDown;
    std::optional<SDL_Event> heldRelease;
};

DisplayWindow& Display() {
    static DisplayWindow* display = new DisplayWindow();
    return *display;
}

// The logo as a texture; empty when the file cannot be read.
UiTexture LoadLogoTexture() {
    UiTexture texture;
    std::string bytes;
    if (!ReadFileBytes(Utf8ToWide(DataFilePath("Data/Textures/Logo.png")), bytes)) return texture;
    const DecodedImage image = DecodeImageRgba(bytes);
    if (!image.pixels.empty())
        UiHostUploadTexture(texture, image.pixels.data(), static_cast<int>(image.width), static_cast<int>(image.height));
    return texture;
}

// The interface scale from the display's DPI, and how many drawable pixels a
// window unit holds (above 1 where the system scales windows itself).
void UpdateUiScale() {
    SDL_Window* window = Display().window;
    float dpi = 0.0f;
    const int index = SDL_GetWindowDisplayIndex(window);
    if (index < 0 || SDL_GetDisplayDPI(index, nullptr, &dpi, nullptr) != 0) dpi = 0.0f;
    int width = 0, height = 0, drawableWidth = 0, drawableHeight = 0;
    SDL_GetWindowSize(window, &width, &height);
    SDL_GL_GetDrawableSize(window, &drawableWidth, &drawableHeight);
    const float density = width > 0 ? static_cast<float>(drawableWidth) / static_cast<float>(width) : 1.0f;
    // Where the system scales the window, its units already are at that DPI.
    SetUiScale(density > 1.0f ? 1.0f : UiScaleForDpi(dpi), density);
}

bool IsInput(Uint32 type) {
    switch (type) {
        case SDL_MOUSEMOTION:
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
        case SDL_MOUSEWHEEL:
        case SDL_KEYDOWN:
        case SDL_KEYUP:
        case SDL_TEXTINPUT:
        case SDL_TEXTEDITING:
            return true;
        default:
            return false;
    }
}

void NoteEvent(const SDL_Event& event) {
    DisplayWindow& display = Display();
    if (IsInput(event.type)) display.need.input = true;
    if (event.type != SDL_WINDOWEVENT) return;
    switch (event.window.event) {
        case SDL_WINDOWEVENT_SIZE_CHANGED:
        case SDL_WINDOWEVENT_DISPLAY_CHANGED:
            UpdateUiScale();
            display.need.exposed = true;
            break;
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_MAXIMIZED:
            display.need.exposed = true;
            break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
        case SDL_WINDOWEVENT_FOCUS_LOST:
        case SDL_WINDOWEVENT_ENTER:
        case SDL_WINDOWEVENT_LEAVE:
        case SDL_WINDOWEVENT_CLOSE:  // the question it may open must be drawn
            display.need.input = true;
            break;
        default:
            break;
    }
}
}  // namespace

bool UiHostCreateDisplay() {
    // Closing the window asks first (WindowClose.h): SDL must not end the
    // program by itself when its last window is asked to close.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
    // Without a display SDL settles for drivers that show nothing: the program
    // would run unseen and could never be closed.
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver || std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_FLAGS, 0);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 2);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);

    SDL_DisplayMode mode;
    if (SDL_GetCurrentDisplayMode(0, &mode) != 0) return false;
    const int width = static_cast<int>(static_cast<float>(mode.w) * 0.85f);
    const int height = static_cast<int>(static_cast<float>(mode.h) * 0.85f);
    const std::string title = "Vantrel (version " + WideToUtf8(APP_VERSION) + ")";
    DisplayWindow& display = Display();
    display.window = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height,
                                      SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI);
    if (!display.window) return false;
    display.context = SDL_GL_CreateContext(display.window);
    if (!display.context) return false;
    SDL_GL_MakeCurrent(display.window, display.context);
    SDL_GL_SetSwapInterval(1);  // one vertical blank per present
    return true;
}

bool UiHostInitialise() {
    DisplayWindow& display = Display();
    CreateUiContext();
    ImGui_ImplSDL2_InitForOpenGL(display.window, display.context);
    ImGui_ImplOpenGL3_Init("#version 150");
    UpdateUiScale();
    LoadUiResources();
    display.logo = LoadLogoTexture();
    UiState().logoTexture = display.logo.id;
    return true;
}

PumpResult UiHostPumpMessage() {
    DisplayWindow& display = Display();
    SDL_Event event;
    if (display.heldRelease && display.keysDown.empty()) {
        event = *display.heldRelease;
        display.heldRelease.reset();
    } else if (display.heldRelease || !SDL_PollEvent(&event)) {
        return PumpResult::Idle;
    }
    if (event.type == SDL_KEYUP && std::count(display.keysDown.begin(), display.keysDown.end(),
                                              event.key.keysym.scancode)) {
        display.heldRelease = event;
        return PumpResult::Idle;
    }
    if (event.type == SDL_KEYDOWN) display.keysDown.push_back(event.key.keysym.scancode);
    ImGui_ImplSDL2_ProcessEvent(&event);
    NoteEvent(event);
    // SDL_QUIT comes from UiHostRequestQuit, or from a signal (the session
    // ending, Ctrl+C in a terminal), where nobody is there to answer.
    if (event.type == SDL_QUIT) return PumpResult::Quit;
    if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE &&
        event.window.windowID == SDL_GetWindowID(Display().window)) {
        return WindowMayClose() ? PumpResult::Quit : PumpResult::Handled;
    }
    return PumpResult::Handled;
}

// Asked once the messages are taken, before a frame: a release held back is
// handed on after it.
RedrawNeed UiHostTakeRedrawNeed() {
    DisplayWindow& display = Display();
    const RedrawNeed need = display.need;
    display.need = RedrawNeed();
    display.keysDown.clear();
    return need;
}

void UiHostWaitForMessage(unsigned milliseconds) { SDL_WaitEventTimeout(nullptr, static_cast<int>(milliseconds)); }

bool UiHostHasFocus() { return (SDL_GetWindowFlags(Display().window) & SDL_WINDOW_INPUT_FOCUS) != 0; }

void UiHostBeginFrame() {
    DisplayWindow& display = Display();
    if (UiLookOutdated()) {
        // Before the first frame the renderer makes the texture itself.
        if (display.fontsUploaded) ImGui_ImplOpenGL3_DestroyFontsTexture();
        RebuildUiLook();
        if (display.fontsUploaded) ImGui_ImplOpenGL3_CreateFontsTexture();
    }
    ImGui_ImplOpenGL3_NewFrame();
    display.fontsUploaded = true;
    ImGui_ImplSDL2_NewFrame();
    ImGui::NewFrame();
}

void UiHostEndFrameAndPresent() {
    ImGui::Render();
    const ImGuiIO& io = ImGui::GetIO();
    glViewport(0, 0, static_cast<int>(io.DisplaySize.x * io.DisplayFramebufferScale.x),
               static_cast<int>(io.DisplaySize.y * io.DisplayFramebufferScale.y));
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_SCISSOR_TEST);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    ImGui_ImplOpenGL3_RenderDrawData(ImGui::GetDrawData());
    SDL_GL_SwapWindow(Display().window);
}

bool UiHostUploadTexture(UiTexture& texture, const unsigned char* rgba, int width, int height) {
    if (!rgba || width <= 0 || height <= 0) {
        UiHostReleaseTexture(texture);
        return false;
    }
    GLuint name = static_cast<GLuint>(reinterpret_cast<intptr_t>(texture.id));
    const bool fresh = name == 0;
    if (fresh) glGenTextures(1, &name);
    if (name == 0) return false;
    // Earlier errors are not ours; a lost context keeps reporting, so the clearing is bounded.
    for (int n = 0; n < 16 && glGetError() != GL_NO_ERROR; ++n) {}
    glBindTexture(GL_TEXTURE_2D, name);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    if (fresh || texture.width != width || texture.height != height) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    } else {
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    }
    texture = {reinterpret_cast<void*>(static_cast<intptr_t>(name)), width, height};
    if (glGetError() != GL_NO_ERROR) {
        UiHostReleaseTexture(texture);
        return false;
    }
    return true;
}

void UiHostReleaseTexture(UiTexture& texture) {
    const GLuint name = static_cast<GLuint>(reinterpret_cast<intptr_t>(texture.id));
    if (name != 0) glDeleteTextures(1, &name);
    texture = UiTexture();
}

// The library's key index is the key's scan code; a letter is looked up
// through the keyboard layout in use.
int UiHostShortcutKey(ShortcutKey key) {
    switch (key) {
        case ShortcutKey::I: return SDL_GetScancodeFromKey(SDLK_i);
        case ShortcutKey::L: return SDL_GetScancodeFromKey(SDLK_l);
        case ShortcutKey::F1: return SDL_SCANCODE_F1;
    }
    return -1;
}

void UiHostRequestQuit() {
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
}

void UiHostShutdown() {
    ImGui_ImplOpenGL3_Shutdown();
    ImGui_ImplSDL2_Shutdown();
    ImGui::DestroyContext();
}

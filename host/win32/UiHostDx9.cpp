// The display window and UI host on Windows: a Win32 window, a Direct3D 9
// device, and Dear ImGui with its Win32 and DX9 backends.
#include <windows.h>

#include <d3d9.h>

#include <algorithm>
#include <vector>

#include <imgui.h>
#include <imgui_impl_dx9.h>
#include <imgui_impl_win32.h>

#include "app/AppPaths.h"
#include "app/Platform.h"
#include "app/Text.h"
#include "host/win32/LogoTexture.h"
#include "ui/UiSetup.h"
#include "ui/UiHost.h"
#include "ui/UiState.h"
#include "ui/WindowClose.h"

extern IMGUI_IMPL_API LRESULT ImGui_ImplWin32_WndProcHandler(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);

namespace {

const wchar_t* const kWindowClass = L"Vantrel";

struct DisplayWindowRecord {
    IDirect3DDevice9* device = nullptr;
    D3DPRESENT_PARAMETERS presentation{};
    HWND window = nullptr;
    RedrawNeed need;
    // A key pressed and released between two frames would never be seen
    // pressed by the UI library of this version: its release waits for the
    // next frame. The keys that went down since the last frame, and the
    // release held back.
    std::vector<WPARAM> keysDown;
    bool releaseHeld = false;
    MSG heldRelease{};
};

DisplayWindowRecord& DisplayWindow() {
    static DisplayWindowRecord record;
    return record;
}

// The renderer's device objects are dropped around every reset; the logo is
// in the managed pool and survives it.
void ResetDevice() {
    DisplayWindowRecord& display = DisplayWindow();
    ImGui_ImplDX9_InvalidateDeviceObjects();
    display.device->Reset(&display.presentation);
    ImGui_ImplDX9_CreateDeviceObjects();
}

bool IsInput(UINT message) {
    // A close request may open a question, which must be drawn.
    return (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) || (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
           message == WM_SETFOCUS || message == WM_KILLFOCUS || message == WM_MOUSELEAVE || message == WM_CLOSE;
}

LRESULT WINAPI WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DisplayWindowRecord& display = DisplayWindow();
    if (IsInput(message)) display.need.input = true;
    // Uncovered parts of the window show old pixels until it is drawn again.
    if (message == WM_PAINT) display.need.exposed = true;
    if (ImGui_ImplWin32_WndProcHandler(window, message, wParam, lParam)) return 1;
    switch (message) {
        case WM_CLOSE:
            // The close button, Alt+F4 and the window menu: the window may
            // ask first what happens to edits not yet installed.
            if (!WindowMayClose()) return 0;
            break;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        case WM_SIZE:
            if (display.device && wParam != SIZE_MINIMIZED) {
                display.presentation.BackBufferWidth = LOWORD(lParam);
                display.presentation.BackBufferHeight = HIWORD(lParam);
                // A failed reset is caught by the lost-device test after the next present.
                ResetDevice();
                display.need.exposed = true;
            }
            return 0;
        case WM_DPICHANGED: {
            // Moved to a screen of another DPI, or its scaling was changed:
            // take the size Windows proposes, and the new scale.
            SetUiScale(UiScaleForDpi(static_cast<float>(HIWORD(wParam))));
            const RECT* proposed = reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(window, nullptr, proposed->left, proposed->top, proposed->right - proposed->left,
                         proposed->bottom - proposed->top, SWP_NOZORDER | SWP_NOACTIVATE);
            display.need.exposed = true;
            return 0;
        }
        case WM_SYSCOMMAND:
            // Alt alone must not open the window menu.
            if ((wParam & 0xfff0) == SC_KEYMENU) return 0;
            break;
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void SetWindowIcons(HWND window) {
    // Looked up in the current folder; without the file the window has no icon.
    HANDLE small = LoadImageW(nullptr, L"Vantrel.ico", IMAGE_ICON, 16, 16, LR_LOADFROMFILE);
    HANDLE big = LoadImageW(nullptr, L"Vantrel.ico", IMAGE_ICON, 32, 32, LR_LOADFROMFILE);
    // Started from elsewhere (a shortcut), the program's own icon resource stands in.
    HINSTANCE module = GetModuleHandleW(nullptr);
    if (!small) small = LoadImageW(module, MAKEINTRESOURCEW(1), IMAGE_ICON, 16, 16, 0);
    if (!big) big = LoadImageW(module, MAKEINTRESOURCEW(1), IMAGE_ICON, 32, 32, 0);
    if (small) SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
    if (big) SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
}

void CentreWindow(HWND window, int screenWidth, int screenHeight) {
    RECT rectangle{};
    GetWindowRect(window, &rectangle);
    const int x = (screenWidth - rectangle.right) / 2;
    const int y = (screenHeight - rectangle.bottom) / 2;
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

}  // namespace

bool UiHostCreateDisplay() {
    DisplayWindowRecord& display = DisplayWindow();
    HINSTANCE module = GetModuleHandleW(nullptr);

    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_CLASSDC;
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = module;
    windowClass.lpszClassName = kWindowClass;
    RegisterClassExW(&windowClass);

    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    const int width = static_cast<int>(static_cast<float>(screenWidth) * 0.85f);
    const int height = static_cast<int>(static_cast<float>(screenHeight) * 0.85f);
    const std::u16string title = u"Vantrel (version " + APP_VERSION + u")";
    display.window = CreateWindowExW(0, kWindowClass, reinterpret_cast<const wchar_t*>(title.c_str()),
                                     WS_OVERLAPPEDWINDOW, 0, 0, width, height, nullptr, nullptr, module, nullptr);
    if (!display.window) {
        UnregisterClassW(kWindowClass, module);
        return false;
    }
    SetWindowIcons(display.window);
    CentreWindow(display.window, screenWidth, screenHeight);

    IDirect3D9* direct3d = Direct3DCreate9(D3D_SDK_VERSION);
    if (!direct3d) {
        DestroyWindow(display.window);
        display.window = nullptr;
        UnregisterClassW(kWindowClass, module);
        return false;
    }
    D3DPRESENT_PARAMETERS& p = display.presentation;
    p = D3DPRESENT_PARAMETERS{};
    p.BackBufferWidth = 0;
    p.BackBufferHeight = 0;
    p.BackBufferFormat = D3DFMT_UNKNOWN;
    p.BackBufferCount = 0;
    p.MultiSampleType = D3DMULTISAMPLE_NONE;
    p.SwapEffect = D3DSWAPEFFECT_DISCARD;
    p.hDeviceWindow = nullptr;
    p.Windowed = TRUE;
    p.EnableAutoDepthStencil = TRUE;
    p.AutoDepthStencilFormat = D3DFMT_D16;
    p.Flags = 0;
    p.FullScreen_RefreshRateInHz = 0;
    p.PresentationInterval = D3DPRESENT_INTERVAL_ONE;
    if (FAILED(direct3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, display.window,
                                      D3DCREATE_HARDWARE_VERTEXPROCESSING, &p, &display.device)) ||
        !display.device) {
        display.device = nullptr;
        direct3d->Release();
        DestroyWindow(display.window);
        display.window = nullptr;
        UnregisterClassW(kWindowClass, module);
        return false;
    }
    // The device keeps its own reference to the Direct3D object.
    direct3d->Release();

    ShowWindow(display.window, SW_SHOWDEFAULT);
    UpdateWindow(display.window);
    return true;
}

bool UiHostInitialise() {
    DisplayWindowRecord& display = DisplayWindow();
    IMGUI_CHECKVERSION();
    CreateUiContext();
    ImGui_ImplWin32_Init(display.window);
    ImGui_ImplDX9_Init(display.device);
    // The manifest makes the program aware of each screen's DPI; Windows no
    // longer stretches the window, so the interface grows itself.
    SetUiScale(UiScaleForDpi(96.0f * ImGui_ImplWin32_GetDpiScaleForHwnd(display.window)));
    LoadUiResources();
    UiState().logoTexture = LoadLogoTexture(display.device, Utf8ToWide(DataFilePath("Data/Textures/Logo.png")));
    return true;
}

PumpResult UiHostPumpMessage() {
    DisplayWindowRecord& display = DisplayWindow();
    MSG message{};
    if (display.releaseHeld && display.keysDown.empty()) {
        message = display.heldRelease;
        display.releaseHeld = false;
    } else if (display.releaseHeld || !PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        return PumpResult::Idle;
    }
    const bool release = message.message == WM_KEYUP || message.message == WM_SYSKEYUP;
    if (release && std::count(display.keysDown.begin(), display.keysDown.end(), message.wParam)) {
        display.heldRelease = message;
        display.releaseHeld = true;
        return PumpResult::Idle;
    }
    if (message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN) display.keysDown.push_back(message.wParam);
    TranslateMessage(&message);
    DispatchMessageW(&message);
    return message.message == WM_QUIT ? PumpResult::Quit : PumpResult::Handled;
}

// Asked once the messages are taken, before a frame: a release held back is
// handed on after it.
RedrawNeed UiHostTakeRedrawNeed() {
    DisplayWindowRecord& display = DisplayWindow();
    const RedrawNeed need = display.need;
    display.need = RedrawNeed();
    display.keysDown.clear();
    return need;
}

void UiHostWaitForMessage(unsigned milliseconds) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds, QS_ALLINPUT);
}

bool UiHostHasFocus() {
    const HWND window = DisplayWindow().window;
    return window && GetFocus() == window;
}

void UiHostBeginFrame() {
    // The DX9 backend builds its device objects (and the font texture) here
    // when it has none yet; dropping them makes it upload a rebuilt atlas.
    if (UiLookOutdated()) {
        ImGui_ImplDX9_InvalidateDeviceObjects();
        RebuildUiLook();
    }
    ImGui_ImplDX9_NewFrame();
    ImGui_ImplWin32_NewFrame();
    ImGui::NewFrame();
}

void UiHostEndFrameAndPresent() {
    DisplayWindowRecord& display = DisplayWindow();
    IDirect3DDevice9* device = display.device;
    ImGui::EndFrame();
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device->SetRenderState(D3DRS_SCISSORTESTENABLE, FALSE);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, D3DCOLOR_RGBA(0, 0, 0, 255), 1.0f, 0);
    if (device->BeginScene() >= 0) {
        ImGui::Render();
        ImGui_ImplDX9_RenderDrawData(ImGui::GetDrawData());
        device->EndScene();
    }
    const HRESULT presented = device->Present(nullptr, nullptr, nullptr, nullptr);
    // A lost device is reset once it reports that it can be; until then the
    // test repeats after every frame.
    if (presented == D3DERR_DEVICELOST && device->TestCooperativeLevel() == D3DERR_DEVICENOTRESET) ResetDevice();
}

void UiHostShutdown() {
    ImGui_ImplDX9_Shutdown();
    ImGui_ImplWin32_Shutdown();
    ImGui::DestroyContext();
    DisplayWindowRecord& display = DisplayWindow();
    if (display.device) display.device->Release();
    display.device = nullptr;
    if (display.window && IsWindow(display.window)) DestroyWindow(display.window);
    display.window = nullptr;
    UnregisterClassW(kWindowClass, GetModuleHandleW(nullptr));
}

// Managed-pool textures: they survive device resets like the logo.
bool UiHostUploadTexture(UiTexture& texture, const unsigned char* rgba, int width, int height) {
    IDirect3DDevice9* device = DisplayWindow().device;
    if (!device || !rgba || width <= 0 || height <= 0) {
        UiHostReleaseTexture(texture);
        return false;
    }
    if (texture.id && (texture.width != width || texture.height != height)) UiHostReleaseTexture(texture);
    if (!texture.id) {
        IDirect3DTexture9* created = CreateRgbaTexture(device, static_cast<unsigned>(width), static_cast<unsigned>(height));
        if (!created) return false;
        texture = {created, width, height};
    }
    if (!FillRgbaTexture(static_cast<IDirect3DTexture9*>(texture.id), rgba, static_cast<unsigned>(width),
                         static_cast<unsigned>(height))) {
        UiHostReleaseTexture(texture);
        return false;
    }
    return true;
}

void UiHostReleaseTexture(UiTexture& texture) {
    if (texture.id) static_cast<IDirect3DTexture9*>(texture.id)->Release();
    texture = UiTexture();
}

// The library's key index is the virtual-key code, which follows the
// keyboard layout in use.
int UiHostShortcutKey(ShortcutKey key) {
    switch (key) {
        case ShortcutKey::I: return 'I';
        case ShortcutKey::L: return 'L';
        case ShortcutKey::F1: return VK_F1;
    }
    return -1;
}

// Closes the window as its close button does, once that was answered; the
// main loop then ends with the quit message.
void UiHostRequestQuit() {
    const HWND window = DisplayWindow().window;
    if (window) PostMessageW(window, WM_CLOSE, 0, 0);
}

// Asks a top-level window, found by its title, to close, as the window's
// close button does. Usage: close_window.exe <title>; exit 1 when not found.
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) return 2;
    for (int i = 0; i < 50; ++i) {
        if (HWND window = FindWindowW(nullptr, argv[1])) {
            return PostMessageW(window, WM_CLOSE, 0, 0) ? 0 : 1;
        }
        Sleep(100);
    }
    return 1;
}

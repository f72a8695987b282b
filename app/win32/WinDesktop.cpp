// The Windows desktop: the file manager on a folder, a file or a web page
// opened with the program the user chose for it.
#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

#include <string>

#include "app/Platform.h"
#include "app/Text.h"
#include "app/win32/WinShell.h"

bool OpenFolderInShell(const std::u16string& path) {
    ComScope com;
    PIDLIST_ABSOLUTE folder = nullptr;
    if (FAILED(SHParseDisplayName(W(path), nullptr, &folder, 0, nullptr)) || !folder) return false;
    // One empty relative item: the folder itself is opened, not its parent.
    static const USHORT kEmptyItem = 0;
    PCUITEMID_CHILD empty = reinterpret_cast<PCUITEMID_CHILD>(&kEmptyItem);
    SHOpenFolderAndSelectItems(folder, 1, &empty, 0);
    ILFree(folder);
    return true;
}

bool OpenFileInShell(const std::u16string& path) {
    ComScope com;
    const HINSTANCE result = ShellExecuteW(nullptr, L"open", W(path), nullptr, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

bool OpenWebPage(const std::string& url) {
    const std::u16string wide = Utf8ToWide(url);
    if (wide.empty()) return false;
    ComScope com;
    const HINSTANCE result = ShellExecuteW(nullptr, L"open", W(wide), nullptr, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

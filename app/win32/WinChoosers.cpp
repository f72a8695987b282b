// The Windows choosers: the folder chooser for the game folder and the
// common dialogs for presets and pictures.
#include <windows.h>

#include <commdlg.h>
#include <objbase.h>
#include <shlobj.h>

#include <string>

#include "app/Platform.h"
#include "app/Text.h"
#include "app/win32/WinShell.h"

namespace {

const wchar_t* const kFolderChooserTitle = L"Please select the directory where TS is currently installed:";

int CALLBACK FolderChooserEvents(HWND window, UINT message, LPARAM, LPARAM data) {
    if (message == BFFM_INITIALIZED && data) {
        const auto* initial = reinterpret_cast<const wchar_t*>(data);
        if (*initial) SendMessageW(window, BFFM_SETSELECTIONW, TRUE, data);
    }
    return 0;
}

const wchar_t kPresetFilter[] = L"MOX Preset File (*.xml)\0*.xml\0All Files (*.*)\0*.*\0";
const wchar_t kImageFilter[] = L"Pictures (*.png, *.jpg, *.jpeg, *.bmp)\0*.png;*.jpg;*.jpeg;*.bmp\0All Files (*.*)\0*.*\0";

// The preset and picture dialogs: one description, differing in filter,
// default extension, flags and call.
std::u16string RunFileDialog(const std::u16string& title, bool save, const wchar_t* filter, const wchar_t* extension) {
    wchar_t file[MAX_PATH] = L"";
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = nullptr;
    dialog.lpstrFilter = filter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrInitialDir = L"";
    dialog.lpstrTitle = W(title);
    // Without a period: the dialog appends the text after one of its own.
    dialog.lpstrDefExt = extension;
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR |
                   (save ? OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
    ComScope com;
    const BOOL chosen = save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
    return chosen ? U(file) : std::u16string();
}

}  // namespace

std::u16string BrowseForGameFolder(const std::string& initial) {
    const std::u16string start = Utf8ToWide(initial);
    BROWSEINFOW chooser{};
    chooser.hwndOwner = nullptr;
    chooser.lpszTitle = kFolderChooserTitle;
    chooser.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    chooser.lpfn = FolderChooserEvents;
    chooser.lParam = reinterpret_cast<LPARAM>(start.c_str());

    ComScope com;
    PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&chooser);
    if (!item) return std::u16string();
    wchar_t path[MAX_PATH] = L"";
    const BOOL converted = SHGetPathFromIDListW(item, path);
    IMalloc* allocator = nullptr;
    if (SUCCEEDED(SHGetMalloc(&allocator)) && allocator) {
        allocator->Free(item);
        allocator->Release();
    }
    return converted ? U(path) : std::u16string();
}

std::u16string OpenPresetFileDialog(const std::u16string& title) {
    return RunFileDialog(title, false, kPresetFilter, L"xml");
}

std::u16string SavePresetFileDialog(const std::u16string& title) {
    return RunFileDialog(title, true, kPresetFilter, L"xml");
}

std::u16string OpenImageFileDialog(const std::u16string& title) {
    return RunFileDialog(title, false, kImageFilter, L"png");
}

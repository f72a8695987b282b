// Where the game is found on Windows: the registry entry of its installer.
#include <windows.h>

#include <string>
#include <vector>

#include "app/Platform.h"

namespace {

// Reads a string value of an open key; value is the fallback unless the read
// succeeds. The text ends at the first null character or the data's end.
LSTATUS ReadRegistryString(HKEY key, const wchar_t* name, std::u16string& value, const std::u16string& fallback) {
    value = fallback;
    BYTE buffer[1024];
    DWORD size = sizeof buffer;
    const LSTATUS result = RegQueryValueExW(key, name, nullptr, nullptr, buffer, &size);
    if (result != ERROR_SUCCESS) return result;
    const auto* text = reinterpret_cast<const char16_t*>(buffer);
    size_t length = 0;
    while (length < size / sizeof(char16_t) && text[length] != u'\0') ++length;
    value.assign(text, length);
    return result;
}

const wchar_t* const kGameKey32 = L"SOFTWARE\\WOW6432Node\\railsimulator.com\\railworks";
const wchar_t* const kGameKeyNative = L"SOFTWARE\\railsimulator.com\\RailWorks";

}  // namespace

RegistryInstallPath QueryGameInstallPathFromRegistry() {
    RegistryInstallPath found;
    HKEY key = nullptr;
    // The native key is only a second choice when the 32-bit view key is absent.
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kGameKey32, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS &&
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, kGameKeyNative, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return found;
    }
    found.keyOpened = true;
    found.valueRead = ReadRegistryString(key, L"install_path", found.path, std::u16string()) == ERROR_SUCCESS;
    if (!found.valueRead) found.path.clear();
    RegCloseKey(key);
    return found;
}

// The game's folder comes from the registry on Windows.
std::vector<std::u16string> SteamRootFolders() { return {}; }

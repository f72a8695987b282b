// Start-up folders and timing on Windows, from the shell and the kernel.
#include <windows.h>

#include <knownfolders.h>
#include <mmsystem.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstdlib>
#include <vector>

#include "app/FileProbes.h"
#include "app/Platform.h"
#include "app/Text.h"

namespace {
std::u16string WithSeparator(std::u16string folder) {
    if (!folder.empty() && folder.back() != u'\\' && folder.back() != u'/') folder += u'\\';
    return folder;
}
}  // namespace

// The roaming application data folder + "Quillstone\Vantrel\", created when
// missing, as the per-user preference folder.
std::u16string PlatformPreferenceFolder() {
    PWSTR roaming = nullptr;
    const HRESULT result = SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_CREATE, nullptr, &roaming);
    std::u16string base;
    if (SUCCEEDED(result) && roaming) base = reinterpret_cast<const char16_t*>(roaming);
    CoTaskMemFree(roaming);
    if (base.empty()) return std::u16string();
    const std::u16string folder = WithSeparator(base) + u"Quillstone\\Vantrel\\";
    if (!DirectoryExists(folder) && !CreateDirectories(folder)) return std::u16string();
    return folder;
}

// The folder of the running executable, with its trailing backslash.
std::u16string PlatformProgramFolder() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return std::u16string();
        if (length < buffer.size()) {
            const std::u16string path(reinterpret_cast<const char16_t*>(buffer.data()), length);
            const size_t slash = path.find_last_of(u"\\/");
            return slash == std::u16string::npos ? std::u16string() : path.substr(0, slash + 1);
        }
        if (buffer.size() >= 32768) return std::u16string();
        buffer.resize(buffer.size() * 2);
    }
}

void PlatformHideFolder(const std::u16string& folder) {
    SetFileAttributesW(reinterpret_cast<const wchar_t*>(folder.c_str()), FILE_ATTRIBUTE_HIDDEN);
}

// A 1 ms scheduler period keeps the main loop's 30 ms sleeps close to 30 ms
// instead of the default tick of about 15.6 ms multiples. The period is
// system-wide and costs power, so it is given back when the program ends.
bool PlatformInitTimer(std::string&) {
    static bool raised = false;
    if (!raised && timeBeginPeriod(1) == TIMERR_NOERROR) {
        raised = true;
        std::atexit([] { timeEndPeriod(1); });
    }
    return true;
}

void PlatformSleep(unsigned milliseconds) { Sleep(milliseconds); }

void PlatformReportFatalError(const std::string& message) {
    const std::wstring text(reinterpret_cast<const wchar_t*>(Utf8ToWide(message).c_str()));
    MessageBoxW(nullptr, text.c_str(), L"Vantrel", MB_OK | MB_ICONERROR);
}

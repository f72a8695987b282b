#pragma once
// What the Windows shell services share: wide-text casts for the Win32 calls,
// COM for the shell's choosers, file tests, and the lock under which children
// are created (app/win32/Win*.cpp).
#include <windows.h>

#include <mutex>
#include <string>

inline const wchar_t* W(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }
inline std::u16string U(const wchar_t* text) { return std::u16string(reinterpret_cast<const char16_t*>(text)); }

// The shell's choosers and folder windows need COM on the calling thread;
// each call brings it up for its own duration when nobody else has.
struct ComScope {
    bool owned = false;
    ComScope() {
        const HRESULT result = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
        owned = SUCCEEDED(result);  // S_FALSE too: the count must be balanced
    }
    ~ComScope() {
        if (owned) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
};

bool IsFile(const std::u16string& path);
bool HasSeparator(const std::u16string& name);
// Handles are inherited by every child created while they are inheritable,
// so only one child at a time is created with inheritance on: a second
// tool started by another thread never holds the first one's pipe open.
std::mutex& ChildCreation();

// The Windows entry point: the arguments name a job to run without a window;
// the show-command is not used.
#include <windows.h>

#include <shellapi.h>

#include <string>
#include <vector>

#include "host/Startup.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    std::vector<std::u16string> arguments;
    int count = 0;
    if (LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count)) {
        for (int i = 1; i < count; ++i) arguments.emplace_back(reinterpret_cast<const char16_t*>(words[i]));
        LocalFree(words);
    }
    return RunVantrel(arguments);
}

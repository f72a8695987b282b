// Start-up folders and timing on Linux, through SDL2, and where the game may
// be found (no registry; Steam's library folders).

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/Platform.h"
#include "app/Text.h"

namespace {
std::u16string TakeSdlString(char* text) {
    if (!text) return {};
    std::u16string wide = Utf8ToWide(text);
    SDL_free(text);
    return wide;
}

std::string WithoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}
}  // namespace

std::u16string PlatformPreferenceFolder() { return TakeSdlString(SDL_GetPrefPath("Quillstone", "Vantrel")); }

std::u16string PlatformProgramFolder() { return TakeSdlString(SDL_GetBasePath()); }

// Linux hides dot-files only; the work folder keeps its name "temp".
void PlatformHideFolder(const std::u16string&) {}

bool PlatformInitTimer(std::string& error) {
    if (SDL_Init(SDL_INIT_TIMER) == 0) return true;
    error = SDL_GetError();
    return false;
}

void PlatformSleep(unsigned milliseconds) { SDL_Delay(milliseconds); }

RegistryInstallPath QueryGameInstallPathFromRegistry() { return RegistryInstallPath(); }

std::vector<std::u16string> SteamRootFolders() {
    const char* home = std::getenv("HOME");
    if (!home || !*home) return {};
    std::string base = WithoutTrailingSlash(home);
    return {Utf8ToWide(base + "/.steam/steam"), Utf8ToWide(base + "/.local/share/Steam")};
}

void PlatformReportFatalError(const std::string& message) { std::fprintf(stderr, "%s\n", message.c_str()); }

void PlatformUseParentConsole() {}

void PlatformWriteStandardOutput(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

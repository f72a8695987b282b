// Start-up folders and timing on Linux, through SDL2.

#include <SDL.h>

#include "app/Platform.h"
#include "app/Text.h"

namespace {
std::u16string TakeSdlString(char* text) {
    if (!text) return {};
    std::u16string wide = Utf8ToWide(text);
    SDL_free(text);
    return wide;
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

#include "shaders/InstalledState.h"

#include "shaders/ChangeManifest.h"

InstalledState ReadInstalledState(const std::u16string& gamePath) {
    InstalledState state;
    if (gamePath.empty()) return state;
    ChangeManifest manifest;
    state.recordReadable = LoadChangeManifest(gamePath, manifest).ok;
    state.effects = static_cast<int>(manifest.changes.size());
    return state;
}

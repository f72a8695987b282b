#include "shaders/EffectPlacement.h"

#include "app/FileIo.h"
#include "app/Text.h"
#include "shaders/ShaderBackup.h"

namespace {
// A scanner or the game lets go of a file within a second or so.
const int kCopyAttempts = 6;
const unsigned kCopyWaitMs = 250;
}  // namespace

EffectPlacement PutEffectIntoGame(const std::u16string& gamePath, const std::u16string& effectName,
                                  const std::u16string& compiledFile) {
    const std::u16string fileName = effectName + u".fx.o";
    const std::u16string destination = gamePath + u"\\dev\\Shaders\\" + fileName;
    EffectPlacement placement;
    // When the game's own file cannot be saved it is left as it is.
    if (!BackUpGameShader(gamePath, fileName)) {
        placement.message = u"ERROR: " + fileName + u" was not installed, because the game's own file could not be backed up";
        return placement;
    }
    std::string error;
    if (!CopyFileWhenFree(compiledFile, destination, kCopyAttempts, kCopyWaitMs, error)) {
        placement.message = u"ERROR: Can't copy " + fileName + u" to " + destination + u" (" + Utf8ToWide(error) + u")";
        return placement;
    }
    placement.outcome = PlacementOutcome::Installed;
    return placement;
}

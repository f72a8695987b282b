#include "shaders/GameShaderIo.h"

#include <vector>

#include "app/FileHandles.h"
#include "app/FileIo.h"
#include "app/FileProbes.h"
#include "app/Log.h"
#include "app/Retry.h"

const char16_t* const kGameShaderFolder = u"dev\\Shaders";
const char16_t* const kSkyFolder = u"data\\SilverLining";
const char16_t* const kProfileFolder = u"Content";

namespace {
constexpr int kBusyAttempts = 6;
constexpr unsigned kBusyWaitMs = 250;

StepOutcome LeadsOut(const std::u16string& link) {
    return StepFailed(FailureCause::LinkOutOfGame,
                      u"ERROR: " + link + u" is a link that leads out of the game folder; Vantrel writes nothing "
                                          u"through it",
                      link);
}
}  // namespace

StepOutcome CheckGameFolder(const std::u16string& gamePath, const std::u16string& part) {
    // Each folder on the way, so that the log names the link itself.
    std::u16string folder = gamePath;
    size_t start = 0;
    while (start <= part.size()) {
        size_t end = part.find(u'\\', start);
        if (end == std::u16string::npos) end = part.size();
        folder += u'\\';
        folder += part.substr(start, end - start);
        if (!PathExists(folder) && !IsLink(FsPath(folder))) return StepOutcome();
        if (!ResolvesInsideFolder(folder, gamePath)) return LeadsOut(folder);
        start = end + 1;
    }
    return StepOutcome();
}

StepOutcome CheckGameFile(const std::u16string& gamePath, const std::u16string& file) {
    if (!IsLink(FsPath(file)) || ResolvesInsideFolder(file, gamePath)) return StepOutcome();
    return LeadsOut(file);
}

namespace {
// The file checked, then the operation tried again while the file is busy.
template <typename Operation>
StepOutcome CheckedAndRetried(const std::u16string& gamePath, const std::u16string& path, const std::u16string& failure,
                              Operation operation) {
    StepOutcome done = CheckGameFile(gamePath, path);
    if (!done.ok) return done;
    std::error_code cause;
    if (RetryWhileBusy(kBusyAttempts, kBusyWaitMs, cause, operation)) return done;
    return FileStepFailed(path, cause, failure + path);
}
}  // namespace

StepOutcome ReadGameShader(const std::u16string& gamePath, const std::u16string& fileName, ShaderFileState& state) {
    const std::u16string target = GameShaderPath(gamePath, fileName);
    return CheckedAndRetried(gamePath, target, u"ERROR: Can't read ",
                             [&](std::error_code& why) { return ReadShaderFileState(target, state, &why); });
}

StepOutcome WriteGameFile(const std::u16string& gamePath, const std::u16string& path, const std::string& bytes) {
    return CheckedAndRetried(gamePath, path, u"ERROR: Can't write ",
                             [&](std::error_code& why) { return WriteFileReplacingSafely(path, bytes, &why); });
}

StepOutcome WriteGameShader(const std::u16string& gamePath, const std::u16string& fileName, const std::string& bytes) {
    return WriteGameFile(gamePath, GameShaderPath(gamePath, fileName), bytes);
}

// A link is removed itself, never its target; it is still refused when it
// leads out, as the game file it stands for is not ours to judge.
StepOutcome RemoveGameShader(const std::u16string& gamePath, const std::u16string& fileName) {
    const std::u16string target = GameShaderPath(gamePath, fileName);
    return CheckedAndRetried(gamePath, target, u"ERROR: Can't remove ",
                             [&](std::error_code& why) { return RemoveFileIfExists(target, &why); });
}

StepOutcome RemoveInterruptedWrites(const std::u16string& gamePath) {
    StepOutcome removed;
    for (const std::u16string& part : {std::u16string(kGameShaderFolder), ChangeRecordPart(),
                                       ChangeRecordPart() + u"\\Originals", std::u16string(kSkyFolder),
                                       std::u16string(kProfileFolder)}) {
        const std::u16string folder = gamePath + u"\\" + part;
        std::error_code cause;
        if (CheckGameFolder(gamePath, part).ok && !RemoveInterruptedSavesIn(folder, &cause) && removed.ok) {
            removed = FileStepFailed(folder, cause, u"ERROR: Can't remove what an interrupted write left in " + folder);
        }
    }
    // The profile's conversions, which the game itself never makes.
    if (!CheckGameFolder(gamePath, kProfileFolder).ok) return removed;
    for (const char16_t* name : {u"PlayerProfiles_Temp.xml", u"PlayerProfiles.xml"}) {
        const std::u16string path = gamePath + u"\\" + kProfileFolder + u"\\" + name;
        if (!PathExists(path)) continue;
        std::error_code cause;
        if (RemoveFileIfExists(path, &cause)) {
            Log(u"Removed the leftover of an interrupted run: " + path);
        } else if (removed.ok) {
            removed = FileStepFailed(path, cause, u"ERROR: Can't remove the leftover of an interrupted run " + path);
        }
    }
    return removed;
}

#include "game/PlayerProfile.h"

#include <pugixml.hpp>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/FileIo.h"
#include "app/FileProbes.h"
#include "app/Log.h"
#include "app/Platform.h"
#include "settings/Settings.h"

namespace {

struct ProfileOption {
    const char* element;
    bool applies;
    bool* forced;  // out-flag, or null
    const char* message;
};

const char* const kUnknownError = "ERROR: Unknown error in the PlayerProfiles patching process";

// The profile's modification time; none when it cannot be read.
using FileStamp = std::optional<std::filesystem::file_time_type>;
FileStamp Stamp(const std::u16string& path) {
    std::error_code ec;
    const auto time = std::filesystem::last_write_time(FsPath(path), ec);
    return ec ? FileStamp() : FileStamp(time);
}

}  // namespace

ProfilePatchOutcome PatchPlayerProfiles(const Settings& settings) {
    ProfilePatchOutcome outcome;
    const auto failed = [&](const char* logLine, const char* cause) {
        Log(logLine);
        outcome.cause = cause;
        return outcome;
    };
    const std::u16string converter = settings.TSPath + u"\\serz.exe";
    const std::u16string profile = settings.TSPath + u"\\Content\\PlayerProfiles.bin";
    const std::u16string profileXml = settings.TSPath + u"\\Content\\PlayerProfiles.xml";
    const std::u16string temporaryXml = settings.TSPath + u"\\Content\\PlayerProfiles_Temp.xml";

    // A profile XML left by an earlier run would be taken for this run's
    // conversion if the converter failed, and older data written back.
    if (!RemoveFileIfExists(profileXml)) return failed(kUnknownError, "an old PlayerProfiles.xml cannot be removed");

    RunProcessAndWait(converter, {profile});
    if (!PathExists(profileXml)) {
        return failed("ERROR: Can't read PlayerProfiles.xml file", "the converter did not write PlayerProfiles.xml");
    }

    pugi::xml_document document;
    std::string xml;
    const bool parsed =
        ReadFileBytes(profileXml, xml) && static_cast<bool>(document.load_buffer(xml.data(), xml.size()));
    pugi::xml_node player = document.child("cRecordSet").child("Record").child("cPlayerProfile");

    // Set only once the patched profile has been handed back to the converter.
    bool bloom = false;
    bool tsx = false;
    const std::vector<ProfileOption> options{
        {"DetailPostProcessingBL", true, &bloom, "'DetailPostProcessingBL' TS setting forced to 1"},
        {"TSXEnabled", true, &tsx, "'TSXEnabled' TS setting forced to 1"},
        {"DetailPostProcessingDOF", settings.Shader.DOFEnhancements, nullptr,
         "'DetailPostProcessingDOF' TS setting set to 1"},
        {"DetailProceduralFlora", settings.Shader.ProceduralFloraEnhancements, nullptr,
         "'DetailProceduralFlora' TS setting set to 1"},
    };

    // A document that is not the profile we know is never written back: the
    // converter would turn it into the user's profile.
    bool complete = parsed && player;
    for (const auto& option : options) complete = complete && player.child(option.element);
    if (!complete) {
        RemoveFileIfExists(profileXml);
        RemoveFileIfExists(temporaryXml);
        return failed(kUnknownError, "the profile does not read as a player profile");
    }

    bool modified = false;
    for (const auto& option : options) {
        if (!option.applies) continue;
        pugi::xml_node element = player.child(option.element);
        if (element.text().as_int() != 0) continue;  // 2 or -1 are left alone too
        element.text().set(1);
        if (option.forced) *option.forced = true;
        modified = true;
        Log(option.message);
    }

    if (!document.save_file(FsPath(temporaryXml).c_str())) {
        return failed(kUnknownError, "the patched profile cannot be written");
    }

    if (!modified) {
        RemoveFileIfExists(profileXml);
        RemoveFileIfExists(temporaryXml);
        outcome.ok = true;
        return outcome;
    }

    // The converter replaces the profile; keep the one it came from.
    std::string before;
    if (!ReadFileBytes(profile, before) || !WriteFileReplacingSafely(profile + u".bak", before)) {
        RemoveFileIfExists(profileXml);
        RemoveFileIfExists(temporaryXml);
        return failed(kUnknownError, "the profile cannot be backed up");
    }
    const FileStamp stampBefore = Stamp(profile);
    RemoveFileIfExists(profileXml);
    MoveFileReplacing(temporaryXml, profileXml);
    const int exitCode = RunProcessAndWait(converter, {profileXml});
    RemoveFileIfExists(profileXml);
    // Only a converter that ended well and rewrote the profile has switched
    // anything on; otherwise the profile it may have damaged is put back.
    std::string after;
    const bool readable = ReadFileBytes(profile, after);
    const bool rewritten = readable && (after != before || Stamp(profile) != stampBefore);
    if (exitCode != 0 || !rewritten) {
        if (!readable || after != before) WriteFileReplacingSafely(profile, before);
        return failed(kUnknownError, "the converter did not write the patched profile back");
    }
    outcome.ok = true;
    outcome.forcedBloom = bloom;
    outcome.forcedTSX = tsx;
    Log("TS PlayerProfiles patched");
    return outcome;
}

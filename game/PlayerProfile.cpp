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

void PatchPlayerProfiles(bool& forcedBloom, bool& forcedTSX) {
    PatchPlayerProfiles(Settings::Instance(), forcedBloom, forcedTSX);
}

void PatchPlayerProfiles(const Settings& settings, bool& forcedBloom, bool& forcedTSX) {
    const std::u16string converter = settings.TSPath + u"\\serz.exe";
    const std::u16string profile = settings.TSPath + u"\\Content\\PlayerProfiles.bin";
    const std::u16string profileXml = settings.TSPath + u"\\Content\\PlayerProfiles.xml";
    const std::u16string temporaryXml = settings.TSPath + u"\\Content\\PlayerProfiles_Temp.xml";

    // A profile XML left by an earlier run would be taken for this run's
    // conversion if the converter failed, and older data written back.
    if (!RemoveFileIfExists(profileXml)) {
        Log(kUnknownError);
        return;
    }

    RunProcessAndWait(converter, {profile});
    if (!PathExists(profileXml)) {
        Log("ERROR: Can't read PlayerProfiles.xml file");
        return;
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
        Log(kUnknownError);
        return;
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
        Log(kUnknownError);
        return;
    }

    if (!modified) {
        RemoveFileIfExists(profileXml);
        RemoveFileIfExists(temporaryXml);
        return;
    }

    // The converter replaces the profile; keep the one it came from.
    std::string before;
    if (!ReadFileBytes(profile, before) || !WriteFileReplacingSafely(profile + u".bak", before)) {
        RemoveFileIfExists(profileXml);
        RemoveFileIfExists(temporaryXml);
        Log(kUnknownError);
        return;
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
        Log(kUnknownError);
        return;
    }
    if (bloom) forcedBloom = true;
    if (tsx) forcedTSX = true;
    Log("TS PlayerProfiles patched");
}

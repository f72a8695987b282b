#include "game/PlayerProfile.h"

#include <pugixml.hpp>

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

struct Option {
    const char* element;
    int value;  // as handed to the converter
};

// Why the profile the converter wrote back is not the patched one, as it
// reads when converted to XML once more; empty when it holds every option
// with the value handed over. An exit code of 0 alone proves nothing: a
// converter may exit well and write a damaged, empty or foreign file.
std::string ReadBackProblem(const std::u16string& converter, const std::u16string& profile,
                            const std::u16string& profileXml, const std::vector<Option>& handedOver) {
    RemoveFileIfExists(profileXml);
    const int exitCode = RunProcessAndWait(converter, {profile});
    std::string xml;
    const bool read = PathExists(profileXml) && ReadFileBytes(profileXml, xml);
    RemoveFileIfExists(profileXml);
    if (!read) {
        return "the converter cannot read the written profile back (exit code " + std::to_string(exitCode) + ")";
    }
    pugi::xml_document document;
    const pugi::xml_node player = document.load_buffer(xml.data(), xml.size())
                                      ? document.child("cRecordSet").child("Record").child("cPlayerProfile")
                                      : pugi::xml_node();
    if (!player) return "the written profile does not read back as a player profile";
    for (const Option& option : handedOver) {
        const pugi::xml_node element = player.child(option.element);
        if (!element || element.text().as_int() != option.value) {
            return std::string("the written profile does not hold ") + option.element + " = " +
                   std::to_string(option.value);
        }
    }
    return std::string();
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
    std::vector<Option> handedOver;
    for (const auto& option : options) {
        handedOver.push_back({option.element, player.child(option.element).text().as_int()});
    }
    RemoveFileIfExists(profileXml);
    MoveFileReplacing(temporaryXml, profileXml);
    const int exitCode = RunProcessAndWait(converter, {profileXml});
    RemoveFileIfExists(profileXml);
    // Only a profile that reads back with the options handed over has been
    // patched; otherwise the one it came from is put back.
    const std::string problem =
        exitCode != 0 ? "the converter failed to write the patched profile back (exit code " +
                            std::to_string(exitCode) + ")"
                      : ReadBackProblem(converter, profile, profileXml, handedOver);
    if (!problem.empty()) {
        std::string now;
        const bool putBack =
            (ReadFileBytes(profile, now) && now == before) || WriteFileReplacingSafely(profile, before);
        outcome.cause = problem + (putBack ? "; the previous profile was put back"
                                           : "; the previous profile could not be put back (it is in "
                                             "PlayerProfiles.bin.bak)");
        Log("ERROR: PlayerProfiles.bin was not patched: " + outcome.cause);
        return outcome;
    }
    outcome.ok = true;
    outcome.forcedBloom = bloom;
    outcome.forcedTSX = tsx;
    Log("TS PlayerProfiles patched");
    return outcome;
}

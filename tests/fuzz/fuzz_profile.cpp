// The player-profile patch from any profile XML the converter might write:
// the patch never faults, hands back only a profile it understood, with the
// forced options on, and reports options as forced only when it handed the
// profile back and read it back. The converter is played in-process by this
// harness's own RunProcessAndWait, which takes the place of the process
// service; once handed a profile, it reads that one back.
#include <cstdint>
#include <vector>

#include <pugixml.hpp>

#include "app/FileIo.h"
#include "app/FileProbes.h"
#include "game/PlayerProfile.h"
#include "settings/Settings.h"
#include "tests/fuzz/FuzzScratch.h"

namespace {
std::string g_profileXml;  // what the first conversion writes
bool g_handedBack = false;
std::string g_handedBackXml;
}  // namespace

int RunProcessAndWait(const std::u16string&, const std::vector<std::u16string>& arguments, const std::u16string&,
                      std::string*) {
    const std::u16string file = arguments.size() == 1 ? arguments[0] : u"";
    const std::u16string stem = file.substr(0, file.size() < 3 ? 0 : file.size() - 3);
    if (stem.size() > 15 && stem.compare(stem.size() - 15, 15, u"PlayerProfiles.") == 0) {
        if (file.compare(stem.size(), 3, u"bin") == 0) {
            return WriteFileBytes(stem + u"xml", g_handedBack ? g_handedBackXml : g_profileXml) ? 0 : 1;
        }
        if (file.compare(stem.size(), 3, u"xml") == 0 && ReadFileBytes(file, g_handedBackXml)) {
            g_handedBack = true;
            return WriteFileBytes(stem + u"bin", "converted " + g_handedBackXml) ? 0 : 1;
        }
    }
    return 1;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::u16string game = FuzzScratch() + u"game";
    static const bool made = CreateDirectories(game + u"/Content");
    Settings& settings = Settings::Instance();
    settings.TSPath = game;
    settings.Shader.DOFEnhancements = size % 2 == 0;
    settings.Shader.ProceduralFloraEnhancements = size % 3 == 0;
    g_profileXml = FuzzInput(data, size);
    g_handedBack = false;
    if (!made || !WriteFileBytes(game + u"\\Content\\PlayerProfiles.bin", "stock profile")) std::abort();

    const ProfilePatchOutcome outcome = PatchPlayerProfiles(settings);
    if ((outcome.forcedBloom || outcome.forcedTSX) && !g_handedBack) std::abort();
    if (outcome.ok == !outcome.cause.empty()) std::abort();  // a failure always says why, a success never
    std::string profileNow;
    if (!outcome.ok && (!ReadFileBytes(game + u"\\Content\\PlayerProfiles.bin", profileNow) ||
                        profileNow != "stock profile")) {
        std::abort();  // a failed patch leaves the profile as it was
    }
    if (g_handedBack) {
        pugi::xml_document document;
        if (!document.load_string(g_handedBackXml.c_str())) std::abort();
        const pugi::xml_node profile = document.child("cRecordSet").child("Record").child("cPlayerProfile");
        for (const char* forced : {"DetailPostProcessingBL", "TSXEnabled"}) {
            if (profile.child(forced).text().as_int() == 0) std::abort();
        }
    }
    return 0;
}

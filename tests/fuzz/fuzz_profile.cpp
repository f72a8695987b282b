// The player-profile patch from any profile XML the converter might write:
// the patch never faults, hands back only a profile it understood, with the
// forced options on, and reports options as forced only when it handed the
// profile back. The converter is played in-process by this harness's own
// RunProcessAndWait, which takes the place of the process service.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "app/FileIo.h"
#include "app/FileProbes.h"
#include "game/PlayerProfile.h"
#include "settings/Settings.h"
#include "tests/fuzz/FuzzScratch.h"

namespace {
struct Conversions {
    std::string profileXml;  // what the first conversion writes
    bool handedBack = false;
    std::string handedBackXml;
};
Conversions& Run() {
    static Conversions run;
    return run;
}

bool EndsWith(const std::u16string& text, const std::u16string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

bool OptionOn(const pugi::xml_node& profile, const char* name) { return profile.child(name).text().as_int() != 0; }
}  // namespace

int RunProcessAndWait(const std::u16string&, const std::vector<std::u16string>& arguments, const std::u16string&,
                      std::string*) {
    if (arguments.size() != 1) return 1;
    const std::u16string& file = arguments[0];
    if (EndsWith(file, u"PlayerProfiles.bin")) {
        return WriteFileBytes(file.substr(0, file.size() - 3) + u"xml", Run().profileXml) ? 0 : 1;
    }
    if (EndsWith(file, u"PlayerProfiles.xml")) {
        if (!ReadFileBytes(file, Run().handedBackXml)) return 1;
        Run().handedBack = true;
        return WriteFileBytes(file.substr(0, file.size() - 3) + u"bin", "converted " + Run().handedBackXml) ? 0 : 1;
    }
    return 1;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::u16string game = FuzzScratch() + u"game";
    static const bool made = !CreateDirectories(game + u"/Content");
    Settings& settings = Settings::Instance();
    settings.TSPath = game;
    settings.Shader.DOFEnhancements = size % 2 == 0;
    settings.Shader.ProceduralFloraEnhancements = size % 3 == 0;
    Run() = Conversions();
    Run().profileXml = FuzzInput(data, size);
    if (!made || !WriteFileBytes(game + u"\\Content\\PlayerProfiles.bin", "stock profile")) std::abort();

    bool forcedBloom = false;
    bool forcedTSX = false;
    PatchPlayerProfiles(forcedBloom, forcedTSX);
    if ((forcedBloom || forcedTSX) && !Run().handedBack) std::abort();
    if (Run().handedBack) {
        pugi::xml_document document;
        if (!document.load_string(Run().handedBackXml.c_str())) std::abort();
        const pugi::xml_node profile = document.child("cRecordSet").child("Record").child("cPlayerProfile");
        if (!OptionOn(profile, "DetailPostProcessingBL") || !OptionOn(profile, "TSXEnabled")) std::abort();
    }
    return 0;
}

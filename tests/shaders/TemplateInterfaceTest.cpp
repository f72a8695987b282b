// The templates as texts: plain ASCII with LF line ends, every value hook as
// an #ifndef default at the top and used below it, every switch read, and the
// fixed lines of MOX_Defines.fxh. A hook or switch the text lost would leave
// the player's setting without effect, which no compiler reports.
#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>
#include <vector>

#include "app/Text.h"
#include "shaders/ShaderTemplates.h"
#include "tests/shaders/TemplateTable.h"

namespace {

std::string Text(const std::string& name) {
    const ShaderTemplate* found = FindShaderTemplate(Utf8ToWide(name));
    return found ? std::string(found->text) : std::string();
}

// Comments blanked, line ends kept.
std::string StripComments(std::string text) {
    for (size_t i = 0; i < text.size();) {
        if (text.compare(i, 2, "//") == 0) {
            for (; i < text.size() && text[i] != '\n'; ++i) text[i] = ' ';
        } else if (text.compare(i, 2, "/*") == 0) {
            const size_t close = text.find("*/", i + 2);
            const size_t end = close == std::string::npos ? text.size() : close + 2;
            for (; i < end; ++i)
                if (text[i] != '\n') text[i] = ' ';
        } else {
            ++i;
        }
    }
    return text;
}

// The text and every header it pulls in, comments removed.
std::string WithHeaders(const std::string& name) {
    static const std::regex include(R"re(^[ \t]*#[ \t]*include[ \t]*"([^"]+)")re", std::regex::multiline);
    std::string all;
    std::set<std::string> seen;
    std::vector<std::string> pending = {name};
    while (!pending.empty()) {
        const std::string next = pending.back();
        pending.pop_back();
        if (!seen.insert(next).second) continue;
        const std::string clean = StripComments(Text(next));
        all += clean + "\n";
        for (std::sregex_iterator it(clean.begin(), clean.end(), include), end; it != end; ++it)
            pending.push_back((*it)[1]);
    }
    return all;
}

bool ReadsSwitch(const std::string& clean, const std::string& name) {
    return std::regex_search(clean, std::regex("(#[ \\t]*ifn?def[ \\t]+" + name + "\\b)|(defined[ \\t]*\\(?[ \\t]*" +
                                               name + "\\b)"));
}

}  // namespace

TEST(TemplateInterface, HooksDefaultAtTheTopAndSwitchesAreRead) {
    for (const EffectRow& row : kEffects) {
        const std::string clean = StripComments(Text(std::string(row.name)));
        ASSERT_FALSE(clean.empty()) << row.name << " is not in the catalogue";
        // #ifndef NAME / #define NAME default / #endif before the first block,
        // and the name used after it.
        const size_t firstBlock = clean.find('{');
        for (const Hook& h : row.hooks) {
            const std::string name = h.name;
            std::smatch m;
            if (!std::regex_search(clean, m,
                                   std::regex("#[ \\t]*ifndef[ \\t]+" + name + "[ \\t]*\\n[ \\t]*#[ \\t]*define[ \\t]+" +
                                              name + "[ \\t]+([^\\n]*?)[ \\t]*\\n[ \\t]*#[ \\t]*endif"))) {
                ADD_FAILURE() << row.name << ": no #ifndef/#define/#endif default for " << name;
                continue;
            }
            EXPECT_EQ(m[1].str(), h.value) << row.name << ": default of " << name;
            EXPECT_LT(size_t(m.position(0)), firstBlock) << row.name << ": " << name << " is not at the top";
            EXPECT_TRUE(std::regex_search(clean.begin() + long(m.position(0) + m.length(0)), clean.end(),
                                          std::regex("\\b" + name + "\\b")))
                << row.name << ": " << name << " is defined but never used";
        }
        const std::string all = WithHeaders(row.name);
        for (const std::string& name : row.switches)
            EXPECT_TRUE(ReadsSwitch(all, name)) << row.name << " never tests " << name;
    }
}

TEST(TemplateInterface, TextsAreAsciiWithLfAndTheFixedSwitchesStayOff) {
    for (const ShaderTemplate& t : ShaderTemplates()) {
        EXPECT_FALSE(t.text.empty()) << WideToUtf8(t.name) << " is empty";
        EXPECT_EQ(t.text.find('\r'), std::string::npos) << WideToUtf8(t.name) << " has CR line ends";
        for (unsigned char c : t.text) {
            if (c < 0x80) continue;
            ADD_FAILURE() << WideToUtf8(t.name) << " has a byte outside ASCII";
            break;
        }
    }

    // The constants of MOX_Defines.fxh, its three switches present but off.
    const std::string defines = Text("MOX_Defines.fxh");
    size_t last = 0;
    for (const char* line : {"#define M_PI 3.1415926", "#define PBR_LIGHT_INTENSITY_MULTIPLIER 1.5",
                             "//#define MOX_PROCFLORAZORDERFIX", "//#define MOX_ALPHAMASKOPTIMIZATION",
                             "#define MOX_AlphaMaskThreshold 0.5", "//#define MOX_NEW2DVEGETATIONSHADING"}) {
        const size_t at = defines.find(std::string("\n") + line + "\n", last);
        EXPECT_NE(at, std::string::npos) << "MOX_Defines.fxh: " << line << " missing or out of order";
        if (at != std::string::npos) last = at + 1;
    }
    const std::string clean = StripComments(defines);
    for (const char* name : {"MOX_PROCFLORAZORDERFIX", "MOX_ALPHAMASKOPTIMIZATION", "MOX_NEW2DVEGETATIONSHADING"})
        EXPECT_EQ(clean.find(name), std::string::npos) << name << " must stay commented out";
    EXPECT_FALSE(std::regex_search(StripComments(Text("CommonFns.fxh")),
                                   std::regex("#[ \\t]*define[ \\t]+USE_HALF_PRECISION\\b")))
        << "USE_HALF_PRECISION must stay off";
}

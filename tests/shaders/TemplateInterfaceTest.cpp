// The templates as texts: plain ASCII with LF line ends, the includes of each
// file, every value hook as an #ifndef default at the top, every switch read,
// and the fixed lines of MOX_Defines.fxh.
#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>
#include <vector>

#include "tests/shaders/TemplateTable.h"
#include "tests/support/TestEnv.h"

namespace {

std::string ReadTemplate(const std::string& fileName) {
    const fs::path file = fs::path(VANTREL_SOURCE_DIR) / "shaders" / "templates" / fileName;
    std::error_code ec;
    return fs::exists(file, ec) ? ReadText(file) : std::string();
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

std::vector<std::string> IncludesOf(const std::string& clean) {
    static const std::regex include(R"re(^[ \t]*#[ \t]*include[ \t]*"([^"]+)")re", std::regex::multiline);
    std::vector<std::string> names;
    for (std::sregex_iterator it(clean.begin(), clean.end(), include), end; it != end; ++it) names.push_back((*it)[1]);
    return names;
}

// The text plus every header it pulls in.
std::string WithHeaders(const std::string& clean) {
    std::string all = clean;
    std::set<std::string> seen;
    std::vector<std::string> pending = IncludesOf(clean);
    while (!pending.empty()) {
        const std::string name = pending.back();
        pending.pop_back();
        if (!seen.insert(name).second) continue;
        const std::string header = StripComments(ReadTemplate(name));
        all += "\n" + header;
        for (const std::string& inner : IncludesOf(header)) pending.push_back(inner);
    }
    return all;
}

bool ReadsSwitch(const std::string& clean, const std::string& name) {
    return std::regex_search(clean, std::regex("(#[ \\t]*ifn?def[ \\t]+" + name + "\\b)|(defined[ \\t]*\\(?[ \\t]*" +
                                               name + "\\b)"));
}

}  // namespace

TEST(TemplateInterface, EffectsIncludeTheirHeadersAndHonourHooksAndSwitches) {
    for (const EffectRow& row : kEffects) {
        const std::string clean = StripComments(ReadTemplate(std::string(row.name) + ".fx"));
        ASSERT_FALSE(clean.empty()) << row.name << ".fx is missing or empty";
        const std::vector<std::string> included = IncludesOf(clean);
        EXPECT_EQ(std::multiset<std::string>(included.begin(), included.end()),
                  std::multiset<std::string>(row.includes.begin(), row.includes.end()))
            << row.name;

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
        const std::string all = WithHeaders(clean);
        for (const std::string& name : row.switches)
            EXPECT_TRUE(ReadsSwitch(all, name)) << row.name << " never tests " << name;
    }
}

TEST(TemplateInterface, FilesAreAsciiWithLfAndHeadersAsListed) {
    std::vector<std::string> files;
    for (const HeaderRow& h : kHeaders) files.push_back(h.name);
    for (const EffectRow& e : kEffects) files.push_back(std::string(e.name) + ".fx");
    ASSERT_EQ(files.size(), 25u);
    for (const std::string& f : files) {
        const std::string text = ReadTemplate(f);
        ASSERT_FALSE(text.empty()) << f << " is missing or empty";
        EXPECT_EQ(text.find('\r'), std::string::npos) << f << " has CR line ends";
        for (unsigned char c : text) {
            if (c < 0x80) continue;
            ADD_FAILURE() << f << " has a byte outside ASCII";
            break;
        }
    }
    for (const HeaderRow& h : kHeaders) {
        const std::string clean = StripComments(ReadTemplate(h.name));
        EXPECT_EQ(IncludesOf(clean), h.includes) << h.name;
        for (const std::string& name : h.switches)
            EXPECT_TRUE(ReadsSwitch(clean, name)) << h.name << " never tests " << name;
    }

    // The constants of MOX_Defines.fxh, its three switches present but off.
    const std::string defines = ReadTemplate("MOX_Defines.fxh");
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
    EXPECT_FALSE(std::regex_search(StripComments(ReadTemplate("CommonFns.fxh")),
                                   std::regex("#[ \\t]*define[ \\t]+USE_HALF_PRECISION\\b")))
        << "USE_HALF_PRECISION must stay off";
}

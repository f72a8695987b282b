// The templates the program carries: every file of shaders/templates/ in the
// catalogue, byte for byte, as plain ASCII with LF line ends (the install
// writes them with CR LF).
#include <gtest/gtest.h>

#include <algorithm>

#include "app/Text.h"
#include "shaders/ShaderTemplates.h"
#include "tests/support/TestEnv.h"

TEST(ShaderTemplates, EveryTemplateFileIsEmbeddedAsAsciiWithLf) {
    size_t files = 0;
    for (const auto& entry : fs::directory_iterator(fs::path(VANTREL_SOURCE_DIR) / "shaders" / "templates")) {
        ++files;
        const fs::path& file = entry.path();
        const std::string name = (file.extension() == ".fx" ? file.stem() : file.filename()).string();
        const ShaderTemplate* found = FindShaderTemplate(Utf8ToWide(name));
        ASSERT_NE(found, nullptr) << file << " is not in the catalogue";
        const std::string text = ReadText(file);
        EXPECT_EQ(std::string(found->text), text) << name;
        EXPECT_EQ(text.find('\r'), std::string::npos) << name << " has CR line ends";
        EXPECT_TRUE(std::all_of(text.begin(), text.end(), [](unsigned char c) { return c < 0x80; }))
            << name << " is not ASCII";
    }
    EXPECT_EQ(ShaderTemplates().size(), files);
}

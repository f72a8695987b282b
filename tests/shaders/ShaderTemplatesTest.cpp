#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/Text.h"
#include "shaders/EmbeddedTemplates.h"
#include "shaders/ShaderTemplates.h"
#include "tests/support/TestEnv.h"

TEST(ShaderTemplates, HeadersInInstallOrderThenEffectsInCompileOrder) {
    const std::vector<std::u16string> expected = {
        u"ViewportFns.fxh", u"CommonFns.fxh", u"DeferredFns.fxh", u"ShadowFns.fxh", u"MOX_Fns.fxh",
        u"MOX_Defines.fxh", u"FogFns.fxh", u"DepthFns.fxh", u"OcclusionVolumeFns.fxh", u"FXAA3_11.fxh",
        u"DeferredDirectional", u"PostDepthOfField", u"PostTrainVolumetricFog", u"ProcFlora", u"Rain",
        u"DeferredPoint", u"DeferredSpot", u"PostTrainLightGlow", u"TrainGlass", u"TrainGlassWeatherEffects",
        u"PostProcessFXAA", u"TrainViewFacingFlora", u"TrainUprightViewFacingFlora", u"Train_post_bloom",
        u"TrainSkyDome"};
    const auto& catalogue = ShaderTemplates();
    ASSERT_EQ(catalogue.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(catalogue[i].name, expected[i]) << i;
        EXPECT_EQ(catalogue[i].kind, i < 10 ? TemplateKind::Header : TemplateKind::Effect) << i;
    }
    EXPECT_EQ(&ShaderTemplates(), &catalogue);  // built once

    ASSERT_NE(FindShaderTemplate(u"Rain"), nullptr);
    EXPECT_EQ(FindShaderTemplate(u"Rain")->kind, TemplateKind::Effect);
    EXPECT_EQ(FindShaderTemplate(u"Rain.fx"), nullptr);
    EXPECT_EQ(FindShaderTemplate(u"rain"), nullptr);
    ASSERT_NE(FindShaderTemplate(u"FXAA3_11.fxh"), nullptr);
    EXPECT_EQ(FindShaderTemplate(u"FXAA3_11.fxh")->kind, TemplateKind::Header);
}

TEST(ShaderTemplates, TextsAreTheTemplateFilesByteForByte) {
    // Every embedded file must be reachable through the catalogue: a misnamed
    // template file would otherwise be dropped silently.
    for (const EmbeddedTemplate* t = kEmbeddedTemplates; t->fileName; ++t) {
        std::u16string name = Utf8ToWide(t->fileName);
        if (name.size() > 3 && name.compare(name.size() - 3, 3, u".fx") == 0) name.resize(name.size() - 3);
        const ShaderTemplate* found = FindShaderTemplate(name);
        ASSERT_NE(found, nullptr) << t->fileName << " is embedded but not in the catalogue";
        EXPECT_EQ(found->text.data(), t->data);
        EXPECT_EQ(found->text.size(), t->size);
    }
    const fs::path folder = fs::path(VANTREL_SOURCE_DIR) / "shaders" / "templates";
    for (const ShaderTemplate& t : ShaderTemplates()) {
        const fs::path file = folder / (WideToUtf8(t.name) + (t.kind == TemplateKind::Effect ? ".fx" : ""));
        std::error_code ec;
        if (!fs::exists(file, ec)) {
            EXPECT_TRUE(t.text.empty()) << file;  // not written yet
            continue;
        }
        EXPECT_EQ(std::string(t.text), ReadText(file)) << file;
    }
}

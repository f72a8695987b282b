#include "shaders/ShaderTemplates.h"

#include <cstring>

#include "shaders/EmbeddedTemplates.h"

namespace {

const char* const kHeaderFiles[] = {
    "ViewportFns.fxh", "CommonFns.fxh",  "DeferredFns.fxh", "ShadowFns.fxh",          "MOX_Fns.fxh",
    "MOX_Defines.fxh", "FogFns.fxh",     "DepthFns.fxh",    "OcclusionVolumeFns.fxh", "FXAA3_11.fxh",
};

const char* const kEffectNames[] = {
    "DeferredDirectional",      "PostDepthOfField",   "PostTrainVolumetricFog",
    "ProcFlora",                "Rain",               "DeferredPoint",
    "DeferredSpot",             "PostTrainLightGlow", "TrainGlass",
    "TrainGlassWeatherEffects", "PostProcessFXAA",    "TrainViewFacingFlora",
    "TrainUprightViewFacingFlora", "Train_post_bloom", "TrainSkyDome",
};

// A file the build did not embed gives an empty text, so the catalogue always
// has its 25 entries.
std::string_view EmbeddedText(const std::string& fileName) {
    for (const EmbeddedTemplate* t = kEmbeddedTemplates; t->fileName; ++t) {
        if (fileName == t->fileName) return std::string_view(t->data, t->size);
    }
    return {};
}

std::u16string Widen(const char* ascii) {
    std::u16string wide;
    for (const char* c = ascii; *c; ++c) wide.push_back(static_cast<char16_t>(*c));
    return wide;
}

std::vector<ShaderTemplate> BuildCatalogue() {
    std::vector<ShaderTemplate> catalogue;
    for (const char* file : kHeaderFiles) {
        catalogue.push_back({Widen(file), TemplateKind::Header, EmbeddedText(file)});
    }
    for (const char* effect : kEffectNames) {
        catalogue.push_back({Widen(effect), TemplateKind::Effect, EmbeddedText(std::string(effect) + ".fx")});
    }
    return catalogue;
}

}  // namespace

const std::vector<ShaderTemplate>& ShaderTemplates() {
    static const std::vector<ShaderTemplate> catalogue = BuildCatalogue();
    return catalogue;
}

const ShaderTemplate* FindShaderTemplate(std::u16string_view name) {
    for (const ShaderTemplate& t : ShaderTemplates()) {
        if (t.name == name) return &t;
    }
    return nullptr;
}

#include "settings/SettingsTable.h"

#include <algorithm>

// A row begins with its field; the element name is the field's own name.
#define VANTREL_SWITCH(field) .name = #field, .kind = ParamKind::Bool, .boolField = &ShaderSettings::field
#define VANTREL_VALUE(field) .name = #field, .kind = ParamKind::Float, .floatField = &ShaderSettings::field
#define VANTREL_TINT(field) \
    .name = #field, .kind = ParamKind::Tint, .tintField = &ShaderSettings::field, .defaultFloat = 1.0f

namespace {

using S = ShaderSettings;
using U = ParamUnit;

// Settings-file order; the defaults of every parameter live here and only
// here. Each row's texts, range and unit are those of its control in the tab.
constexpr std::array<ParamDesc, 54> kParams = {{
    {VANTREL_SWITCH(SSAO), .defaultBool = true,
     .section = "ssaoeffect", .place = 1, .label = "ssao", .help = "ssao_help", .helpId = "ssaohelp",
     .definition = "MOX_SSAO", .effects = {u"DeferredDirectional"}},
    {VANTREL_VALUE(SSAOIntensity), .defaultFloat = 1.0f,
     .section = "ssaoeffect", .place = 2, .label = "ssaointensity", .help = "ssaointensity_help",
     .helpId = "ssaointensityhelp", .min = 0, .max = 2, .unit = U::Times, .decimals = 2, .switchedBy = &S::SSAO,
     .definition = "MOX_SSAOIntensity", .effects = {u"DeferredDirectional"}},
    {VANTREL_SWITCH(SunShadowsEnhancements), .defaultBool = false,
     .section = "lightsources", .place = 2, .label = "sunshadowsenhancements", .help = "sunshadowsenhancements_help",
     .helpId = "sunshadowsnhelp",
     .definition = "MOX_SUNSHADOWSENHANCEMENTS", .effects = {u"DeferredDirectional"}},
    {VANTREL_SWITCH(ReflectionsEnhancements), .defaultBool = true,
     .section = "reflections", .place = 1, .label = "reflectionsenhancements",
     .help = "reflectionsenhancements_help", .helpId = "reflectionsenhancementshelp",
     .definition = "MOX_REFLECTIONSENHANCEMENTS", .effects = {u"DeferredDirectional"}},
    {VANTREL_VALUE(ReflectionsIntensity), .defaultFloat = 1.0f,
     .section = "reflections", .place = 2, .label = "reflectionsintensity", .help = "reflectionsintensity_help",
     .helpId = "reflectionsintensityhelp", .min = 0, .max = 2, .unit = U::Times, .decimals = 2,
     .switchedBy = &S::ReflectionsEnhancements,
     .definition = "MOX_ReflectionsIntensity", .effects = {u"DeferredDirectional"}},
    {VANTREL_VALUE(ReflectionsColorDesaturation), .defaultFloat = 0.5f,
     .section = "reflections", .place = 3, .label = "reflectionscolordesaturation",
     .help = "reflectionscolordesaturation_help", .helpId = "reflectionscolordesaturationhelp", .min = 0, .max = 1,
     .unit = U::Percent, .switchedBy = &S::ReflectionsEnhancements,
     .definition = "MOX_ReflectionsColorDesaturation", .effects = {u"DeferredDirectional"}},
    {VANTREL_SWITCH(DOFEnhancements), .defaultBool = true, .preview = PreviewPass::DepthOfField,
     .section = "dof", .place = 1, .label = "dofenhancements", .help = "dofenhancements_help", .helpId = "dofhelp",
     .definition = "MOX_DOFENHANCEMENTS", .effects = {u"PostDepthOfField"}},
    {VANTREL_VALUE(DOFNearPlane), .defaultFloat = 500.0f, .preview = PreviewPass::DepthOfField,
     .section = "dof", .place = 2, .label = "dofnearplane", .help = "dofnearplane_help",
     .helpId = "dofnearplanehelp", .min = 1, .max = 1000, .unit = U::Metres, .switchedBy = &S::DOFEnhancements,
     .definition = "MOX_DOFNearPlane", .effects = {u"PostDepthOfField"}},
    {VANTREL_SWITCH(NoPointShadows), .defaultBool = false,
     .section = "lightsources", .place = 3, .label = "nopointlightshadows", .help = "nopointlightshadows_help",
     .helpId = "nopointlightshadowshelp",
     .definition = "MOX_NOPOINTSHADOWS", .effects = {u"DeferredPoint"}},
    {VANTREL_SWITCH(NoSpotShadows), .defaultBool = false,
     .section = "lightsources", .place = 4, .label = "nospotlightshadows", .help = "nospotlightshadows_help",
     .helpId = "nospotlightshadowshelp",
     .definition = "MOX_NOSPOTSHADOWS", .effects = {u"DeferredSpot"}},
    {VANTREL_SWITCH(NoSpotPointSpecular), .defaultBool = false,
     .section = "lightsources", .place = 5, .label = "nospotpointspecular", .help = "nospotpointspecular_help",
     .helpId = "nospotpointspecularhelp",
     .definition = "MOX_NOSPOTPOINTSPECULAR", .effects = {u"DeferredPoint", u"DeferredSpot"}},
    {VANTREL_VALUE(PointLightIntensityMultiplier), .defaultFloat = 1.0f,
     .section = "lightsources", .place = 6, .label = "pointlightsintensitymultiplier",
     .help = "pointlightsintensitymultiplier_help", .helpId = "pointlightintensitymultiplierhelp", .min = 0,
     .max = 2, .unit = U::Times, .decimals = 2,
     .definition = "MOX_PointLightIntensityMultiplier", .effects = {u"DeferredPoint"}},
    {VANTREL_VALUE(SpotLightIntensityMultiplier), .defaultFloat = 1.0f,
     .section = "lightsources", .place = 7, .label = "spotlightsintensitymultiplier",
     .help = "spotlightsintensitymultiplier_help", .helpId = "spotlightintensitymultiplierhelp", .min = 0,
     .max = 2, .unit = U::Times, .decimals = 2,
     .definition = "MOX_SpotLightIntensityMultiplier", .effects = {u"DeferredSpot"}},
    {VANTREL_VALUE(PointLightSpecularIntensityMultiplier), .defaultFloat = 1.0f,
     .section = "lightsources", .place = 8, .label = "pointlightsspecularintensitymultiplier",
     .help = "pointlightsspecularintensitymultiplier_help", .helpId = "pointlightspecularintensitymultiplierhelp",
     .min = 0, .max = 2, .unit = U::Times, .decimals = 2,
     .definition = "MOX_PointLightSpecularIntensityMultiplier", .effects = {u"DeferredPoint"}},
    {VANTREL_VALUE(SpotLightSpecularIntensityMultiplier), .defaultFloat = 1.0f,
     .section = "lightsources", .place = 9, .label = "spotlightsspecularintensitymultiplier",
     .help = "spotlightsspecularintensitymultiplier_help", .helpId = "spotlightspecularintensitymultiplierhelp",
     .min = 0, .max = 2, .unit = U::Times, .decimals = 2,
     .definition = "MOX_SpotLightSpecularIntensityMultiplier", .effects = {u"DeferredSpot"}},
    {VANTREL_TINT(PointLightColorTint),
     .section = "lightsources", .place = 11, .label = "pointlightscolortint", .help = "pointlightscolortint_help",
     .helpId = "pointlightcolortinthelp",
     .definition = "MOX_PointLightColorTint", .effects = {u"DeferredPoint"}},
    {VANTREL_TINT(SpotLightColorTint),
     .section = "lightsources", .place = 12, .label = "spotlightscolortint", .help = "spotlightscolortint_help",
     .helpId = "spotlightcolortinthelp",
     .definition = "MOX_SpotLightColorTint", .effects = {u"DeferredSpot"}},
    {VANTREL_TINT(LightGlowColorTint), .preview = PreviewPass::LightGlow,
     .section = "lightsources", .place = 10, .label = "lightglowcolortint", .help = "lightglowcolortint_help",
     .helpId = "lightglowcolortinthelp", .switchedBy = &S::LightGlowEnhancements,
     .definition = "MOX_LightGlowColorTint", .effects = {u"PostTrainLightGlow"}},
    {VANTREL_SWITCH(FXAAFix), .defaultBool = true, .preview = PreviewPass::EdgeSmoothing,
     .section = "fxaa", .place = 1, .label = "fxaafix", .help = "fxaafix_help", .helpId = "fxaafixhelp",
     .definition = "MOX_FXAAFIX", .effects = {u"PostProcessFXAA"}},
    // Read whether the fix is on or not.
    {VANTREL_VALUE(FXAAEdgeBluringIntensity), .defaultFloat = 0.75f, .preview = PreviewPass::EdgeSmoothing,
     .section = "fxaa", .place = 2, .label = "fxaaedgebluringintensity", .help = "fxaaedgebluringintensity_help",
     .helpId = "fxaaedgebluringintensityhelp", .min = 0, .max = 1, .unit = U::Percent,
     .definition = "MOX_FXAAEdgeBluringIntensity", .effects = {u"PostProcessFXAA"}},
    {VANTREL_SWITCH(FogEnhancements), .defaultBool = true, .preview = PreviewPass::Fog,
     .section = "fog", .place = 1, .label = "fogenhancements", .help = "fogenhancements_help", .helpId = "foghelp",
     .definition = "MOX_FOGENHANCEMENTS", .effects = {u"PostTrainVolumetricFog"}},
    {VANTREL_VALUE(FogBrightness), .defaultFloat = 1.0f, .preview = PreviewPass::Fog,
     .section = "fog", .place = 2, .label = "fogbrightness", .help = "fogbrightness_help",
     .helpId = "fogbrightnesshelp", .min = 0, .max = 2, .unit = U::Times, .decimals = 2,
     .switchedBy = &S::FogEnhancements,
     .definition = "MOX_FogBrightness", .effects = {u"PostTrainVolumetricFog"}},
    {VANTREL_VALUE(FogColorDesaturation), .defaultFloat = 0.25f, .preview = PreviewPass::Fog,
     .section = "fog", .place = 3, .label = "fogcolordesaturation", .help = "fogcolordesaturation_help",
     .helpId = "fogcolordesaturation", .min = 0, .max = 1, .unit = U::Percent, .switchedBy = &S::FogEnhancements,
     .definition = "MOX_FogColorDesaturation", .effects = {u"PostTrainVolumetricFog"}},
    {VANTREL_VALUE(FogDensityMultiplier), .defaultFloat = 1.0f, .preview = PreviewPass::Fog,
     .section = "fog", .place = 4, .label = "fogdensitymultiplier", .help = "fogdensitymultiplier_help",
     .helpId = "fogdensitymultiplier", .min = 0, .max = 2, .unit = U::Times, .decimals = 2,
     .switchedBy = &S::FogEnhancements,
     .definition = "MOX_FogDensityMultiplier", .effects = {u"PostTrainVolumetricFog"}},
    {VANTREL_SWITCH(ProceduralFloraEnhancements), .defaultBool = true,
     .section = "procflora", .place = 1, .label = "procfloraenhancements", .help = "procfloraenhancements_help",
     .helpId = "procflorahelp",
     .definition = "MOX_PROCFLORAENHANCEMENTS", .effects = {u"ProcFlora"}},
    {VANTREL_SWITCH(ProceduralFloraClumpSizeRandomization), .defaultBool = true,
     .section = "procflora", .place = 3, .label = "procfloraclumpsizerandomization",
     .help = "procfloraclumpsizerandomization_help", .helpId = "clumpsizerandomizationhelp",
     .switchedBy = &S::ProceduralFloraEnhancements,
     .definition = "MOX_ProcFloraClumpSizeRandomization", .effects = {u"ProcFlora"}},
    {VANTREL_SWITCH(ProceduralFloraSway), .defaultBool = true,
     .section = "procflora", .place = 2, .label = "procfloraswayanimation", .help = "procfloraswayanimation_help",
     .helpId = "swayanimationhelp", .switchedBy = &S::ProceduralFloraEnhancements,
     .definition = "MOX_ProcFloraSway", .effects = {u"ProcFlora"}},
    // Depends on the clump switch, which depends on the flora switch: both.
    {VANTREL_VALUE(ProceduralFloraRandomSizeMultiplier), .defaultFloat = 1.0f,
     .section = "procflora", .place = 4, .label = "procflorarandomsizemultiplier",
     .help = "procflorarandomsizemultiplier_help", .helpId = "randomsizemultiplierhelp", .min = 0.25f, .max = 2,
     .unit = U::Times, .decimals = 2, .switchedBy = &S::ProceduralFloraClumpSizeRandomization,
     .definition = "MOX_ProcFloraRandomSizeMultiplier", .effects = {u"ProcFlora"}},
    {VANTREL_VALUE(ProceduralFloraRenderDistance), .defaultFloat = 50.0f,
     .section = "procflora", .place = 5, .label = "procflorarenderdistance", .help = "procflorarenderdistance_help",
     .helpId = "clumpsrenderdistancehelp", .min = 0, .max = 50, .unit = U::Metres,
     .switchedBy = &S::ProceduralFloraEnhancements,
     .definition = "MOX_ProcFloraRenderDistance", .effects = {u"ProcFlora"}},
    {VANTREL_SWITCH(WeatherEffectsEnhancements), .defaultBool = true,
     .section = "weathereffectssky", .place = 1, .label = "weatherenhancements",
     .help = "weatherenhancements_help", .helpId = "weatherhelp",
     .definition = "MOX_WEATHEREFFECTSENHANCEMENTS", .effects = {u"Rain"}},
    // Kept from files and presets; no control.
    {VANTREL_SWITCH(DisableCloudsShadows), .defaultBool = false,
     .definition = "MOX_DISABLECLOUDSSHADOWS", .effects = {u"DeferredDirectional"}},
    {VANTREL_VALUE(WeatherEffectsRandomRainSnowMinimumOpacity), .defaultFloat = 0.75f,
     .section = "weathereffectssky", .place = 4, .label = "rainsnowminimumopacity",
     .help = "rainsnowminimumopacity_desc", .helpId = "rainsnowminimumopacityhelp", .min = 0, .max = 1,
     .unit = U::Percent, .switchedBy = &S::WeatherEffectsEnhancements,
     .definition = "MOX_WeatherEffectsRandomRainSnowMinimumOpacity", .effects = {u"Rain"}},
    {VANTREL_VALUE(SkyBrightnessMultiplier), .defaultFloat = 1.0f, .preview = PreviewPass::SkyDome,
     .section = "weathereffectssky", .place = 6, .label = "skybrightnessmultiplier",
     .help = "skybrightnessmultiplier_desc", .helpId = "skybrightnessmultiplierhelp", .min = 0, .max = 2,
     .unit = U::Times, .decimals = 2,
     .definition = "MOX_SkyBrightnessMultiplier", .effects = {u"TrainSkyDome"}},
    {VANTREL_VALUE(SkySunSizeMultiplier), .defaultFloat = 1.0f, .preview = PreviewPass::SkyDome,
     .section = "weathereffectssky", .place = 5, .label = "skysunsizemultiplier",
     .help = "skysunsizemultiplier_desc", .helpId = "skysunsizemultiplierhelp", .min = 0, .max = 2,
     .unit = U::Times, .decimals = 2,
     .definition = "MOX_SkySunSizeMultiplier", .effects = {u"TrainSkyDome"}},
    {VANTREL_SWITCH(LightGlowEnhancements), .defaultBool = true, .preview = PreviewPass::LightGlow,
     .section = "lightsources", .place = 1, .label = "lightglowenhancements", .help = "lightglowenhancements_help",
     .helpId = "lightglowhelp",
     .definition = "MOX_LIGHTGLOWENHANCEMENTS", .effects = {u"PostTrainLightGlow"}},
    {VANTREL_SWITCH(GlassRenderingEnhancements), .defaultBool = true,
     .section = "glassrendering", .place = 1, .label = "glassenhancements", .help = "glassenhancements_help",
     .helpId = "glasshelp",
     .definition = "MOX_GLASSRENDERINGENHANCEMENTS", .effects = {u"TrainGlass"}},
    {VANTREL_VALUE(GlassReflectionsIntensity), .defaultFloat = 1.0f,
     .section = "glassrendering", .place = 3, .label = "glassreflectionsintensity",
     .help = "glassreflectionsintensity_help", .helpId = "glassreflectionsintensity", .min = 0, .max = 2,
     .unit = U::Times, .decimals = 2, .switchedBy = &S::GlassRenderingEnhancements,
     .definition = "MOX_GlassReflectionsIntensity", .effects = {u"TrainGlass"}},
    {VANTREL_VALUE(GlassReflectionsColorDesaturation), .defaultFloat = 0.25f,
     .section = "glassrendering", .place = 4, .label = "glassreflectionscolordesaturation",
     .help = "glassreflectionscolordesaturation_help", .helpId = "glassreflectionscolordesaturation", .min = 0,
     .max = 1, .unit = U::Percent, .switchedBy = &S::GlassRenderingEnhancements,
     .definition = "MOX_GlassReflectionsColorDesaturation", .effects = {u"TrainGlass"}},
    // Only the rain glass reads it, but both glass effects are given it.
    {VANTREL_SWITCH(OverTintedGlassFix), .defaultBool = true,
     .section = "glassrendering", .place = 2, .label = "overtintedglassfix", .help = "overtintedglassfix_help",
     .helpId = "overtintedglassfixhelp",
     .definition = "MOX_OVERTINTEDGLASSFIX", .effects = {u"TrainGlass", u"TrainGlassWeatherEffects"}},
    {VANTREL_SWITCH(VegetationShadingEnhancements), .defaultBool = true,
     .section = "twodvegetation", .place = 1, .label = "vegetationenhancements",
     .help = "vegetationenhancements_help", .helpId = "2dvegetationhelp",
     .definition = "MOX_2DVEGETATIONSHADINGENHANCEMENTS",
     .effects = {u"TrainViewFacingFlora", u"TrainUprightViewFacingFlora"}},
    // The two amplitudes go to the upright flora only: the other keeps its own.
    {VANTREL_VALUE(VegetationMaxBrightnessVariationAmplitude), .defaultFloat = 0.2f,
     .section = "twodvegetation", .place = 2, .label = "vegetationmaxbrightnessvariationamplitude",
     .help = "vegetationmaxbrightnessvariationamplitude_help", .helpId = "vegetationmaxbrightnessamplitude_help",
     .min = 0, .max = 0.5f, .unit = U::Percent, .switchedBy = &S::VegetationShadingEnhancements,
     .definition = "MOX_VegetationMaxBrightnessVariationAmplitude", .effects = {u"TrainUprightViewFacingFlora"}},
    {VANTREL_VALUE(VegetationMaxColorVariationAmplitude), .defaultFloat = 0.25f,
     .section = "twodvegetation", .place = 3, .label = "vegetationmaxcolorvariationamplitude",
     .help = "vegetationmaxcolorvariationamplitude_help", .helpId = "vegetationmaxcoloramplitude_help", .min = 0,
     .max = 1, .unit = U::Percent, .switchedBy = &S::VegetationShadingEnhancements,
     .definition = "MOX_VegetationMaxColorVariationAmplitude", .effects = {u"TrainUprightViewFacingFlora"}},
    {VANTREL_SWITCH(DynamicCloudsEnhancements), .defaultBool = true,
     .section = "weathereffectssky", .place = 2, .label = "dynamiccloudsenhancements",
     .help = "dynamiccloudsenhancements_help", .helpId = "dynamiccloudshelp"},
    {VANTREL_VALUE(BloomIntensity), .defaultFloat = 1.0f, .preview = PreviewPass::PostChain,
     .section = "hdrbloom", .place = 2, .label = "bloomintensity", .help = "bloomintensity_help",
     .helpId = "bloomintensity_help", .min = 0, .max = 2, .unit = U::Times, .decimals = 2,
     .definition = "MOX_BloomIntensity", .effects = {u"Train_post_bloom"}},
    {VANTREL_VALUE(BloomColorDesaturation), .defaultFloat = 0.25f, .preview = PreviewPass::PostChain,
     .section = "hdrbloom", .place = 3, .label = "bloomcolordesaturation", .help = "bloomcolordesaturation_help",
     .helpId = "bloomcolordesaturation_help", .min = 0, .max = 1, .unit = U::Percent,
     .definition = "MOX_BloomColorDesaturation", .effects = {u"Train_post_bloom"}},
    {VANTREL_VALUE(HDRExposure), .defaultFloat = 1.0f, .preview = PreviewPass::PostChain,
     .section = "hdrbloom", .place = 1, .label = "hdrexposure", .help = "hdrexposure_help",
     .helpId = "hdrexposure_help", .min = 0.5f, .max = 2, .unit = U::Times, .decimals = 2,
     .definition = "MOX_HDRExposure", .effects = {u"Train_post_bloom"}},
    {VANTREL_SWITCH(DynamicCloudsPerformanceFix), .defaultBool = true,
     .section = "weathereffectssky", .place = 3, .label = "dynamiccloudsperffix",
     .help = "dynamiccloudsperffix_help", .helpId = "dynamiccloudsperffixhelp"},
    // The exponent of the mid-tones' curve.
    {VANTREL_VALUE(Gamma), .defaultFloat = 1.0f, .preview = PreviewPass::PostChain,
     .section = "imagecolors", .place = 2, .label = "gamma", .help = "gamma_help", .helpId = "gamma_help",
     .min = 0, .max = 2, .unit = U::None, .decimals = 2,
     .definition = "MOX_Gamma", .effects = {u"Train_post_bloom"}},
    {VANTREL_VALUE(ImageSharpness), .defaultFloat = 1.0f, .preview = PreviewPass::PostChain,
     .section = "imagecolors", .place = 3, .label = "imagesharpness", .help = "imagesharpness_help",
     .helpId = "imagesharpness_help", .min = 0, .max = 2, .unit = U::Times, .decimals = 2,
     .definition = "MOX_ImageSharpness", .effects = {u"Train_post_bloom"}},
    {VANTREL_VALUE(ImageContrast), .defaultFloat = 1.0f, .preview = PreviewPass::PostChain,
     .section = "imagecolors", .place = 4, .label = "imagecontrastboostmultiplier",
     .help = "imagecontrastboostmultiplier_help", .helpId = "contrastboost_help", .min = 0, .max = 2,
     .unit = U::Times, .decimals = 2,
     .definition = "MOX_ImageContrast", .effects = {u"Train_post_bloom"}},
    // Negative takes colour out.
    {VANTREL_VALUE(ColorVibrance), .defaultFloat = 0.0f, .preview = PreviewPass::PostChain,
     .section = "imagecolors", .place = 5, .label = "colorvibrance", .help = "colorvibrance_help",
     .helpId = "colorvibrance_help", .min = -0.5f, .max = 0.5f, .unit = U::Percent,
     .definition = "MOX_ColorVibrance", .effects = {u"Train_post_bloom"}},
    {VANTREL_VALUE(ImageGrayLevel), .defaultFloat = 0.0f, .preview = PreviewPass::PostChain,
     .section = "imagecolors", .place = 6, .label = "imagegraylevel", .help = "imagegraylevel_help",
     .helpId = "imagegraylevel_help", .min = 0, .max = 1, .unit = U::Percent,
     .definition = "MOX_ImageGrayLevel", .effects = {u"Train_post_bloom"}},
    {VANTREL_VALUE(ImageSepiaLevel), .defaultFloat = 0.0f, .preview = PreviewPass::PostChain,
     .section = "imagecolors", .place = 7, .label = "imagesepialevel", .help = "imagesepialevel_help",
     .helpId = "imagesepia_help", .min = 0, .max = 1, .unit = U::Percent,
     .definition = "MOX_ImageSepiaLevel", .effects = {u"Train_post_bloom"}},
    {VANTREL_SWITCH(ColorBandingFix), .defaultBool = true, .preview = PreviewPass::PostChain,
     .section = "imagecolors", .place = 1, .label = "colorbandingfix", .help = "colorbandingfix_help",
     .helpId = "colorbandingfixhelp",
     .definition = "MOX_COLORBANDINGFIX", .effects = {u"Train_post_bloom"}},
}};

// The tab's sections, top to bottom. The weather add-on brings its own fog,
// glass, sky and rain: while it is installed, a notice says so where those
// controls were.
constexpr ParamSection kSections[] = {
    {.key = "ssaoeffect"},
    {.key = "reflections"},
    {.key = "dof"},
    {.key = "fog", .addOnNotice = "weatheraddon_fog", .addOnTakesAll = true},
    {.key = "procflora"},
    {.key = "weathereffectssky", .addOnNotice = "weatheraddon_weather"},
    {.key = "lightsources"},
    {.key = "glassrendering", .addOnNotice = "weatheraddon_glass", .addOnTakesAll = true},
    {.key = "fxaa"},
    {.key = "twodvegetation"},
    {.key = "hdrbloom", .previewFirst = true},
    {.key = "imagecolors"},
};

// What the add-on takes over in the weather section, where the dynamic cloud
// switches stay (they choose what the sky override file says). The rain
// opacity goes with the weather switch it depends on.
constexpr std::string_view kLeftToWeatherAddOn[] = {"WeatherEffectsEnhancements", "SkySunSizeMultiplier",
                                                    "SkyBrightnessMultiplier"};

// The orders in which the templates were written to find their definitions.
struct EffectOrder {
    const char16_t* effect;
    std::array<const char*, 2> first;
};
constexpr EffectOrder kWrittenFirst[] = {
    {u"DeferredDirectional", {"SunShadowsEnhancements", "DisableCloudsShadows"}},
    {u"PostTrainVolumetricFog", {"FogEnhancements", "FogDensityMultiplier"}},
    {u"ProcFlora", {"ProceduralFloraEnhancements", "ProceduralFloraSway"}},
    {u"PostTrainLightGlow", {"LightGlowEnhancements"}},
    {u"TrainUprightViewFacingFlora", {"VegetationShadingEnhancements", "VegetationMaxColorVariationAmplitude"}},
    {u"Train_post_bloom", {"HDRExposure"}},
    {u"TrainSkyDome", {"SkySunSizeMultiplier"}},
};

}  // namespace

std::span<const ParamDesc> ShaderParamTable() { return kParams; }

const ParamDesc* FindParam(std::string_view name) {
    for (const ParamDesc& param : kParams) {
        if (name == param.name) return &param;
    }
    return nullptr;
}

void ApplyDefault(ShaderSettings& shader, const ParamDesc& param) {
    switch (param.kind) {
        case ParamKind::Bool: shader.*param.boolField = param.defaultBool; break;
        case ParamKind::Float: shader.*param.floatField = param.defaultFloat; break;
        case ParamKind::Tint: shader.*param.tintField = ColorTint{}; break;
    }
}

const ParamDesc* SwitchOf(const ParamDesc& param) {
    if (!param.switchedBy) return nullptr;
    for (const ParamDesc& row : kParams) {
        if (row.boolField == param.switchedBy) return &row;
    }
    return nullptr;
}

bool SwitchedOn(const ShaderSettings& shader, const ParamDesc& param) {
    for (const ParamDesc* row = SwitchOf(param); row; row = SwitchOf(*row)) {
        if (!(shader.*row->boolField)) return false;
    }
    return true;
}

bool Feeds(const ParamDesc& param, std::u16string_view effect) {
    return std::any_of(param.effects.begin(), param.effects.end(),
                       [&](const char16_t* fed) { return fed && effect == fed; });
}

std::span<const ParamSection> ParamSections() { return kSections; }

bool LeftToWeatherAddOn(const ParamDesc& param) {
    return std::find(std::begin(kLeftToWeatherAddOn), std::end(kLeftToWeatherAddOn), param.name) !=
           std::end(kLeftToWeatherAddOn);
}

std::span<const char* const> DefinitionsFirst(std::u16string_view effect) {
    for (const EffectOrder& order : kWrittenFirst) {
        if (effect != order.effect) continue;
        const auto end = std::find(order.first.begin(), order.first.end(), nullptr);
        return {order.first.begin(), end};
    }
    return {};
}

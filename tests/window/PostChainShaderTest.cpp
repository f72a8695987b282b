// The preview held against the shaders the install compiles, run through
// OpenGL on Xvfb (D3D9OnGl.h) in the game's order, for the defaults, every
// switch off and each previewed slider at both ends: each step, fed its pass's
// input, gives the shader's output within a step. Edge smoothing compares
// 8-bit values that can tie: there the GPU's answer must be one of the shader's.

#include <cstdio>

#define GL_GLEXT_PROTOTYPES 1
#include <SDL.h>
#include <SDL_opengl.h>

#include "app/Platform.h"
#include "preview/GameInputs.h"
#include "preview/PostChainSteps.h"
#include "preview/PreviewRun.h"
#include "preview/SceneEffects.h"
#include "settings/SettingsTable.h"
#include "shaders/Definitions.h"
#include "shaders/ShaderTemplates.h"
#include "tests/support/TestEnv.h"
#include "tests/window/D3D9OnGl.h"
#include "ui/UiHost.h"

namespace {

// The view every full-size target has.
const int kWidth = 384, kHeight = 216;

// The effects in the order the game runs them, each with the technique the
// preview follows.
struct PreviewedEffect {
    const char* name;
    const char* technique;
    PreviewPass pass;
};
const PreviewedEffect kEffects[] = {{"TrainSkyDome", "DEFERRED", PreviewPass::SkyDome},
                                    {"PostTrainVolumetricFog", "HIGH", PreviewPass::Fog},
                                    {"PostTrainLightGlow", "HIGH", PreviewPass::LightGlow},
                                    {"PostDepthOfField", "DepthOfField", PreviewPass::DepthOfField},
                                    {"PostProcessFXAA", "FXAA", PreviewPass::EdgeSmoothing},
                                    {"Train_post_bloom", "AdaptiveBloom", PreviewPass::PostChain}};

std::vector<float> Four(float x, float y = 0, float z = 0, float w = 0) { return {x, y, z, w}; }
std::vector<float> Four(const float (&v)[4]) { return {v[0], v[1], v[2], v[3]}; }

// What the game sets in the effects' constants: the scene's view, camera and
// sun, and the preview's choice of the rest.
std::map<std::string, std::vector<float>> Constants(const PreviewScene& scene) {
    const GameInputs& game = kGameInputs;
    const SceneCamera& camera = scene.camera;
    std::vector<float> inverseView;  // column by column: the registers of a column-major matrix
    for (int column = 0; column < 4; ++column)
        for (int row = 0; row < 4; ++row) inverseView.push_back(camera.inverseView[row][column]);
    const std::vector<float> view = Four(kWidth, kHeight, 1.0f / kWidth, 1.0f / kHeight);
    return {{"gViewSize", view},
            {"gDeferredViewSize", view},
            {"gDeferredProjectionParams", Four(camera.projection[0], camera.projection[1], 0.5f, 10000.0f)},
            {"gInverseView", inverseView},
            {"gSunDirection", Four(camera.sunDirection)},
            {"gSunColour", Four(camera.sunColour)},
            {"gFogColour", Four(game.fogColour)},
            {"gFogParams", Four(game.fogParams)},
            {"gVolumetricFogParams", Four(game.volumetricFogParams)},
            {"gDOFFocusDepth", Four(game.dofFocusDepth)},
            {"gDOFMaxCoC", Four(game.dofMaxCircleOfConfusion)},
            {"gDOFParams", Four(game.dofParams)},
            {"gLightGlowIntensity", Four(game.lightGlowIntensity)},
            {"gSkySunParams", Four(game.skySunParams)},
            {"gFXAARcpFrame", Four(game.fxaaGameRcpFrame[0], game.fxaaGameRcpFrame[1])},
            {"gFXAAEdgeThreshold", Four(game.fxaaEdgeThreshold)},
            {"gFXAAEdgeThresholdMin", Four(game.fxaaEdgeThresholdMin)},
            {"gFrameTime", Four(0.016f)}};
}

// The defaults, every switch off, the banding fix off, each previewed slider
// at both ends of its range, the glow tint black and coloured.
std::vector<std::pair<std::string, ShaderSettings>> Cases() {
    std::vector<std::pair<std::string, ShaderSettings>> cases = {
        {"defaults", {}}, {"every switch off", {}}, {"ColorBandingFix=off", {}}};
    for (const ParamDesc& p : ShaderParamTable())
        if (p.kind == ParamKind::Bool) cases[1].second.*p.boolField = false;
    cases[2].second.ColorBandingFix = false;
    for (const ParamDesc& p : ShaderParamTable()) {
        if (p.preview == PreviewPass::None) continue;
        if (p.kind == ParamKind::Float)
            for (float value : {p.min, p.max}) {
                cases.push_back({p.name + ("=" + std::to_string(value).substr(0, 4)), {}});
                cases.back().second.*p.floatField = value;
            }
        if (p.kind == ParamKind::Tint)
            for (const ColorTint& tint : {ColorTint{0, 0, 0}, ColorTint{1.0f, 0.5f, 0.25f}}) {
                cases.push_back({p.name + ("=" + std::to_string(tint.g).substr(0, 4)), {}});
                cases.back().second.*p.tintField = tint;
            }
    }
    return cases;
}

RgbaImage Image(const PostTarget& t) { return ImageFromTarget(t); }
PostTarget Target(const RgbaImage& i) { return TargetFromImage(i); }

// A pixel's colour within a step of another.
bool Near(const RgbaImage& a, size_t pixel, const uint8_t* colour) {
    for (size_t c = 0; c < 3; ++c)
        if (std::abs(int(a.pixels[pixel * 4 + c]) - int(colour[c])) > 1) return false;
    return true;
}
bool Near(const RgbaImage& a, const RgbaImage& b, size_t pixel) { return Near(a, pixel, &b.pixels[pixel * 4]); }

// Edge smoothing on the shader's input: where the GPU's pixel is not the
// preview's, it must be one of the shader's other answers where its
// comparisons tie (the GPU's rounding picks the branch); that answer then
// stands for the preview's.
RgbaImage SmoothingAnswers(const PostTarget& frame, const ShaderSettings& s, const RgbaImage& gpu) {
    RgbaImage answers = ImageFromTarget(SceneStep::Fxaa(frame, s));
    for (int y = 0; y < frame.height; ++y)
        for (int x = 0; x < frame.width; ++x) {
            const size_t pixel = size_t(y) * frame.width + x;
            if (Near(gpu, answers, pixel)) continue;
            for (const auto& colour : SceneStep::FxaaAnswers(frame, s, x, y)) {
                if (!Near(gpu, pixel, colour.data())) continue;
                std::copy_n(colour.begin(), 3, answers.pixels.begin() + pixel * 4);
                break;
            }
        }
    return answers;
}

// The shader's chain goes on from the preview's edge smoothing where the two
// took other branches: edge smoothing decides by comparisons of 8-bit values,
// and where a pass before it rounded a value to the neighbouring step (or the
// GPU broke a tie), a comparison may come out the other way. Counts them.
RgbaImage Aligned(const RgbaImage& shader, const RgbaImage& preview, size_t& flipped) {
    RgbaImage aligned = shader;
    for (size_t pixel = 0; pixel * 4 < shader.pixels.size(); ++pixel) {
        if (Near(shader, preview, pixel)) continue;
        std::copy_n(preview.pixels.begin() + pixel * 4, 4, aligned.pixels.begin() + pixel * 4);
        ++flipped;
    }
    return aligned;
}

// Each pass of an effect computed by the preview from what the shader's pass
// got: the frame the effect found and the targets of the earlier passes.
std::vector<RgbaImage> StepsAlone(PreviewPass pass, const PreviewScene& scene, const ShaderSettings& s,
                                  const RgbaImage& frameIn, const GlRun& gpu, const EffectBuild& build) {
    using namespace SceneStep;
    const PostTarget frame = Target(frameIn);
    auto after = [&](const std::string& name) {
        for (size_t n = 0; n < build.passes.size(); ++n)
            if (build.passes[n].name == name) return Target(gpu.afterPass[n]);
        return PostTarget();
    };
    std::map<std::string, RgbaImage> steps;
    switch (pass) {
        case PreviewPass::SkyDome: steps["P0"] = Image(SkyDome(scene, frame, s)); break;
        case PreviewPass::Fog: steps["P0"] = Image(VolumetricFog(scene, frame, s)); break;
        case PreviewPass::LightGlow:
            if (s.LightGlowEnhancements) {
                steps["Composite"] = Image(GlowDirect(scene, frame, s));
            } else {
                steps["Mask"] = Image(GlowMask(scene, frame));
                steps["BlurH"] = Image(GlowBlurHigh(after("Mask"), kWidth, kHeight, false));
                steps["BlurV"] = Image(GlowBlurHigh(after("BlurH"), kWidth, kHeight, true));
                steps["Composite"] = Image(GlowComposite(frame, after("BlurV")));
            }
            break;
        case PreviewPass::DepthOfField:
            steps["CopyScene"] = Image(DofCopy(frame, s));
            steps["Blur"] = Image(DofBlur(scene, frame, after("CopyScene"), s));
            break;
        case PreviewPass::EdgeSmoothing: steps["P0"] = SmoothingAnswers(frame, s, gpu.afterPass[0]); break;
        case PreviewPass::PostChain: {
            std::array<PostTarget, kBloomLevels> bloom;
            for (int level = 0; level < kBloomLevels; ++level) {
                const std::string name = "Bloom" + std::to_string(level + 1);
                bloom[level] = after(name);
                steps[name] = Image(PostStep::Bloom(level == 0 ? frame : after("Bloom" + std::to_string(level)),
                                                    kWidth, kHeight, level));
            }
            PostChainState state;
            steps["Reduce"] = Image(PostStep::Reduce(frame));
            steps["Luminance"] = Image(PostStep::Luminance(after("Reduce")));
            steps["Present"] = Image(PostStep::Present(frame, bloom, after("Luminance"), s));
            steps["Sharpen"] = Image(PostStep::Sharpen(after("Present"), s.ImageSharpness));
            steps["HDR"] = Image(PostStep::Hdr(after("Sharpen"), s.HDRExposure));
            steps["Final"] = Image(PostStep::Final(after("HDR"), s.ColorBandingFix, state));
            break;
        }
        case PreviewPass::None: break;
    }
    std::vector<RgbaImage> ordered;
    for (const EffectPass& p : build.passes) ordered.push_back(steps.count(p.name) ? steps.at(p.name) : RgbaImage());
    return ordered;
}

// The preview's frames one step after the other, each pass's target in the
// chain: what the shaders' passes are held against along the way.
std::vector<std::vector<RgbaImage>> StepsInChain(const PreviewScene& scene, const ShaderSettings& s,
                                                 const std::vector<const EffectBuild*>& builds, RgbaImage& last) {
    using namespace SceneStep;
    std::vector<std::vector<RgbaImage>> chain;
    PostTarget frame = scene.colour;
    for (size_t e = 0; e < std::size(kEffects); ++e) {
        std::map<std::string, RgbaImage> steps;
        switch (kEffects[e].pass) {
            case PreviewPass::SkyDome: frame = SkyDome(scene, frame, s); break;
            case PreviewPass::Fog: frame = VolumetricFog(scene, frame, s); break;
            case PreviewPass::LightGlow:
                if (!s.LightGlowEnhancements) {
                    const PostTarget mask = GlowMask(scene, frame), blurH = GlowBlurHigh(mask, kWidth, kHeight, false);
                    steps = {{"Mask", Image(mask)}, {"BlurH", Image(blurH)}};
                    steps["BlurV"] = Image(GlowBlurHigh(blurH, kWidth, kHeight, true));
                }
                frame = LightGlow(scene, frame, s);
                break;
            case PreviewPass::DepthOfField: {
                const PostTarget copy = DofCopy(frame, s);
                steps["CopyScene"] = Image(copy);
                frame = DofBlur(scene, frame, copy, s);
                break;
            }
            case PreviewPass::EdgeSmoothing: frame = Fxaa(frame, s); break;
            case PreviewPass::PostChain: {
                PostChainTargets t;
                frame = Target(RunPostChain(Image(frame), s, &t));
                steps = {{"Reduce", t.reduce}, {"Luminance", t.luminance}, {"Present", t.present},
                         {"Sharpen", t.sharpen}, {"HDR", t.hdr}};
                for (int level = 0; level < kBloomLevels; ++level)
                    steps["Bloom" + std::to_string(level + 1)] = t.bloom[level];
                break;
            }
            case PreviewPass::None: break;
        }
        std::vector<RgbaImage> ordered;
        for (const EffectPass& p : builds[e]->passes)
            ordered.push_back(steps.count(p.name) ? steps.at(p.name) : Image(frame));  // the back buffer's passes
        chain.push_back(ordered);
    }
    last = Image(frame);
    return chain;
}

}  // namespace

TEST(PostChainShader, ThePreviewComputesWhatTheInstalledShadersCompute) {
    const std::string tool = VANTREL_VKD3D_COMPILER;
    ASSERT_TRUE(fs::exists(tool)) << "run scripts/setup-vkd3d.sh";
    ASSERT_FALSE(LocateExecutable(u"spirv-cross").empty()) << "spirv-cross is not on the search path";
    // llvmpipe's fast path filters 8-bit textures in 8-bit fixed point, coarser
    // than any GPU; its float path filters as GPUs do.
    setenv("GALLIVM_PERF", "no_aos_sampling", 1);
    ASSERT_TRUE(UiHostCreateDisplay()) << "no OpenGL window: " << SDL_GetError();
    PrepareGl();
    for (size_t e = 0; e < std::size(kEffects); ++e) ASSERT_EQ(kEffects[e].pass, kPreviewOrder[e]) << e;

    // Every case's effects, as the install writes them; every shader of the
    // techniques compiled (a source met again is built once).
    const auto cases = Cases();
    ASSERT_EQ(cases.size(), 37u) << "a previewed slider lost its preview step";
    TempDir work;
    EffectBuilder builder(work.path, kWidth, kHeight);
    std::vector<std::vector<const EffectBuild*>> builds(cases.size());
    for (size_t n = 0; n < cases.size(); ++n)
        for (const PreviewedEffect& effect : kEffects) {
            const std::u16string name = Utf8ToWide(effect.name);
            const ShaderTemplate* t = FindShaderTemplate(name);
            ASSERT_NE(t, nullptr) << effect.name;
            const std::string source =
                BuildEffectSource(std::string(t->text), BuildDefinitionList(name, cases[n].second));
            builds[n].push_back(builder.Add(effect.name, source, effect.technique));
        }
    builder.Run();

    const PreviewScene scene = MakePreviewScene(kWidth, kHeight);
    GlRunInputs base;
    base.width = kWidth;
    base.height = kHeight;
    base.depth = scene.depth;
    base.material = {kWidth, kHeight, std::vector<uint8_t>(size_t(kWidth) * kHeight * 4, 0)};
    for (size_t i = 0; i < scene.emissive.size(); ++i) base.material.pixels[i * 4 + 3] = scene.emissive[i];
    base.constants = Constants(scene);
    GlRunInputs sky = base;  // the dome's pixel shader on every pixel of the sky, with its inputs
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            if (scene.Depth(x, y) > 0.0f) continue;
            const SkyDomeInput in = SkyDomeInputAt(scene.camera, kWidth, kHeight, x, y);
            sky.points.emplace_back(x, y);
            for (float v : {in.colour[0], in.colour[1], in.colour[2], 1.0f}) sky.pointInputs["color0"].push_back(v);
            for (float v : {in.direction[0], in.direction[1], in.direction[2], 0.0f})
                sky.pointInputs["texcoord0"].push_back(v);
        }

    for (size_t n = 0; n < cases.size(); ++n) {
        const auto& [label, s] = cases[n];
        SCOPED_TRACE(label);
        RgbaImage whole;
        const auto chain = StepsInChain(scene, s, builds[n], whole);
        EXPECT_EQ(whole.pixels, RunPreviewOnce(scene, s).pixels) << "the preview runs its steps in another order";
        // The shaders, effect after effect, each on the back buffer the one
        // before left.
        std::vector<GlRun> gpu;
        std::vector<RgbaImage> frames = {Image(scene.colour)};
        size_t flipped = 0;
        for (size_t e = 0; e < std::size(kEffects); ++e) {
            GlRunInputs in = kEffects[e].pass == PreviewPass::SkyDome ? sky : base;
            in.frame = frames.back();
            // The luminance pass's blend over earlier frames: a still picture has settled.
            if (kEffects[e].pass == PreviewPass::PostChain) in.unblended = {"Luminance"};
            gpu.push_back(RunOnGl(*builds[n][e], in));
            ASSERT_EQ(gpu.back().error, "") << kEffects[e].name;
            ASSERT_EQ(gpu.back().afterPass.size(), builds[n][e]->passes.size());
            frames.push_back(gpu.back().backBuffer);
            if (kEffects[e].pass == PreviewPass::EdgeSmoothing)
                frames.back() = Aligned(frames.back(), chain[e][0], flipped);
        }
        // The post chain on the shaders' own frame, every target kept.
        PostChainTargets post;
        RunPostChain(frames[std::size(kEffects) - 1], s, &post);

        // The agreement table: per pass, its largest step alone / in the chain.
        std::string line = label + ":";
        for (size_t e = 0; e < std::size(kEffects); ++e) {
            const EffectBuild& build = *builds[n][e];
            const bool smoothing = kEffects[e].pass == PreviewPass::EdgeSmoothing;
            const bool postChain = kEffects[e].pass == PreviewPass::PostChain;
            const std::vector<RgbaImage> alone =
                StepsAlone(kEffects[e].pass, scene, s, frames[e], gpu[e], build);
            for (size_t p = 0; p < build.passes.size(); ++p) {
                const std::string& pass = build.passes[p].name;
                const RgbaImage& expected = gpu[e].afterPass[p];
                ASSERT_FALSE(alone[p].pixels.empty()) << "no step of the preview for pass " << pass << " of "
                                                      << kEffects[e].name;
                const ImageDifference single = Difference(expected, alone[p]);
                const ImageDifference chained = Difference(smoothing ? frames[e + 1] : expected, chain[e][p]);
                line += " " + pass + " " + std::to_string(single.largest) + "/" + std::to_string(chained.largest);
                // A pass fed the shader's own input gives its output up to a
                // rounding step; the banding fix's threshold may then tip one more.
                const bool banding = postChain && pass == "Final" && s.ColorBandingFix;
                EXPECT_LE(single.largest, banding ? 2 : 1) << kEffects[e].name << ": " << pass;
                // Along the preview's own chain the effects before the post
                // chain stay within two steps. The post chain carries a step it
                // is handed (a value an earlier effect rounded the other way)
                // through its gains (contrast and gamma 1.1, the sharpen gain up
                // to 1.9, the HDR power 1.2) and the banding fix's switch to a
                // mean up to 2.3 steps away: up to 6 steps, on few channels.
                EXPECT_LE(chained.largest, postChain ? 6 : 2) << kEffects[e].name << ": " << pass;
                EXPECT_LE(chained.overTwo, chained.channels / 1000) << kEffects[e].name << ": " << pass;
                if (!postChain) continue;
                // On the shaders' own frame, a step grows only where the exact
                // value lies on a half step (the sharpen weights make exact ties
                // on grey pixels, which the GPU's coordinate rounding breaks
                // either way): to 4 steps at the back buffer on very few channels.
                const std::map<std::string, const RgbaImage*> targets = {
                    {"Reduce", &post.reduce}, {"Luminance", &post.luminance}, {"Present", &post.present},
                    {"Sharpen", &post.sharpen}, {"HDR", &post.hdr}, {"Final", &post.final}};
                const RgbaImage& own = pass.rfind("Bloom", 0) == 0 ? post.bloom[std::stoi(pass.substr(5)) - 1]
                                                                   : *targets.at(pass);
                const ImageDifference onShaderFrame = Difference(expected, own);
                EXPECT_LE(onShaderFrame.largest, 4) << kEffects[e].name << ": " << pass;
                EXPECT_LE(onShaderFrame.overTwo, onShaderFrame.channels / 1000) << kEffects[e].name << ": " << pass;
            }
        }
        // Few pixels: the effects before edge smoothing stay within a step or two.
        EXPECT_LE(flipped, size_t(kWidth * kHeight / 500)) << "pixels where edge smoothing took other branches";
        const ImageDifference preview = Difference(frames.back(), whole);
        // The whole preview against the shaders run one after another: the
        // post chain's gains carry a step handed to it (see above).
        EXPECT_LE(preview.largest, 6) << "the whole preview";
        EXPECT_LE(preview.overTwo, preview.channels / 1000) << "the whole preview";
        std::printf("%s | whole %d, %zu of %zu channels beyond 2\n", line.c_str(), preview.largest, preview.overTwo,
                    preview.channels);
    }
}

// The preview's worker and its kept frames: the newest request wins, nothing
// is computed twice, and any order of edits gives a fresh run's picture.

#include <random>

#include "preview/PreviewPicture.h"
#include "preview/PreviewWorker.h"
#include "settings/SettingsTable.h"
#include "tests/support/TestEnv.h"

namespace {

// Takes every result until the worker is idle.
std::vector<PreviewResult> Drain() {
    std::vector<PreviewResult> results;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < deadline) {
        PreviewResult r;
        if (PreviewTakeResult(r)) results.push_back(r);
        if (!PreviewBusy()) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return results;
}

ShaderSettings WithGamma(float gamma) {
    ShaderSettings s;
    s.Gamma = gamma;
    return s;
}

size_t StepIndex(PreviewPass pass) {
    return size_t(std::find(kPreviewOrder.begin(), kPreviewOrder.end(), pass) - kPreviewOrder.begin());
}

// A value other than the current one for a parameter of the table, within its usual range.
void Change(ShaderSettings& s, const ParamDesc& p, std::mt19937& random) {
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    switch (p.kind) {
        case ParamKind::Bool: s.*p.boolField = !(s.*p.boolField); break;
        case ParamKind::Float:
            s.*p.floatField =
                p.floatField == &ShaderSettings::DOFNearPlane ? 1.0f + 999.0f * unit(random) : 2.0f * unit(random);
            break;
        case ParamKind::Tint: s.*p.tintField = {unit(random), unit(random), unit(random)}; break;
    }
}

}  // namespace

TEST(PreviewWorker, TheNewestRequestWinsARepeatOrAnUnshownEditIsNotComputedAndAnySizeComesOutWhole) {
    PreviewStop();
    PreviewSetPicture(nullptr);
    // Three requests in a row: the first starts, the second is replaced by
    // the third before the first is done.
    PreviewRequest(WithGamma(0.5f), 640);
    PreviewRequest(WithGamma(0.8f), 640);
    PreviewRequest(WithGamma(1.2f), 640);
    EXPECT_TRUE(PreviewBusy());
    std::vector<PreviewResult> results = Drain();
    ASSERT_FALSE(results.empty());
    ASSERT_LE(results.size(), 2u);
    const PreviewResult& last = results.back();
    EXPECT_EQ(last.settings, WithGamma(1.2f));
    EXPECT_EQ(last.screenshot, nullptr);
    EXPECT_TRUE(last.hasScene);
    ASSERT_TRUE(last.image && last.before);
    EXPECT_EQ(last.image->width, 640);
    EXPECT_EQ(last.image->height, 360);
    const PreviewScene scene = MakePreviewScene(640, 360);
    EXPECT_EQ(last.image->pixels, RunPreviewOnce(scene, WithGamma(1.2f)).pixels);
    EXPECT_EQ(last.before->pixels, ImageFromTarget(scene.colour).pixels);
    for (const PreviewResult& r : results) EXPECT_NE(r.settings, WithGamma(0.8f));

    PreviewRequest(WithGamma(1.2f), 640);
    EXPECT_FALSE(PreviewBusy()) << "the newest request repeated is computed again";
    ShaderSettings unshown = WithGamma(1.2f);
    unshown.SSAO = !unshown.SSAO;
    unshown.PointLightColorTint = {0.5f, 0.5f, 0.5f};
    PreviewRequest(unshown, 640);
    EXPECT_FALSE(PreviewBusy()) << "an edit the preview does not show is computed";

    // Other widths of the scene, and of a screenshot, which is never enlarged:
    // pictures of any size and aspect (rows and reads near the edges are
    // padded) come out whole, from one thread as from several.
    auto shot = std::make_shared<const RgbaImage>(ImageFromTarget(MakePreviewScene(301, 77).colour));
    const ShaderSettings wide = [] {
        ShaderSettings s = WithGamma(1.2f);
        s.HDRExposure = 2.0f;
        s.DOFNearPlane = 1.0f;
        return s;
    }();
    for (const auto& [picture, width, expected] :
         {std::tuple(shot, 5000, std::pair(301, 77)), std::tuple(shot, 150, std::pair(150, 38)),
          std::tuple(std::shared_ptr<const RgbaImage>(), 67, std::pair(67, 37)),
          std::tuple(std::shared_ptr<const RgbaImage>(), 1, std::pair(1, 1)),
          std::tuple(std::shared_ptr<const RgbaImage>(), 1279, std::pair(1279, 719))}) {
        SCOPED_TRACE(std::to_string(width) + (picture ? " of a screenshot" : " of the scene"));
        PreviewSetPicture(picture);
        PreviewRequest(wide, width);
        results = Drain();
        ASSERT_EQ(results.size(), 1u);
        const RgbaImage& image = *results[0].image;
        ASSERT_EQ(std::pair(image.width, image.height), expected);
        EXPECT_EQ(results[0].hasScene, picture == nullptr);
        const PreviewScene input = PreviewSceneAt(picture.get(), width);
        EXPECT_EQ(image.pixels, RunPreviewOnce(input, wide, 1).pixels);
        EXPECT_EQ(image.pixels, RunPreviewOnce(input, wide, 3).pixels);
    }
    PreviewStop();
}

TEST(PreviewRun, ASliderRecomputesItsStepAndThoseAfterItAndEveryOrderOfEditsGivesAFreshRunsPicture) {
    const auto scene = std::make_shared<const PreviewScene>(MakePreviewScene(160, 90));
    const auto shot = std::make_shared<const PreviewScene>(SceneFromPicture(ImageFromTarget(scene->colour)));
    PreviewCache cache;
    ShaderSettings settings;
    PreviewTimings time;
    RunPreview(scene, settings, cache, &time);
    for (size_t n = 0; n < kPreviewOrder.size(); ++n) EXPECT_TRUE(time.computed[n]) << n;
    RunPreview(scene, settings, cache, &time);
    for (size_t n = 0; n < kPreviewOrder.size(); ++n) EXPECT_FALSE(time.computed[n]) << n;

    // Every parameter the preview shows, one after the other: its step and
    // those after it run, none before. A screenshot now and then runs the
    // picture-only steps; the scene again runs them all.
    std::mt19937 random(7);
    int edits = 0;
    for (int round = 0; round < 2; ++round) {
        for (const ParamDesc& p : ShaderParamTable()) {
            if (p.preview == PreviewPass::None) continue;
            SCOPED_TRACE(std::string(p.name) + " in round " + std::to_string(round));
            Change(settings, p, random);
            const auto& input = ++edits % 9 == 0 ? shot : scene;
            const RgbaImage image = ImageFromTarget(RunPreview(input, settings, cache, &time));
            EXPECT_EQ(image.pixels, RunPreviewOnce(*input, settings).pixels);
            if (input != scene || edits % 9 == 1) continue;  // after a picture change every step runs
            for (size_t n = 0; n < kPreviewOrder.size(); ++n)
                EXPECT_EQ(time.computed[n], n >= StepIndex(p.preview)) << n;
        }
    }
    EXPECT_EQ(PreviewedSettingCount(), 22);
    for (PreviewPass pass : kPreviewOrder) {
        EXPECT_TRUE(PreviewRunsPass(pass, *scene));
        EXPECT_EQ(PreviewRunsPass(pass, *shot), pass == PreviewPass::EdgeSmoothing || pass == PreviewPass::PostChain);
    }
}

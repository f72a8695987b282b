// The preview's worker and pictures: the newest request wins over older ones
// not yet started, a repeat is not computed again, the worker's cores give the
// picture one gives, whatever its size.

#include "preview/PreviewPicture.h"
#include "preview/PreviewScene.h"
#include "preview/PreviewWorker.h"
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

PostChainSettings WithGamma(float gamma, float hdrExposure = PostChainSettings().HDRExposure) {
    PostChainSettings s;
    s.Gamma = gamma;
    s.HDRExposure = hdrExposure;
    return s;
}

}  // namespace

TEST(PreviewWorker, TheNewestRequestWinsAndARepeatIsNotComputedAgain) {
    PreviewStop();
    auto scene = std::make_shared<const RgbaImage>(MakePreviewScene(1280, 720));
    PreviewSetScene(scene);
    // Three requests in a row: the first starts, the second is replaced by
    // the third before the first is done.
    PreviewRequest(WithGamma(0.5f));
    PreviewRequest(WithGamma(0.8f));
    PreviewRequest(WithGamma(1.2f));
    EXPECT_TRUE(PreviewBusy());
    std::vector<PreviewResult> results = Drain();
    ASSERT_FALSE(results.empty());
    ASSERT_LE(results.size(), 2u);
    EXPECT_EQ(results.back().settings, WithGamma(1.2f));
    EXPECT_EQ(results.back().scene, scene);
    ASSERT_TRUE(results.back().image);
    EXPECT_EQ(results.back().image->width, 1280);
    EXPECT_EQ(results.back().image->pixels, RunPostChain(*scene, WithGamma(1.2f)).pixels);
    for (const PreviewResult& r : results) EXPECT_NE(r.settings, WithGamma(0.8f));

    PreviewRequest(WithGamma(1.2f));
    EXPECT_FALSE(PreviewBusy()) << "the newest request repeated is computed again";
    // A new picture with the same settings is computed; pictures of any size
    // and aspect (their rows and reads near the edges are padded) come out
    // whole, from one thread as from several.
    const PostChainSettings wide = WithGamma(1.2f, 2.0f);
    for (const auto& [width, height] : {std::pair(67, 37), std::pair(1, 1), std::pair(5, 300), std::pair(1280, 2)}) {
        auto picture = std::make_shared<const RgbaImage>(MakePreviewScene(width, height));
        PreviewSetScene(picture);
        PreviewRequest(wide);
        results = Drain();
        ASSERT_EQ(results.size(), 1u);
        ASSERT_EQ(results[0].image->width, width);
        EXPECT_EQ(results[0].image->pixels.size(), size_t(width) * height * 4);
        EXPECT_EQ(results[0].image->pixels, RunPostChain(*picture, wide, nullptr, nullptr, 1).pixels) << width;
        EXPECT_EQ(results[0].image->pixels, RunPostChain(*picture, wide, nullptr, nullptr, 3).pixels) << width;
    }
    PreviewStop();
}

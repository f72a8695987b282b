// The preview's worker and pictures: the newest request wins over older ones
// not yet started, a repeat is not computed again, the worker's cores give the
// picture one gives, whatever its size; screenshots in the three formats come
// in scaled to the working width, broken or oversized files are refused.

#include "preview/PreviewPicture.h"
#include "preview/PreviewScene.h"
#include "preview/PreviewWorker.h"
#include "tests/support/TestEnv.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

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

TEST(PreviewPicture, ScreenshotsAreScaledToTheWorkingWidthAndBadFilesRefused) {
    TempDir dir;
    // A 1600 x 900 picture: left half red, right half blue.
    const int w = 1600, h = 900;
    std::vector<unsigned char> rgb(size_t(w) * h * 3);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            unsigned char* p = &rgb[(size_t(y) * w + x) * 3];
            p[0] = x < w / 2 ? 220 : 10;
            p[1] = 20;
            p[2] = x < w / 2 ? 10 : 200;
        }
    const fs::path png = dir.path / "shot.png", jpeg = dir.path / "shot.jpg", bmp = dir.path / "shot.bmp";
    ASSERT_TRUE(stbi_write_png(png.string().c_str(), w, h, 3, rgb.data(), w * 3));
    ASSERT_TRUE(stbi_write_jpg(jpeg.string().c_str(), w, h, 3, rgb.data(), 95));
    ASSERT_TRUE(stbi_write_bmp(bmp.string().c_str(), w, h, 3, rgb.data()));
    for (const fs::path& file : {png, jpeg, bmp}) {
        const RgbaImage picture = LoadPreviewPicture(W(file));
        ASSERT_EQ(picture.width, 1280) << file;
        EXPECT_EQ(picture.height, 720) << file;
        const uint8_t* left = &picture.pixels[(size_t(360) * 1280 + 100) * 4];
        const uint8_t* right = &picture.pixels[(size_t(360) * 1280 + 1180) * 4];
        EXPECT_NEAR(left[0], 220, 6) << file;
        EXPECT_NEAR(right[2], 200, 6) << file;
        EXPECT_EQ(left[3], 255) << file;
    }
    // A picture narrower than the working width is kept as it is.
    const fs::path small = dir.path / "small.png";
    ASSERT_TRUE(stbi_write_png(small.string().c_str(), 320, 180, 3, rgb.data(), w * 3));
    EXPECT_EQ(LoadPreviewPicture(W(small)).width, 320);

    // A missing file, and a header that claims 100000 pixels (a file that is no
    // picture at all: the panel's test).
    EXPECT_TRUE(LoadPreviewPicture(W(dir.path / "missing.png")).pixels.empty());
    std::string huge = ReadText(bmp);
    const int32_t claimed = 100000;
    huge.replace(18, 4, reinterpret_cast<const char*>(&claimed), 4);  // BITMAPINFOHEADER width
    WriteText(dir.path / "huge.bmp", huge);
    EXPECT_TRUE(LoadPreviewPicture(W(dir.path / "huge.bmp")).pixels.empty());
}

// The Windows Imaging Component as the program's picture decoder, under Wine
// (its decoders read the whole picture as soon as they are opened, so the
// size check must come first): a huge declared size is refused without
// committing memory for it, and a screenshot in a folder whose name is not
// ASCII loads. The formats themselves: tests/preview/PictureLoadTest.cpp,
// compiled into this program too.
#include <windows.h>

#include <psapi.h>

#include "preview/PictureLoad.h"
#include "tests/support/TestEnv.h"

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

namespace {

// The most memory the process has had committed so far.
uint64_t PeakCommitted() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return 0;
    return counters.PeakPagefileUsage;
}

// A PNG of 2 x 2 pixels whose header then claims another size (its check
// sum left as it was: a decoder that gets this far has been handed the size).
std::string PngClaiming(uint32_t width, uint32_t height) {
    const unsigned char pixels[12] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
    std::string png;
    stbi_write_png_to_func(
        [](void* context, void* data, int size) {
            static_cast<std::string*>(context)->append(static_cast<const char*>(data), size);
        },
        &png, 2, 2, 3, pixels, 6);
    for (int i = 0; i < 4 && png.size() > 24; ++i) {
        png[16 + i] = static_cast<char>(width >> (8 * (3 - i)));
        png[20 + i] = static_cast<char>(height >> (8 * (3 - i)));
    }
    return png;
}

}  // namespace

TEST(WinPicture, AHugeDeclaredSizeIsRefusedWithoutCommittingMemoryForIt) {
    const uint64_t before = PeakCommitted();
    ASSERT_GT(before, 0u);
    // 12000 x 12000: within what the system's decoder takes, 430 MB of pixels.
    const DecodedPicture refused = DecodePicture(PngClaiming(12000, 12000), PreviewPictureLimits());
    EXPECT_EQ(refused.fault, PictureFault::TooLarge);
    EXPECT_EQ(refused.declaredWidth, 12000u);
    EXPECT_LT(PeakCommitted() - before, uint64_t(64) << 20);
}

TEST(WinPicture, AScreenshotInAFolderWithAnAccentedNameLoads) {
    TempDir dir;
    UseTempAppPaths(dir);
    const fs::path folder = FsPath(W(dir.path) + u"\\\u00c9t\u00e9");
    fs::create_directories(folder);
    const std::string tiny = PngClaiming(2, 2);
    WriteText(folder / "shot.png", tiny);
    const LoadedPicture loaded = LoadPicture(W(folder / "shot.png"));
    ASSERT_EQ(loaded.fault, PictureFault::None);
    EXPECT_EQ(loaded.picture.width, 2);
    EXPECT_EQ(loaded.picture.height, 2);
}

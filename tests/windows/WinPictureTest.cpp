// The Windows Imaging Component as the program's picture decoder, under Wine
// (its decoders read the whole picture as soon as they are opened, so the
// size check must come first): a huge declared size is refused without
// taking memory for it, and a screenshot in a folder whose name is not
// ASCII loads. The formats themselves: tests/preview/PictureLoadTest.cpp,
// compiled into this program too.
#include <windows.h>

#include <psapi.h>

#include "app/FileProbes.h"
#include "preview/PictureLoad.h"
#include "tests/support/TestEnv.h"

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

// Faults by name in failure messages.
static void PrintTo(PictureFault fault, std::ostream* out) { *out << PictureFaultName(fault); }

namespace {

// The most memory the process has held so far. (Wine keeps the peak of the
// committed memory only from one query to the next; the working set's peak
// is the system's own.)
uint64_t PeakHeld() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return 0;
    return counters.PeakWorkingSetSize;
}

// The check sum of a PNG chunk (zlib's CRC-32).
uint32_t Crc32(const std::string& bytes) {
    uint32_t crc = 0xFFFFFFFFu;
    for (const char c : bytes) {
        crc ^= static_cast<unsigned char>(c);
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void PutBigEndian32(std::string& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>(v >> (8 * (3 - i)));
}

// A PNG of 2 x 2 pixels whose header then claims another size, with its
// check sum mended: the system's decoder takes the header as it stands.
std::string PngClaiming(uint32_t width, uint32_t height) {
    const unsigned char pixels[12] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
    std::string png;
    stbi_write_png_to_func(
        [](void* context, void* data, int size) {
            static_cast<std::string*>(context)->append(static_cast<const char*>(data), size);
        },
        &png, 2, 2, 3, pixels, 6);
    if (png.size() < 33) return png;
    PutBigEndian32(png, 16, width);
    PutBigEndian32(png, 20, height);
    PutBigEndian32(png, 29, Crc32(png.substr(12, 17)));  // "IHDR" and its 13 bytes
    return png;
}

}  // namespace

// A BMP header claiming a picture of 24-bit pixels with none of them there.
std::string BmpClaiming(uint32_t width, uint32_t height) {
    std::string bmp(54, '\0');
    const auto put = [&](size_t at, uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) bmp[at + i] = static_cast<char>(v >> (8 * i));
    };
    bmp[0] = 'B';
    bmp[1] = 'M';
    put(2, 54, 4);  // file size
    put(10, 54, 4);  // pixels' offset
    put(14, 40, 4);  // BITMAPINFOHEADER
    put(18, width, 4);
    put(22, height, 4);
    put(26, 1, 2);  // planes
    put(28, 24, 2);  // bits per pixel
    return bmp;
}

TEST(WinPicture, AHugeDeclaredSizeIsRefusedWithoutTakingMemoryForIt) {
    // 12000 x 12000: within what the system's decoders take, 576 MB as RGBA.
    for (const auto& [kind, file] : {std::pair("PNG", PngClaiming(12000, 12000)),
                                     std::pair("BMP", BmpClaiming(12000, 12000))}) {
        SCOPED_TRACE(kind);
        const uint64_t before = PeakHeld();
        ASSERT_GT(before, 0u);
        const DecodedPicture refused = DecodePicture(file, PreviewPictureLimits());
        EXPECT_EQ(refused.fault, PictureFault::TooLarge) << refused.detail;
        EXPECT_EQ(refused.declaredWidth, 12000u);
        EXPECT_LT(PeakHeld() - before, uint64_t(64) << 20);
    }
}

TEST(WinPicture, AScreenshotInAFolderWithAnAccentedNameLoads) {
    TempDir dir;
    UseTempAppPaths(dir);
    const fs::path folder = FsPath(W(dir.path) + u"\\\u00c9t\u00e9");
    fs::create_directories(folder);
    const std::string tiny = PngClaiming(2, 2);
    WriteText(folder / "shot.png", tiny);
    const LoadedPicture loaded = LoadPicture(ProgramPath(folder / "shot.png"));
    ASSERT_EQ(loaded.fault, PictureFault::None);
    EXPECT_EQ(loaded.picture.width, 2);
    EXPECT_EQ(loaded.picture.height, 2);
}

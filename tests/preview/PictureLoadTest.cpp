// Screenshots through the platform's decoders: every layout as the same RGBA,
// hostile files refused with their cause, loads off the calling thread.

#include <chrono>
#include <thread>

#include "preview/PictureLoad.h"
#include "settings/Localization.h"
#include "settings/Settings.h"
#include "tests/support/TestEnv.h"

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

// Faults by name in failure messages.
static void PrintTo(PictureFault fault, std::ostream* out) { *out << PictureFaultName(fault); }

namespace {

// A picture whose every pixel differs from its neighbours, in 1 to 4 channels.
std::vector<unsigned char> Pattern(int w, int h, int channels) {
    std::vector<unsigned char> p(size_t(w) * h * channels);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < channels; ++c)
                p[(size_t(y) * w + x) * channels + c] = static_cast<unsigned char>(x * 7 + y * 13 + c * 50);
    return p;
}

void Append(void* context, void* data, int size) {
    static_cast<std::string*>(context)->append(static_cast<const char*>(data), size);
}

std::string Png(int w, int h, int channels, const std::vector<unsigned char>& pixels) {
    std::string out;
    stbi_write_png_to_func(Append, &out, w, h, channels, pixels.data(), w * channels);
    return out;
}
std::string Jpeg(int w, int h, int channels, const std::vector<unsigned char>& pixels) {
    std::string out;
    stbi_write_jpg_to_func(Append, &out, w, h, channels, pixels.data(), 100);
    return out;
}
std::string Bmp(int w, int h, int channels, const std::vector<unsigned char>& pixels) {
    std::string out;
    stbi_write_bmp_to_func(Append, &out, w, h, channels, pixels.data());
    return out;
}

void PutLittleEndian32(std::string& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>(v >> (8 * i));
}
void PutBigEndian32(std::string& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>(v >> (8 * (3 - i)));
}

// The largest difference of a channel between the decoded picture and the
// pattern it was made from.
int MaxDifference(const DecodedPicture& got, const std::vector<unsigned char>& pattern, int channels) {
    int most = 0;
    for (size_t i = 0; i < size_t(got.width) * got.height; ++i) {
        const unsigned char* p = &pattern[i * channels];
        const unsigned char* g = &got.pixels[i * 4];
        const int rgb[3] = {p[0], p[channels >= 3 ? 1 : 0], p[channels >= 3 ? 2 : 0]};
        const int alpha = channels == 2 ? p[1] : channels == 4 ? p[3] : 255;
        for (int c = 0; c < 3; ++c) most = std::max(most, std::abs(g[c] - rgb[c]));
        most = std::max(most, std::abs(g[3] - alpha));
    }
    return most;
}

const PictureLimits kSmall{100000, 4096, 0};

bool TakeWithin(LoadedPicture& loaded, std::chrono::seconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        if (PictureLoadTake(loaded)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

}  // namespace

TEST(PictureDecode, EveryFormatAndLayoutComesOutAsTheSameRgba) {
    // Odd sizes: BMP rows are padded to four bytes.
    const int w = 37, h = 23;
    struct Case {
        const char* name;
        std::string file;
        int channels;
        int tolerance;
    };
    std::vector<Case> cases;
    for (int channels = 1; channels <= 4; ++channels)
        cases.push_back({"PNG", Png(w, h, channels, Pattern(w, h, channels)), channels, 0});
    // JPEG is lossy and subsamples colour; the pattern's steps are gentle enough.
    cases.push_back({"JPEG grey", Jpeg(w, h, 1, Pattern(w, h, 1)), 1, 12});
    cases.push_back({"JPEG colour", Jpeg(w, h, 3, Pattern(w, h, 3)), 3, 40});
    cases.push_back({"BMP 24-bit", Bmp(w, h, 3, Pattern(w, h, 3)), 3, 0});
    // 32-bit with a version 4 header and bit fields (alpha left opaque: plain
    // BMP readers take the fourth byte as unused).
    std::vector<unsigned char> opaque = Pattern(w, h, 4);
    for (size_t i = 3; i < opaque.size(); i += 4) opaque[i] = 255;
    cases.push_back({"BMP 32-bit", Bmp(w, h, 4, opaque), 4, 0});
    // Top-down: the height negative and the rows in reading order.
    std::string topDown = Bmp(w, h, 3, Pattern(w, h, 3));
    const size_t stride = (w * 3 + 3) / 4 * 4, offset = 54;
    std::string flipped = topDown;
    for (int y = 0; y < h; ++y) flipped.replace(offset + y * stride, stride, topDown, offset + (h - 1 - y) * stride, stride);
    PutLittleEndian32(flipped, 22, static_cast<uint32_t>(-h));
    cases.push_back({"BMP top-down", flipped, 3, 0});

    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + ", " + std::to_string(c.channels) + " channel(s)");
        ASSERT_FALSE(c.file.empty());
        const DecodedPicture got = DecodePicture(c.file, kSmall);
        ASSERT_EQ(got.fault, PictureFault::None) << got.detail;
        EXPECT_EQ(got.declaredWidth, unsigned(w));
        EXPECT_EQ(got.declaredHeight, unsigned(h));
        ASSERT_EQ(got.width, unsigned(w));
        ASSERT_EQ(got.height, unsigned(h));
        ASSERT_EQ(got.pixels.size(), size_t(w) * h * 4);
        EXPECT_LE(MaxDifference(got, c.channels == 4 && c.file[0] == 'B' ? opaque : Pattern(w, h, c.channels),
                                c.channels),
                  c.tolerance);
    }

    // The limits hold at their edges.
    const std::string png = cases[2].file;
    EXPECT_EQ(DecodePicture(png, PictureLimits{uint64_t(w) * h, 37, 0}).fault, PictureFault::None);
    EXPECT_EQ(DecodePicture(png, PictureLimits{uint64_t(w) * h - 1, 37, 0}).fault, PictureFault::TooLarge);
    EXPECT_EQ(DecodePicture(png, PictureLimits{uint64_t(w) * h, 36, 0}).fault, PictureFault::TooLarge);

    // A wide JPEG may come from the decoder already reduced (by a power of
    // two, never below the width asked for); the preview takes it to 1280.
    const int wide = 2800, tall = 700;
    std::vector<unsigned char> halves(size_t(wide) * tall * 3);
    for (size_t i = 0; i < halves.size(); i += 3) halves[i] = (i / 3) % wide < wide / 2 ? 230 : 20;
    const std::string jpeg = Jpeg(wide, tall, 3, halves);
    const DecodedPicture reduced = DecodePicture(jpeg, PictureLimits{kPictureMaxPixels, kPictureMaxSide, 1280});
    ASSERT_EQ(reduced.fault, PictureFault::None) << reduced.detail;
    EXPECT_GE(reduced.width, 1280u);
    EXPECT_EQ(reduced.width * tall, reduced.height * unsigned(wide));
    const LoadedPicture shown = PictureFromBytes(jpeg);
    ASSERT_EQ(shown.picture.width, 1280);
    EXPECT_EQ(shown.picture.height, 320);
    EXPECT_NEAR(shown.picture.pixels[(160 * 1280 + 100) * 4], 230, 6);
    EXPECT_NEAR(shown.picture.pixels[(160 * 1280 + 1180) * 4], 20, 6);
}

TEST(PictureDecode, HostileFilesAreRefusedWithTheirCauseAndHugeOnesFromTheHeaderAlone) {
    const int w = 64, h = 48;
    const std::string png = Png(w, h, 3, Pattern(w, h, 3));
    const std::string jpeg = Jpeg(w, h, 3, Pattern(w, h, 3));
    const std::string bmp = Bmp(w, h, 3, Pattern(w, h, 3));
    const auto fault = [](const std::string& file) { return DecodePicture(file, kSmall).fault; };
    {
        SCOPED_TRACE("no picture at all");
        EXPECT_EQ(fault(""), PictureFault::NotAPicture);
        EXPECT_EQ(fault("<?xml version=\"1.0\"?>"), PictureFault::NotAPicture);
        EXPECT_EQ(fault("GIF89a"), PictureFault::NotAPicture);
    }
    {
        SCOPED_TRACE("cut short: in the header, after it, before the last row");
        for (const std::string* file : {&png, &jpeg, &bmp}) {
            for (size_t keep : {size_t(10), size_t(20), size_t(60), file->size() / 2, file->size() - 20}) {
                EXPECT_EQ(fault(file->substr(0, keep)), PictureFault::Damaged) << file->substr(0, 2) << " " << keep;
            }
        }
    }
    {
        SCOPED_TRACE("a Huffman table with 257 codes (a crash of older decoders)");
        std::string crafted = jpeg;
        const size_t dht = crafted.find("\xFF\xC4");
        ASSERT_NE(dht, std::string::npos);
        const unsigned length = (static_cast<unsigned char>(crafted[dht + 2]) << 8) | static_cast<unsigned char>(crafted[dht + 3]);
        // Table 0 of class 0: one code of 14 bits, one of 15 and 255 of 16,
        // 257 in all where 256 is the most there can be, with their symbols.
        std::string table(14, '\0');
        table += "\x01\x01\xFF";
        for (int i = 0; i < 257; ++i) table += static_cast<char>(i);
        const unsigned newLength = static_cast<unsigned>(table.size() + 2);
        crafted.replace(dht + 2, length, std::string{static_cast<char>(newLength >> 8), static_cast<char>(newLength)} + table);
        EXPECT_EQ(fault(crafted), PictureFault::Damaged);
    }
    {
        SCOPED_TRACE("pixels said to lie past the end of the file");
        std::string liar = bmp;
        PutLittleEndian32(liar, 10, 0x7FFFFFF0);  // pixels said to lie far past the end
        EXPECT_EQ(fault(liar), PictureFault::Damaged);
    }
    {
        SCOPED_TRACE("sizes declared far beyond the limits, with a body of a few bytes");
        std::string hugePng = png.substr(0, 33);
        PutBigEndian32(hugePng, 16, 100000);
        PutBigEndian32(hugePng, 20, 100000);
        std::string hugeJpeg = jpeg.substr(0, jpeg.find("\xFF\xDA"));
        const size_t sof = hugeJpeg.find("\xFF\xC0");
        ASSERT_NE(sof, std::string::npos);
        hugeJpeg[sof + 5] = hugeJpeg[sof + 6] = hugeJpeg[sof + 7] = hugeJpeg[sof + 8] = '\xFF';  // 65535 x 65535
        std::string hugeBmp = bmp.substr(0, 54);
        PutLittleEndian32(hugeBmp, 18, 100000);
        PutLittleEndian32(hugeBmp, 22, static_cast<uint32_t>(-100000));
        const PictureLimits preview = PreviewPictureLimits();
        for (const std::string* file : {&hugePng, &hugeJpeg, &hugeBmp}) {
            const DecodedPicture refused = DecodePicture(*file, preview);
            EXPECT_EQ(refused.fault, PictureFault::TooLarge) << file->substr(0, 2);
            EXPECT_GE(refused.declaredWidth, 65535u);
            EXPECT_GE(refused.declaredHeight, 65535u);
            EXPECT_TRUE(refused.pixels.empty());
        }
        // Each side within the texture limit, together 268 megapixels.
        std::string square = hugePng;
        PutBigEndian32(square, 16, kPictureMaxSide);
        PutBigEndian32(square, 20, kPictureMaxSide);
        EXPECT_EQ(DecodePicture(square, preview).fault, PictureFault::TooLarge);
        // Few pixels but one side beyond the texture limit.
        PutBigEndian32(square, 16, kPictureMaxSide + 1);
        PutBigEndian32(square, 20, 1);
        EXPECT_EQ(DecodePicture(square, preview).fault, PictureFault::TooLarge);
    }
}

TEST(PictureLoad, ScreenshotsComeInAtTheWorkingWidthAndFilesThatCannotBeReadSaySo) {
    TempDir dir;
    UseTempAppPaths(dir);
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
    for (const auto& [name, bytes] : {std::pair("shot.png", Png(w, h, 3, rgb)), std::pair("shot.jpg", Jpeg(w, h, 3, rgb)),
                                      std::pair("shot.bmp", Bmp(w, h, 3, rgb))}) {
        SCOPED_TRACE(name);
        WriteText(dir.path / name, bytes);
        const LoadedPicture loaded = LoadPicture(W(dir.path / name));
        ASSERT_EQ(loaded.fault, PictureFault::None);
        ASSERT_EQ(loaded.picture.width, 1280);
        EXPECT_EQ(loaded.picture.height, 720);
        const uint8_t* left = &loaded.picture.pixels[(size_t(360) * 1280 + 100) * 4];
        const uint8_t* right = &loaded.picture.pixels[(size_t(360) * 1280 + 1180) * 4];
        EXPECT_NEAR(left[0], 220, 6);
        EXPECT_NEAR(right[2], 200, 6);
        EXPECT_EQ(left[3], 255);
    }
    // A picture narrower than the working width is kept as it is.
    WriteText(dir.path / "small.png", Png(320, 180, 3, Pattern(320, 180, 3)));
    EXPECT_EQ(LoadPicture(W(dir.path / "small.png")).picture.width, 320);

    // Too large: the player is told the size, in each language.
    std::string huge = Bmp(w, h, 3, rgb);
    PutLittleEndian32(huge, 18, 100000);
    WriteText(dir.path / "huge.bmp", huge);
    const LoadedPicture refused = LoadPicture(W(dir.path / "huge.bmp"));
    EXPECT_EQ(refused.fault, PictureFault::TooLarge);
    WriteText(dir.path / "program" / "Data" / "Localization.xml",
              ReadText(fs::path(VANTREL_SOURCE_DIR) / "Data" / "Localization.xml"));
    Localization::Load();
    for (uint32_t language = 0; language < 3; ++language) {
        Settings::Instance().Language = language;
        const std::string text = PictureLoadProblemText(refused);
        EXPECT_EQ(text.rfind(Localization::Text("previewloadtoolarge"), 0), 0u) << text;
        EXPECT_NE(text.find(" 100000 \u00d7 900 "), std::string::npos) << text;
    }
    Settings::Instance() = Settings();

    // Each failure with its cause, and a log line that says which file and why.
    WriteText(dir.path / "notes.png", "not a picture");
    fs::create_directories(dir.path / "folder.png");
    const std::pair<const char*, PictureFault> failures[] = {{"missing.png", PictureFault::Unreadable},
                                                             {"folder.png", PictureFault::Unreadable},
                                                             {"notes.png", PictureFault::NotAPicture}};
    for (const auto& [name, expected] : failures) {
        SCOPED_TRACE(name);
        const LoadedPicture loaded = LoadPicture(W(dir.path / name));
        EXPECT_EQ(loaded.fault, expected);
        EXPECT_TRUE(loaded.picture.pixels.empty());
        EXPECT_FALSE(LoggedAfter("Screenshot " + (dir.path / name).string() + " not loaded: " +
                                 PictureFaultName(expected)).empty());
    }
}

TEST(PictureLoad, LoadsRunOffTheCallingThreadAndOnlyTheNewestIsHandedOut) {
    TempDir dir;
    UseTempAppPaths(dir);
    // 11 MB of pixels to read, decode and scale: far more than the few
    // microseconds between a start and the look that follows it.
    const std::vector<unsigned char> grey(size_t(2400) * 1800 * 3, 128);
    WriteText(dir.path / "big.bmp", Bmp(2400, 1600, 3, grey));
    WriteText(dir.path / "square.bmp", Bmp(1800, 1800, 3, grey));
    LoadedPicture loaded;
    {
        SCOPED_TRACE("one load: busy at once, the picture once, then idle");
        PictureLoadStart(W(dir.path / "big.bmp"));
        EXPECT_TRUE(PictureLoadBusy());
        EXPECT_FALSE(PictureLoadTake(loaded));
        ASSERT_TRUE(TakeWithin(loaded, std::chrono::seconds(60)));
        EXPECT_EQ(loaded.fault, PictureFault::None);
        EXPECT_EQ(loaded.picture.width, 1280);
        EXPECT_EQ(loaded.picture.height, 853);
        EXPECT_FALSE(PictureLoadBusy());
        EXPECT_FALSE(PictureLoadTake(loaded));
    }
    {
        SCOPED_TRACE("a second file chosen while the first loads: only the second comes");
        PictureLoadStart(W(dir.path / "big.bmp"));
        std::this_thread::sleep_for(std::chrono::milliseconds(20));  // the thread is on it
        PictureLoadStart(W(dir.path / "square.bmp"));
        ASSERT_TRUE(TakeWithin(loaded, std::chrono::seconds(60)));
        EXPECT_EQ(loaded.picture.height, 1280);
        PictureLoadStop();
        EXPECT_FALSE(PictureLoadTake(loaded));
    }
    {
        SCOPED_TRACE("cancelled: not busy at once, and nothing comes");
        PictureLoadStart(W(dir.path / "big.bmp"));
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        PictureLoadCancel();
        EXPECT_FALSE(PictureLoadBusy());
        PictureLoadStop();  // after the load the thread was on
        EXPECT_FALSE(PictureLoadTake(loaded));
    }
    {
        SCOPED_TRACE("a failure is an outcome too");
        PictureLoadStart(W(dir.path / "missing.png"));
        ASSERT_TRUE(TakeWithin(loaded, std::chrono::seconds(60)));
        EXPECT_EQ(loaded.fault, PictureFault::Unreadable);
        EXPECT_FALSE(PictureLoadBusy());
    }
    PictureLoadStop();
}

// Recordings decoded again with giflib: each LCD picture held for as long as it showed, scaled
// blocks in the LCD's colours, the window's pictures composed from the rectangles that changed,
// and file names in any script.

#include <gif_lib.h>
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "host/gif_recorder.h"
#include "tests/host/app_test_files.h"
#include "tests/support/gif_frames.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

constexpr uint64_t kMs = 1'000'000;

// A GIF's frames, each composed over the one before, with their delays in hundredths.
struct Decoded {
    int width = 0;
    int height = 0;
    std::vector<RgbImage> frames;
    std::vector<int> delays;
    bool ok = false;
};

struct Reader {
    std::string bytes;
    size_t at = 0;
};

int readFromMemory(GifFileType* gif, GifByteType* into, int wanted) {
    auto* r = static_cast<Reader*>(gif->UserData);
    const size_t n = std::min(size_t(wanted), r->bytes.size() - r->at);
    std::memcpy(into, r->bytes.data() + r->at, n);
    r->at += n;
    return int(n);
}

// Read through memory so the test needs no file name conversions of its own.
Decoded decode(const fs::path& file) {
    Decoded out;
    Reader reader{readText(file), 0};
    int error = 0;
    GifFileType* gif = DGifOpen(&reader, readFromMemory, &error);
    if (!gif) return out;
    if (DGifSlurp(gif) == GIF_OK) {
        out.ok = true;
        out.width = gif->SWidth;
        out.height = gif->SHeight;
        RgbImage canvas(gif->SWidth, gif->SHeight);
        for (int i = 0; i < gif->ImageCount; ++i) {
            composeGifFrame(gif, i, canvas);
            out.frames.push_back(canvas);
            GraphicsControlBlock gcb{};
            DGifSavedExtensionToGCB(gif, i, &gcb);
            out.delays.push_back(gcb.DelayTime);
        }
    }
    DGifCloseFile(gif, &error);
    return out;
}

std::array<uint8_t, 3> colourAt(const RgbImage& image, int x, int y) {
    const uint8_t* p = image.at(x, y);
    return {p[0], p[1], p[2]};
}

constexpr std::array<uint8_t, 3> kGreen{0, 192, 0};
constexpr std::array<uint8_t, 3> kWhite{255, 255, 255};
constexpr std::array<uint8_t, 3> kBlack{0, 0, 0};

TEST(GifRecorder, LcdPicturesShowAsLongAsTheyStayedInScaledBlocks) {
    struct Case {
        int scale;
        bool blackWhite;
        std::array<uint8_t, 3> background;
    };
    for (const Case& c : {Case{1, false, kGreen}, Case{3, false, kGreen}, Case{2, true, kWhite}}) {
        SCOPED_TRACE(c.scale);
        TempDir dir;
        std::array<uint8_t, 1600> lcd{};
        GifRecorder recorder;
        ASSERT_TRUE(recorder.open((dir / "r.gif").string(), c.scale, c.blackWhite, 1000 * kMs));
        recorder.frame(lcd.data(), 1000 * kMs);
        lcd[0] = 0x80;     // the top-left pixel
        lcd[1599] = 0x01;  // the bottom-right pixel
        recorder.frame(lcd.data(), 1100 * kMs);
        recorder.frame(lcd.data(), 1300 * kMs);  // unchanged: no frame of its own
        lcd[0] = 0;
        recorder.frame(lcd.data(), 1500 * kMs);
        ASSERT_TRUE(recorder.close(1800 * kMs));
        EXPECT_EQ(recorder.framesWritten(), 3u);

        const Decoded gif = decode(dir / "r.gif");
        ASSERT_TRUE(gif.ok);
        EXPECT_EQ(gif.width, 160 * c.scale);
        EXPECT_EQ(gif.height, 80 * c.scale);
        ASSERT_EQ(gif.frames.size(), 3u);
        EXPECT_EQ(gif.delays, (std::vector<int>{10, 40, 30}));
        const int s = c.scale;
        EXPECT_EQ(colourAt(gif.frames[0], 0, 0), c.background);
        // A lit pixel is a whole s x s block, and only that.
        EXPECT_EQ(colourAt(gif.frames[1], 0, 0), kBlack);
        EXPECT_EQ(colourAt(gif.frames[1], s - 1, s - 1), kBlack);
        EXPECT_EQ(colourAt(gif.frames[1], s, 0), c.background);
        EXPECT_EQ(colourAt(gif.frames[1], 0, s), c.background);
        EXPECT_EQ(colourAt(gif.frames[1], 160 * s - 1, 80 * s - 1), kBlack);
        EXPECT_EQ(colourAt(gif.frames[1], 159 * s - 1, 80 * s - 1), c.background);
        EXPECT_EQ(colourAt(gif.frames[2], 0, 0), c.background);
        EXPECT_EQ(colourAt(gif.frames[2], 160 * s - 1, 80 * s - 1), kBlack);
    }
}

TEST(GifRecorder, WindowPicturesComposeFromTheirChanges) {
    TempDir dir;
    RgbImage picture(12, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 12; ++x) {
            uint8_t* p = picture.at(x, y);
            p[0] = uint8_t(x * 20);
            p[1] = uint8_t(y * 30);
            p[2] = 77;
        }
    GifRecorder recorder;
    ASSERT_TRUE(recorder.openWindow((dir / "w.gif").string(), 12, 8, 2, 0));
    recorder.windowFrame(picture, 0);
    RgbImage second = picture;
    std::memcpy(second.at(5, 3), kGreen.data(), 3);
    std::memcpy(second.at(6, 4), kBlack.data(), 3);
    recorder.windowFrame(second, 50 * kMs);
    ASSERT_TRUE(recorder.close(120 * kMs));

    const Decoded gif = decode(dir / "w.gif");
    ASSERT_TRUE(gif.ok);
    EXPECT_EQ(gif.width, 24);
    EXPECT_EQ(gif.height, 16);
    ASSERT_EQ(gif.frames.size(), 2u);
    EXPECT_EQ(gif.delays, (std::vector<int>{5, 7}));
    // Few colours: every one kept exact, before and after the change.
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 12; ++x) {
            EXPECT_EQ(colourAt(gif.frames[0], 2 * x + 1, 2 * y), colourAt(picture, x, y));
            EXPECT_EQ(colourAt(gif.frames[1], 2 * x, 2 * y + 1), colourAt(second, x, y));
        }
}

TEST(GifRecorder, FileNamesInAnyScriptAndFoldersThatAreMissing) {
    TempDir dir;
    // "录像" (recordings): a folder name outside every single-byte code page.
    const fs::path folder = dir.path() / fs::path(u8"\u5f55\u50cf");
    fs::create_directories(folder);
    const fs::path file = folder / fs::path(u8"\u8d2a\u5403\u86c7-1.gif");
    const std::u8string name = file.u8string();
    std::array<uint8_t, 1600> lcd{};
    GifRecorder recorder;
    ASSERT_TRUE(recorder.open(std::string(name.begin(), name.end()), 1, false, 0));
    recorder.frame(lcd.data(), 0);
    ASSERT_TRUE(recorder.close(10 * kMs));
    ASSERT_TRUE(fs::exists(file));
    EXPECT_EQ(decode(file).frames.size(), 1u);

    GifRecorder nowhere;
    EXPECT_FALSE(nowhere.open((dir / "missing" / "r.gif").string(), 1, false, 0));
    EXPECT_FALSE(nowhere.openWindow((dir / "missing" / "w.gif").string(), 4, 4, 1, 0));
}

#ifndef _WIN32
// A recording is as readable as a screenshot or a state: made with 0666 less the umask.
TEST(GifRecorder, FilesGetTheUsualPermissions) {
    TempDir dir;
    std::array<uint8_t, 1600> lcd{};
    GifRecorder recorder;
    ASSERT_TRUE(recorder.open((dir / "r.gif").string(), 1, false, 0));
    recorder.frame(lcd.data(), 0);
    ASSERT_TRUE(recorder.close(10 * kMs));
    { std::ofstream((dir / "other").string()) << "x"; }
    EXPECT_EQ(fs::status(dir / "r.gif").permissions(), fs::status(dir / "other").permissions());
}
#endif

}  // namespace
}  // namespace corvane::test

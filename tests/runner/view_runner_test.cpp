// corvane-run with the window scaled and full screen: captures compared with the window's
// goldens, clicks at the screen's pixels reaching the keys they cover, F12 screenshots, and the
// whole window recorded to a GIF, decoded and compared with the window captures.

#include <gif_lib.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "host/image_io.h"
#include "support/build_paths.h"
#include "tests/host/app_test_files.h"
#include "tests/support/gif_frames.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

const std::string kBin = corvane::test::binDir();
const std::string kGoldens = std::string(corvane::test::sourceDir()) + "/tests/golden/host/";

struct RunnerView : ::testing::Test {
    TempDir dir;

    RunnerView() { fs::create_directories(dir / "root"); }

    int run(const std::vector<std::string>& args) {
        std::string cmd = "cd '" + dir.path().string() + "' && env -u CORVANE_HOME '" + kBin +
                          "/corvane-run' --fonts '" + kBin + "/duzezi.dat' --root root";
        for (const std::string& a : args) cmd += " '" + a + "'";
        cmd += " >stdout 2>stderr";
        const int raw = std::system(cmd.c_str());
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }

    RgbImage picture(const std::string& name) {
        RgbImage image;
        EXPECT_TRUE(readPng((dir / name).string(), image)) << name;
        return image;
    }

    // With CORVANE_UPDATE_GOLDEN=1 the capture becomes the golden.
    void expectGolden(const std::string& capture, const std::string& golden) {
        if (const char* update = std::getenv("CORVANE_UPDATE_GOLDEN"); update && *update == '1') {
            fs::copy_file(dir / capture, kGoldens + golden, fs::copy_options::overwrite_existing);
            return;
        }
        RgbImage want;
        ASSERT_TRUE(readPng(kGoldens + golden, want)) << golden;
        EXPECT_TRUE(picture(capture) == want) << capture << " differs from " << golden;
    }
};

TEST_F(RunnerView, EveryScaleIsTheGoldenWindowInCrispBlocks) {
    RgbImage golden;
    ASSERT_TRUE(readPng(kGoldens + "window_idle.png", golden));
    for (int scale = 1; scale <= 4; ++scale) {
        const std::string name = "idle" + std::to_string(scale) + ".png";
        ASSERT_EQ(run({"--scale", std::to_string(scale), "--window", name}), 2);
        const RgbImage shot = picture(name);
        ASSERT_EQ(shot.width, 435 * scale);
        ASSERT_EQ(shot.height, 585 * scale);
        for (int y = 0; y < shot.height; ++y)
            for (int x = 0; x < shot.width; ++x)
                ASSERT_EQ(0, std::memcmp(shot.at(x, y), golden.at(x / scale, y / scale), 3))
                    << scale << "x at " << x << "," << y;
    }
}

TEST_F(RunnerView, FullScreensOfTheLcdAndOfTheFace) {
    const std::string draw = kBin + "/draw.vrn";
    // The LCD alone at 4x in the middle of a 1366 x 768 screen; with the menu open, the face.
    ASSERT_EQ(run({draw, "--fullscreen", "lcd", "--screen", "1366x768", "--max-frames", "30",
                   "--window", "30:lcd.png", "--rclick", "40:683,384", "--window", "45:menu.png",
                   "--max-frames", "45"}),
              2);
    expectGolden("lcd.png", "fullscreen_lcd.png");
    expectGolden("menu.png", "fullscreen_lcd_menu.png");
    // The face at the largest scale that fits, centred: 2x on a 1920 x 1200 screen.
    ASSERT_EQ(run({draw, "--max-frames", "30", "--window", "30:one.png"}), 2);
    ASSERT_EQ(run({draw, "--fullscreen", "face", "--screen", "1920x1200", "--max-frames", "30",
                   "--window", "30:face.png"}),
              2);
    const RgbImage one = picture("one.png");
    const RgbImage face = picture("face.png");
    ASSERT_EQ(face.width, 1920);
    ASSERT_EQ(face.height, 1200);
    const int left = (1920 - 870) / 2, top = (1200 - 1170) / 2;
    for (int y = 0; y < 1200; y += 3)
        for (int x = 0; x < 1920; x += 3) {
            const bool inside = x >= left && x < left + 870 && y >= top && y < top + 1170;
            const uint8_t black[3] = {0, 0, 0};
            const uint8_t* want = inside ? one.at((x - left) / 2, (y - top) / 2) : black;
            ASSERT_EQ(0, std::memcmp(face.at(x, y), want, 3)) << x << "," << y;
        }
}

TEST_F(RunnerView, ClicksAreTheScreensPixels) {
    // getchar's result stays on the operand stack at 0x7600.
    writeProgram(dir / "waits.vrn", "getchar\nEXIT\n");
    struct Case {
        std::vector<std::string> view;
        std::string click;  // at the middle of the face's Q key (16, 441, 32 x 26), or not
        int status;
        int key;
    };
    const Case cases[] = {
        {{"--scale", "3"}, "2:96,1362", 0, 'q'},
        {{"--scale", "3"}, "2:30,450", 2, 0},  // 1x position: the body at 3x
        {{"--fullscreen", "face", "--screen", "1920x1080"}, "2:772,697", 0, 'q'},
        {{"--fullscreen", "face", "--screen", "1920x1080"}, "2:30,450", 2, 0},  // the border
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"waits.vrn", "--click", c.click, "--dump-mem", "mem.bin"};
        args.insert(args.end(), c.view.begin(), c.view.end());
        EXPECT_EQ(run(args), c.status) << c.click;
        if (c.key != 0) {
            EXPECT_EQ(uint8_t(readText(dir / "mem.bin")[0x7600]), c.key) << c.click;
        }
    }
}

TEST_F(RunnerView, F12SavesTheScreenAndSaysSo) {
    writeProgram(dir / "waits.vrn", "getchar\nEXIT\n");
    ASSERT_EQ(run({"waits.vrn", "--scale", "2", "--keys", "3:vk7B", "--window", "5:after.png",
                   "--max-frames", "5"}),
              2);
    std::vector<fs::path> shots;
    for (const auto& e : fs::directory_iterator(dir / "root" / "screenshots"))
        shots.push_back(e.path());
    ASSERT_EQ(shots.size(), 1u);
    // Named after the machine's date; the picture has no notice, the window afterwards has one.
    EXPECT_EQ(shots[0].filename(), "corvane-20040101-000000.png");
    RgbImage shot;
    ASSERT_TRUE(readPng(shots[0].string(), shot));
    EXPECT_EQ(shot.width, 870);
    const RgbImage after = picture("after.png");
    // The notice's dark box at the bottom of the LCD area, above its text.
    const uint8_t* box = after.at(2 * 210, 2 * 184);
    EXPECT_EQ(box[0], 32);
    EXPECT_NE(0, std::memcmp(shot.at(2 * 210, 2 * 184), box, 3));
}

// The frames of a GIF, each composed over the one before.
std::vector<RgbImage> decodeGif(const std::string& file) {
    std::vector<RgbImage> frames;
    int error = 0;
    GifFileType* gif = DGifOpenFileName(file.c_str(), &error);
    if (!gif) return frames;
    if (DGifSlurp(gif) == GIF_OK) {
        RgbImage canvas(gif->SWidth, gif->SHeight);
        for (int i = 0; i < gif->ImageCount; ++i) {
            composeGifFrame(gif, i, canvas);
            frames.push_back(canvas);
        }
    }
    DGifCloseFile(gif, &error);
    return frames;
}

TEST_F(RunnerView, TheWholeWindowIsRecordedFrameByFrame) {
    // A digit more on the LCD about every 10 frames.
    std::string source;
    for (char digit = '1'; digit <= '5'; ++digit)
        source += "PUSH_B " + std::to_string(int(digit)) + "\nputchar\nPUSH_W 160\nDelay\n";
    writeProgram(dir / "count.vrn", source + "getchar\nEXIT\n");
    ASSERT_EQ(run({"count.vrn", "--record", "rec.gif", "--record-window", "--max-frames", "60",
                   "--window", "12:w12.png", "--window", "52:w52.png"}),
              2)
        << readText(dir / "stderr");
    const std::vector<RgbImage> frames = decodeGif((dir / "rec.gif").string());
    ASSERT_GE(frames.size(), 5u);
    EXPECT_EQ(frames[0].width, 435);
    EXPECT_EQ(frames[0].height, 585);
    // The LCD area is exact in every frame (its colours are in the palette as they are); the
    // frames at 12 and 52 are among those recorded. Compared above the notice's box at its
    // bottom, which the window shows ("开始录制") and the recording leaves out.
    auto lcdAreaEqual = [](const RgbImage& a, const RgbImage& b) {
        for (int y = 43; y < 183; ++y)
            if (std::memcmp(a.at(22, y), b.at(22, y), 377 * 3) != 0) return false;
        return true;
    };
    for (const char* name : {"w12.png", "w52.png"}) {
        const RgbImage want = picture(name);
        bool found = false;
        for (const RgbImage& f : frames) found = found || lcdAreaEqual(f, want);
        EXPECT_TRUE(found) << name;
    }
    // The face around it is close to the window's own colours.
    const RgbImage want = picture("w52.png");
    long long error = 0;
    for (size_t i = 0; i < want.rgb.size(); ++i)
        error += std::abs(int(want.rgb[i]) - int(frames.back().rgb[i]));
    EXPECT_LT(double(error) / double(want.rgb.size()), 6.0);
}

}  // namespace
}  // namespace corvane::test

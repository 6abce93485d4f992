// corvane-run with the run controls, save states and recording: pause, the speed limit and
// fast-forward measured in virtual time, states continued and refused, files reopened, and the
// GIF recording decoded and compared with the LCD captures.

#include <gif_lib.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "host/app.h"
#include "host/menu.h"
#include "host/state_file.h"
#include "host/texts.h"
#include "support/build_paths.h"
#include "tests/host/app_test_files.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

struct Stats {
    uint64_t frames = 0;
    uint64_t instructions = 0;
    uint64_t clockNs = 0;
};

struct Controls : ::testing::Test {
    TempDir dir;

    Controls() {
        fs::create_directories(dir / "root");
        writeText(dir / "fonts.dat", "");
        writeProgram(dir / "spin.vrn", "top: JMP top\n");
        writeProgram(dir / "sleep.vrn", "PUSH_W 1000\nDelay\nEXIT\n");
    }

    int run(const std::vector<std::string>& args, std::string* out = nullptr,
            std::string* err = nullptr) {
        std::string cmd = "cd '" + dir.path().string() + "' && env -u CORVANE_HOME '" +
                          std::string(corvane::test::binDir()) + "/corvane-run' --fonts fonts.dat";
        for (const std::string& a : args) cmd += " '" + a + "'";
        cmd += " >stdout 2>stderr";
        const int raw = std::system(cmd.c_str());
        if (out) *out = readText(dir / "stdout");
        if (err) *err = readText(dir / "stderr");
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }

    Stats stats(std::vector<std::string> args) {
        args.push_back("--stats");
        args.push_back("--root");
        args.push_back("root");
        std::string out;
        run(args, &out);
        Stats s;
        const auto field = [&](const std::string& name) -> uint64_t {
            const size_t at = out.find(name + "=");
            return at == std::string::npos ? 0 : std::stoull(out.substr(at + name.size() + 1));
        };
        s.frames = field("frames");
        s.instructions = field("instructions");
        s.clockNs = field("clock-ns");
        return s;
    }
};

TEST_F(Controls, SpeedLimitHoldsTheInstructionRateInVirtualTime) {
    // The default rate of the virtual clock is 10,000,000 a second: one second is 60 frames.
    const Stats unlimited = stats({"spin.vrn", "--max-frames", "60"});
    EXPECT_GT(unlimited.instructions, 9'000'000u);
    const Stats limited = stats({"spin.vrn", "--max-frames", "60", "--speed", "60000"});
    EXPECT_NEAR(double(limited.instructions), 60'000, 1'100);
    EXPECT_NEAR(double(limited.clockNs), 1e9, 2e7);
    // A limit above what the clock turns changes nothing.
    const Stats high = stats({"spin.vrn", "--max-frames", "60", "--speed", "50000000"});
    EXPECT_NEAR(double(high.instructions), double(unlimited.instructions), 200'000);
}

TEST_F(Controls, FastForwardRunsFramesDelaysAndTheLimitFaster) {
    const Stats normal = stats({"sleep.vrn", "--max-frames", "200"});
    const Stats fast = stats({"sleep.vrn", "--max-frames", "200", "--fast-forward", "4"});
    // The Delay is as many frames either way, in a quarter of the time.
    EXPECT_NEAR(double(normal.clockNs), 1e9, 2e7);
    EXPECT_NEAR(double(fast.clockNs), 0.25e9, 1e7);
    EXPECT_NEAR(double(fast.frames), double(normal.frames), 2);

    const Stats both =
        stats({"spin.vrn", "--max-frames", "60", "--speed", "60000", "--fast-forward", "2"});
    EXPECT_NEAR(double(both.clockNs), 0.5e9, 2e7);
    EXPECT_NEAR(double(both.instructions), 60'000, 1'100);
}

TEST_F(Controls, PauseHoldsTheProgramWhileFramesCount) {
    const Stats whole = stats({"spin.vrn", "--max-frames", "60"});
    // Paused from frame 10 to frame 40 by the menu command and by F9: half the instructions.
    const Stats byMenu =
        stats({"spin.vrn", "--max-frames", "60", "--command", "10:" + std::to_string(kCmdPause),
               "--command", "40:" + std::to_string(kCmdPause)});
    const Stats byKey = stats({"spin.vrn", "--max-frames", "60", "--keys", "10:vk78 40:vk78"});
    EXPECT_EQ(byMenu.frames, 60u);
    EXPECT_NEAR(double(byMenu.instructions), double(whole.instructions) / 2, 200'000);
    EXPECT_EQ(byKey.instructions, byMenu.instructions);
}

TEST_F(Controls, StateContinuesARunWithItsOpenFile) {
    // Writes "A", waits half a second, writes "B" to the same stream and ends.
    writeProgram(dir / "write.vrn",
                 "PUSH_D 0x42000\nPUSH_STR \"out.txt\"\nPUSH_STR \"w\"\nfopen\nASSIGN\nPOP_COND\n"
                 "PUSH_B 65\nLDG_L 0x2000\nputc\nPOP_COND\n"
                 "PUSH_W 500\nDelay\n"
                 "PUSH_B 66\nLDG_L 0x2000\nputc\nPOP_COND\nEXIT\n");
    ASSERT_EQ(
        run({"write.vrn", "--root", "root", "--save-state", "10:s.state", "--max-frames", "10"}),
        2);
    ASSERT_TRUE(fs::exists(dir / "s.state"));
    EXPECT_EQ(readText(dir / "root" / "out.txt"), "A");  // flushed by the save
    std::string err;
    EXPECT_EQ(run({"write.vrn", "--root", "root", "--load-state", "s.state"}, nullptr, &err), 0)
        << err;
    EXPECT_EQ(readText(dir / "root" / "out.txt"), "AB");

    // The file is gone when the state is loaded: the run goes on without it and says so.
    fs::remove(dir / "root" / "out.txt");
    EXPECT_EQ(run({"write.vrn", "--root", "root", "--load-state", "s.state"}, nullptr, &err), 0);
    EXPECT_NE(err.find(formatText(TextId::MessageStateFileGone, {})), std::string::npos) << err;
    EXPECT_NE(err.find("out.txt"), std::string::npos) << err;
    EXPECT_FALSE(fs::exists(dir / "root" / "out.txt"));
}

TEST_F(Controls, StateCarriesTheRandomSeedTheDelayPhaseAndTheKeys) {
    // Draws a random number every 50 ms into 0x2000 and adds every key it gets to 0x2004.
    writeProgram(dir / "dice.vrn",
                 "top: PUSH_D 0x42000\nrand\nASSIGN\nPOP_COND\n"
                 "PUSH_W 50\nDelay\n"
                 "PUSH_B 0x61\nCheckKey\nJZ top\n"
                 "PUSH_D 0x42004\nPUSH_D 0x42004\nLDG_L 0x2004\ngetchar\nADD\nASSIGN\nPOP_COND\n"
                 "JMP top\n");
    const std::vector<std::string> keys = {"--keys", "8:+a 30:-a 31:b 40:+a 70:-a"};
    auto ending = [&](std::vector<std::string> args) {
        for (const char* a : {"--root", "root", "--max-frames", "90", "--dump-mem", "mem.bin"})
            args.push_back(a);
        args.insert(args.end(), keys.begin(), keys.end());
        std::string err;
        EXPECT_EQ(run(args, nullptr, &err), 2) << err;
        return readText(dir / "mem.bin");
    };
    const std::string whole = ending({"dice.vrn"});
    for (int frame : {9, 33, 55}) {
        const std::string at = std::to_string(frame);
        ending({"dice.vrn", "--save-state", at + ":s.state"});
        EXPECT_TRUE(ending({"dice.vrn", "--load-state", "s.state"}) == whole) << "saved at " << at;
    }
}

TEST_F(Controls, StatesThatCannotBeLoadedAreRefused) {
    writeProgram(dir / "other.vrn", "top: NOP\nJMP top\n");
    ASSERT_EQ(run({"spin.vrn", "--root", "root", "--save-state", "3:s.state", "--max-frames", "3"}),
              2);
    std::string state = readText(dir / "s.state");
    ASSERT_GT(state.size(), 65536u);
    std::string newer = state;
    newer[8] = char(kStateVersion + 1);
    writeText(dir / "newer.state", newer);
    writeText(dir / "short.state", state.substr(0, 30'000));
    writeText(dir / "junk.state", "not a state at all");
    const struct {
        std::string image, file, message;
    } cases[] = {
        {"other.vrn", "s.state", hostText(TextId::MessageStateOtherImage)},
        {"spin.vrn", "newer.state", hostText(TextId::MessageStateTooNew)},
        {"spin.vrn", "short.state", hostText(TextId::MessageStateInvalid)},
        {"spin.vrn", "junk.state", hostText(TextId::MessageStateInvalid)},
        {"spin.vrn", "missing.state", hostText(TextId::MessageStateCannotOpen)},
    };
    for (const auto& c : cases) {
        std::string err;
        EXPECT_EQ(run({c.image, "--root", "root", "--load-state", c.file}, nullptr, &err), 1)
            << c.file;
        EXPECT_NE(err.find(c.message), std::string::npos) << c.file << ": " << err;
    }
}

TEST_F(Controls, DroppedFileOpensLikeTheDialogsChoice) {
    writeProgram(dir / "marks.vrn", "INITDATA 0x2000\n.byte 0x5A\n.enddata\ngetchar\nEXIT\n");
    writeText(dir / "bad.vrn", "not an image");
    std::string err;
    // The running program goes on after an invalid drop; a valid one replaces it.
    EXPECT_EQ(run({"spin.vrn", "--root", "root", "--drop", "3:bad.vrn", "--drop", "6:marks.vrn",
                   "--max-frames", "10", "--dump-mem", "mem.bin"},
                  nullptr, &err),
              2);
    EXPECT_NE(err.find("不是有效的VRN文件!"), std::string::npos) << err;
    EXPECT_EQ(readText(dir / "mem.bin")[0x2000], 0x5A);
    EXPECT_EQ(run({"spin.vrn", "--root", "root", "--drop", "3:missing.vrn", "--max-frames", "5"},
                  nullptr, &err),
              2);
    EXPECT_NE(err.find("无法打开Quillbox文件!"), std::string::npos) << err;
}

// The frames of a GIF as 160 x 80 pictures sampled at the top-left pixel of each block, with
// their delays in hundredths.
struct GifFrames {
    int width = 0, height = 0;
    std::vector<std::vector<uint8_t>> pictures;
    std::vector<int> delays;
};

GifFrames decodeGif(const fs::path& file, int scale) {
    GifFrames out;
    int error = 0;
    GifFileType* gif = DGifOpenFileName(file.c_str(), &error);
    if (!gif) return out;
    if (DGifSlurp(gif) == GIF_OK) {
        out.width = gif->SWidth;
        out.height = gif->SHeight;
        for (int i = 0; i < gif->ImageCount; ++i) {
            const SavedImage& img = gif->SavedImages[i];
            std::vector<uint8_t> pic(160 * 80);
            for (int y = 0; y < 80; ++y)
                for (int x = 0; x < 160; ++x)
                    pic[size_t(y * 160 + x)] =
                        img.RasterBits[size_t(y * scale * img.ImageDesc.Width + x * scale)];
            out.pictures.push_back(pic);
            GraphicsControlBlock gcb{};
            DGifSavedExtensionToGCB(gif, i, &gcb);
            out.delays.push_back(gcb.DelayTime);
        }
    }
    DGifCloseFile(gif, &error);
    return out;
}

std::vector<uint8_t> pbmPicture(const std::string& pbm) {
    std::vector<uint8_t> pic(160 * 80);
    const size_t header = std::string("P4\n160 80\n").size();
    if (pbm.size() < header + 1600) return {};
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 160; ++x)
            pic[size_t(y * 160 + x)] =
                (uint8_t(pbm[header + size_t(y * 20 + x / 8)]) >> (7 - x % 8)) & 1;
    return pic;
}

TEST_F(Controls, RecordingHoldsEachPictureForAsLongAsItShowed) {
    writeProgram(dir / "draw.vrn",
                 "INITDATA 0x18C0\n.byte 0xF0\n.enddata\n"
                 "PUSH_W 200\nDelay\n"
                 "INITDATA 0x18D4\n.byte 0x0F\n.enddata\n"
                 "PUSH_W 300\nDelay\nEXIT\n");
    for (int scale : {1, 3}) {
        SCOPED_TRACE(scale);
        ASSERT_EQ(run({"draw.vrn", "--root", "root", "--record", "r.gif", "--record-scale",
                       std::to_string(scale), "--lcd", "5:early.pbm", "--lcd", "late.pbm"}),
                  0);
        const GifFrames gif = decodeGif(dir / "r.gif", scale);
        EXPECT_EQ(gif.width, 160 * scale);
        EXPECT_EQ(gif.height, 80 * scale);
        // The blank screen before the first frame, then the two pictures the program drew.
        ASSERT_EQ(gif.pictures.size(), 3u);
        EXPECT_EQ(gif.pictures[0], std::vector<uint8_t>(160 * 80, 0));
        EXPECT_EQ(gif.pictures[1], pbmPicture(readText(dir / "early.pbm")));
        EXPECT_EQ(gif.pictures[2], pbmPicture(readText(dir / "late.pbm")));
        EXPECT_LE(gif.delays[0], 2);
        EXPECT_NEAR(gif.delays[1], 20, 2);
        EXPECT_NEAR(gif.delays[2], 30, 2);
    }
}

}  // namespace
}  // namespace corvane::test

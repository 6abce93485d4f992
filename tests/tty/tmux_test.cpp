// corvane-run --tty in a real terminal: tmux runs it in a pane of a given size, sends keys and
// captures what the pane shows. Each case checks the terminal's settings are the same afterwards.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <signal.h>

#include "host/platform/tty/cells.h"
#include "support/build_paths.h"
#include "support/process.h"
#include "support/temp_dir.h"
#include "tests/host/app_test_files.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::string quoted(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

std::string readAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string shell(const std::string& command) {
    std::string out;
    if (std::FILE* p = popen(command.c_str(), "r")) {
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, p)) > 0) out.append(buffer, n);
        pclose(p);
    }
    return out;
}

// The LCD's pixels from corvane-run's .pbm picture, drawn as the terminal draws them without
// colour: the lines a pane of `columns` x `rows` shows, trailing blanks left off.
std::vector<std::string> expectedLines(const fs::path& pbm, int columns, int rows) {
    const std::string data = readAll(pbm);
    LcdPixels pixels;
    const size_t start = data.size() - 1600;  // header, then 20 bytes a row
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 160; ++x) {
            const bool dark = (uint8_t(data[start + size_t(y * 20 + x / 8)]) >> (7 - x % 8)) & 1;
            pixels[size_t(y * 160 + x)] = dark ? Rgb{0, 0, 0} : Rgb{0, 192, 0};
        }
    const CellFrame cells = makeCells(pixels, CellMode::HalfBlocks, ColorDepth::None);
    const std::string drawn = drawCells(CellFrame(), cells, 0, 0, ColorDepth::None);
    // Each row of cells follows its cursor move "ESC [ row ; 1 H".
    std::vector<std::string> lines(static_cast<size_t>(rows));
    const int top = (rows - 40 - 1) / 2, left = (columns - 160) / 2;
    for (int r = 0; r < 40; ++r) {
        const std::string move = "\x1b[" + std::to_string(r + 1) + ";1H";
        const size_t at = drawn.find(move) + move.size();
        const size_t end = drawn.find('\x1b', at);
        std::string line = std::string(size_t(left), ' ') + drawn.substr(at, end - at);
        while (!line.empty() && line.back() == ' ') line.pop_back();
        lines[size_t(top + r)] = line;
    }
    lines.resize(size_t(top + 40));  // the status line below is the terminal's own
    return lines;
}

class TerminalPlay : public ::testing::Test {
  protected:
    void SetUp() override {
        if (shell("command -v tmux").empty()) GTEST_SKIP() << "tmux is not installed";
        socket_ = dir_.path() / "tmux";
    }
    void TearDown() override {
        if (started_) shell(tmux("kill-server") + " 2>/dev/null");
    }

    std::string tmux(const std::string& args) const {
        return "tmux -f /dev/null -S " + quoted(socket_.string()) + " " + args;
    }

    // Starts corvane-run with `args` in a pane of columns x rows, without colour. The pane's
    // shell writes the terminal's settings before and after, the runner's pid and its status.
    void start(const std::string& args, int columns, int rows) {
        const fs::path d = dir_.path();
        const std::string run = quoted(test::builtProgram("corvane-run").string()) + " " + args;
        const std::string inner = "echo $$ > " + quoted((d / "pid").string()) + "; exec " + run +
                                  " 2> " + quoted((d / "err").string());
        const std::string script =
            "stty -g > " + quoted((d / "before").string()) + "; sh -c " + quoted(inner) +
            "; echo $? > " + quoted((d / "status.tmp").string()) + "; stty -g > " +
            quoted((d / "after").string()) + "; mv " + quoted((d / "status.tmp").string()) + " " +
            quoted((d / "status").string()) + "; sleep 60";
        shell(tmux("new-session -d -x " + std::to_string(columns) + " -y " + std::to_string(rows) +
                   " -e NO_COLOR=1 -e CORVANE_HOME= " + quoted("sh -c " + quoted(script))));
        started_ = true;
    }
    std::vector<std::string> capture() const {
        std::vector<std::string> lines;
        std::stringstream in(shell(tmux("capture-pane -p")));
        for (std::string line; std::getline(in, line);) {
            while (!line.empty() && line.back() == ' ') line.pop_back();
            lines.push_back(line);
        }
        return lines;
    }
    // Waits up to 10 s for the pane to show `want`.
    bool waitFor(const std::function<bool(const std::vector<std::string>&)>& want) const {
        for (int i = 0; i < 200; ++i) {
            if (want(capture())) return true;
            std::this_thread::sleep_for(50ms);
        }
        return false;
    }
    bool shows(const std::vector<std::string>& expected) const {
        return waitFor([&](const std::vector<std::string>& lines) {
            if (lines.size() < expected.size()) return false;
            for (size_t i = 0; i < expected.size(); ++i)
                if (lines[i] != expected[i]) return false;
            return true;
        });
    }
    void keys(const std::string& names) const { shell(tmux("send-keys " + names)); }
    // The runner's exit status once it ended (-1 when it does not within 10 s).
    int status() const {
        const fs::path file = dir_.path() / "status";
        for (int i = 0; i < 200 && !fs::exists(file); ++i) std::this_thread::sleep_for(50ms);
        return fs::exists(file) ? std::stoi(readAll(file)) : -1;
    }
    pid_t runnerPid() const { return pid_t(std::stoi(readAll(dir_.path() / "pid"))); }
    // The terminal as it was before the run: same settings, main screen, cursor shown.
    void expectRestored() const {
        EXPECT_EQ(readAll(dir_.path() / "before"), readAll(dir_.path() / "after"));
        EXPECT_EQ(shell(tmux("display -p '#{alternate_on} #{cursor_flag}'")), "0 1\n");
    }
    std::string err() const { return readAll(dir_.path() / "err"); }
    // The LCD after `keys`, from the headless runner.
    std::vector<std::string> headless(const std::string& keys, int columns, int rows) const {
        const fs::path pbm = dir_.path() / "lcd.pbm";
        std::vector<std::string> args = {"--lcd", pbm.string(), image()};
        if (!keys.empty()) args.insert(args.begin(), {"--keys", keys});
        test::runProgram(test::builtProgram("corvane-run"), args);
        return expectedLines(pbm, columns, rows);
    }
    static std::string image() { return (fs::path(test::binDir()) / "showcase.vrn").string(); }

    test::TempDir dir_{"corvane-tty"};
    fs::path socket_;
    bool started_ = false;
};

TEST_F(TerminalPlay, TheShowcasesMenuAppearsAKeyChoosesAndCtrlCGivesTheTerminalBack) {
    start("--tty " + quoted(image()), 170, 45);
    ASSERT_TRUE(shows(headless("", 170, 45))) << "the menu, as the headless runner draws it";
    // Down moves to the second item; Enter starts its demo, Esc comes back to the menu.
    keys("Down");
    const std::vector<std::string> second = headless("1:down", 170, 45);
    ASSERT_TRUE(shows(second)) << "the second item chosen";
    keys("Enter");
    EXPECT_TRUE(waitFor([&](const std::vector<std::string>& lines) {
        return lines.size() > 10 && lines[10] != second[10];
    })) << "the demo's screen";
    std::this_thread::sleep_for(300ms);
    keys("Escape");
    EXPECT_TRUE(shows(second)) << "back on the menu";
    keys("C-c");
    EXPECT_EQ(status(), 0);
    expectRestored();
}

TEST_F(TerminalPlay, ASmallTerminalGetsBrailleAndASignalEndsTheRunCleanly) {
    start("--tty " + quoted(image()), 90, 24);
    EXPECT_TRUE(waitFor([](const std::vector<std::string>& lines) {
        // Braille: 80 cells of U+2800-U+28FF (three bytes each) on the drawing's rows.
        for (const std::string& line : lines)
            if (line.find("\xe2\xa3\xbf") != std::string::npos) return true;  // all 8 dots
        return false;
    }));
    EXPECT_TRUE(waitFor([](const std::vector<std::string>& lines) {
        for (const std::string& line : lines)
            if (line.find("Ctrl+C: quit") != std::string::npos) return true;
        return false;
    }));
    kill(runnerPid(), SIGTERM);
    EXPECT_EQ(status(), 130);
    EXPECT_NE(err().find("interrupted by SIGTERM"), std::string::npos) << err();
    expectRestored();
}

TEST_F(TerminalPlay, AFaultEndsTheRunAndItsMessageComesAfterTheTerminalIsBack) {
    const fs::path image = test::writeProgram(dir_.path() / "fault.vrn",
                                              "PUSH_W 300\nDelay\nPUSH_B 1\nPUSH_B 0\nDIV\n");
    start("--tty " + quoted(image.string()), 170, 45);
    EXPECT_EQ(status(), 3);
    EXPECT_NE(err().find("divides by zero"), std::string::npos) << err();
    expectRestored();
}

TEST_F(TerminalPlay, ATerminalTooSmallIsToldSoAndLeftAsItWas) {
    start("--tty " + quoted(image()), 60, 15);
    EXPECT_EQ(status(), 1);
    EXPECT_NE(err().find("make it at least 80 x 20"), std::string::npos) << err();
    expectRestored();
}

TEST(TerminalPlayWithout, NoTerminalIsAClearErrorWithStatusOne) {
    test::TempDir dir("corvane-tty");
    const fs::path errFile = dir.path() / "err";
    const std::string image = (fs::path(test::binDir()) / "showcase.vrn").string();
    EXPECT_EQ(test::runProgram(test::builtProgram("corvane-run"), {"--tty", image}, {}, errFile),
              1);
    EXPECT_NE(readAll(errFile).find("--tty needs a terminal"), std::string::npos);
    EXPECT_EQ(test::runProgram(test::builtProgram("corvane-run"), {"--tty-cells", "sixel", image},
                               {}, errFile),
              1);
    EXPECT_NE(readAll(errFile).find("--tty-cells is auto, half or braille"), std::string::npos);
}

}  // namespace
}  // namespace corvane

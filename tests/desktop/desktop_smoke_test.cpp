// The desktop program in a real window, on a virtual X server: start-up, keys from the keyboard
// (held and tapped), a face key released outside the window, the pop-up menu, F8, F12 screenshots,
// and an orderly end on SIGTERM and Alt+F4 that writes vorn.ini. Also the start-up failures, told
// by the exit status. Skipped when Xvfb or xdotool is not installed.
//
// Everything waits on what the window shows, with generous time limits, never on fixed delays
// alone: the test machine may be slow and busy.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "host/app.h"
#include "host/image_io.h"
#include "host/menu.h"
#include "host/platform/sdl/sdl_platform.h"
#include "host/skin.h"
#include "host/texts.h"
#include "host/window.h"
#include "support/build_paths.h"
#include "tests/host/app_test_files.h"
#include "vm/machine.h"

extern char** environ;

#ifdef CORVANE_SANITIZED
// This process opens SDL's video itself (the gamepad in the window): what the window system's
// libraries keep for the process's life is theirs, as for the desktop program's own runs.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libX11.so\nleak:libxcb.so\nleak:libXext.so\nleak:libXi.so\nleak:libXrandr.so\n"
           "leak:libXcursor.so\nleak:libXss.so\nleak:libdbus-1.so\nleak:libSDL2-2.0.so\n";
}
#endif

namespace corvane::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr auto kStartLimit = 90s;  // a sanitized build on a loaded machine starts slowly
constexpr auto kShowLimit = 60s;

const std::string kBin = corvane::test::binDir();

bool onPath(const char* name) {
    const char* path = std::getenv("PATH");
    std::string p = path ? path : "";
    size_t start = 0;
    while (start <= p.size()) {
        size_t end = p.find(':', start);
        if (end == std::string::npos) end = p.size();
        if (end > start && access((p.substr(start, end - start) + "/" + name).c_str(), X_OK) == 0)
            return true;
        start = end + 1;
    }
    return false;
}

std::string quoted(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// A child process with its own environment changes; output to files.
struct Child {
    pid_t pid = -1;
    std::optional<int> status;

    bool start(const std::vector<std::string>& argv, const std::vector<std::string>& setEnv,
               const std::vector<std::string>& unsetEnv, const fs::path& out, const fs::path& err) {
        std::vector<std::string> env;
        for (char** e = environ; *e; ++e) {
            std::string entry = *e;
            std::string name = entry.substr(0, entry.find('='));
            bool dropped = false;
            for (const std::string& u : unsetEnv) dropped = dropped || u == name;
            for (const std::string& s : setEnv)
                dropped = dropped || s.substr(0, s.find('=')) == name;
            if (!dropped) env.push_back(entry);
        }
        env.insert(env.end(), setEnv.begin(), setEnv.end());
        std::vector<char*> envp, args;
        for (std::string& e : env) envp.push_back(e.data());
        envp.push_back(nullptr);
        std::vector<std::string> argCopy = argv;
        for (std::string& a : argCopy) args.push_back(a.data());
        args.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        if (rc != 0) pid = -1;
        return rc == 0;
    }

    // The exit status once ended within `limit` (-1 for a signal), nothing when still running.
    std::optional<int> wait(std::chrono::steady_clock::duration limit) {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (!status && pid > 0) {
            int raw = 0;
            if (waitpid(pid, &raw, WNOHANG) == pid) {
                status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
                break;
            }
            if (std::chrono::steady_clock::now() > end) break;
            std::this_thread::sleep_for(20ms);
        }
        return status;
    }

    void signal(int sig) {
        if (pid > 0 && !status) kill(pid, sig);
    }

    ~Child() {
        if (pid > 0 && !status) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
};

// One virtual X server for the whole suite, on a display number it picks itself.
class XServer {
  public:
    bool start(const fs::path& dir, const std::string& size = "1920x1200") {
        int fds[2];
        if (pipe(fds) != 0) return false;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], 3);
        posix_spawn_file_actions_addopen(&actions, 2, (dir / "xvfb.log").c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        // -noreset: by default the server resets whenever its last client leaves, and refuses
        // connections while it does; each xdotool call is a client that comes and goes, so the
        // program's own connection could land in a reset and find no display.
        std::vector<std::string> argv = {"Xvfb",       "-displayfd", "3",   "-screen", "0",
                                         size + "x24", "-nolisten",  "tcp", "-noreset"};
        std::vector<char*> args;
        for (std::string& a : argv) args.push_back(a.data());
        args.push_back(nullptr);
        int rc = posix_spawnp(&pid_, "Xvfb", &actions, nullptr, args.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        if (rc != 0) {
            close(fds[0]);
            pid_ = -1;
            return false;
        }
        // The server writes its display number once it accepts connections.
        std::string number;
        char c;
        while (read(fds[0], &c, 1) == 1 && c != '\n') number += c;
        close(fds[0]);
        display_ = ":" + number;
        return !number.empty();
    }
    ~XServer() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    const std::string& display() const { return display_; }

  private:
    pid_t pid_ = -1;
    std::string display_;
};

// What corvane-run's LCD looks like after the same program and keys: the expected picture.
std::vector<uint8_t> expectedLcd(const fs::path& dir, const fs::path& image,
                                 const std::string& keys,
                                 const std::vector<std::string>& commands = {}) {
    const fs::path out = dir / "expected.pbm";
    std::string cmd = quoted(kBin + "/corvane-run") + " " + quoted(image.string()) +
                      " --max-frames 60 --fonts " + quoted((dir / "duzezi.dat").string()) +
                      " --root " + quoted(dir.string()) + " --lcd " + quoted(out.string());
    if (!keys.empty()) cmd += " --keys " + quoted(keys);
    for (const std::string& c : commands) cmd += " --command " + quoted(c);
    std::system((cmd + " >/dev/null 2>&1").c_str());
    const std::string pbm = readText(out);
    const std::string header = "P4\n160 80\n";
    if (pbm.size() != header.size() + 1600) return {};
    return std::vector<uint8_t>(pbm.begin() + long(header.size()), pbm.end());
}

// Whether the LCD area of a window image shows exactly `lcd` (dark = set bit).
bool showsLcd(const RgbImage& window, const std::vector<uint8_t>& lcd) {
    if (window.width != kWindowWidth || lcd.size() != 1600) return false;
    for (int y = 0; y < 80; ++y) {
        for (int x = 0; x < 160; ++x) {
            const bool on = lcd[size_t(y * 20 + x / 8)] & (0x80 >> (x % 8));
            const uint8_t* p = window.at(54 + 2 * x, 44 + 2 * y);
            const bool dark = p[0] == 0 && p[1] == 0 && p[2] == 0;
            if (on != dark) return false;
        }
    }
    return true;
}

bool sameArea(const RgbImage& a, const RgbImage& b, const KeyRect& r) {
    for (int y = r.top - 3; y < r.top + r.height; ++y)
        for (int x = r.left - 3; x < r.left + r.width; ++x)
            for (int k = 0; k < 3; ++k)
                if (a.at(x, y)[k] != b.at(x, y)[k]) return false;
    return true;
}

class Desktop : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (!onPath("Xvfb") || !onPath("xdotool")) return;
        serverDir_ = new TempDir;
        server_ = new XServer;
        if (!server_->start(serverDir_->path())) {
            delete server_;
            server_ = nullptr;
        }
    }
    static void TearDownTestSuite() {
        delete server_;
        delete serverDir_;
        server_ = nullptr;
        serverDir_ = nullptr;
    }

    void SetUp() override {
        if (!onPath("Xvfb") || !onPath("xdotool")) GTEST_SKIP() << "Xvfb or xdotool missing";
        ASSERT_NE(server_, nullptr) << "Xvfb did not start";
        fs::copy_file(kBin + "/duzezi.dat", dir / "duzezi.dat");
        writeProgram(dir / "echo.vrn", "loop:\n getchar\n putchar\n JMP loop\n");
    }

    std::vector<std::string> environment() const {
        std::vector<std::string> env = {
            "DISPLAY=" + server_->display(), "CORVANE_HOME=" + dir.path().string(),
            "CORVANE_VIRTUAL_CLOCK=1", "CORVANE_NO_MESSAGE_BOXES=1", "CORVANE_FILE_DIALOG=window"};
#ifdef CORVANE_SANITIZED
        env.push_back("LSAN_OPTIONS=suppressions=" + std::string(corvane::test::sourceDir()) +
                      "/tests/lsan.supp:print_suppressions=0");
#endif
        return env;
    }

    bool launch(const std::vector<std::string>& args) {
        std::vector<std::string> argv = {kBin + "/corvane"};
        argv.insert(argv.end(), args.begin(), args.end());
        return app.start(argv, environment(), {}, dir / "stdout", dir / "stderr");
    }

    // xdotool on our server; its output.
    std::string xdo(const std::string& args) {
        const fs::path out = dir / "xdo.out";
        std::string cmd = "DISPLAY=" + server_->display() + " xdotool " + args + " >" +
                          quoted(out.string()) + " 2>/dev/null";
        std::system(cmd.c_str());
        return readText(out);
    }

    // Waits for the mapped window titled "Corvane" and gives it the keyboard.
    bool findWindow() {
        const auto end = std::chrono::steady_clock::now() + kStartLimit;
        while (std::chrono::steady_clock::now() < end && !app.wait(0s)) {
            std::string id = xdo("search --onlyvisible --name '^Corvane$'");
            id = id.substr(0, id.find('\n'));
            if (!id.empty()) {
                window = id;
                xdo("mousemove --window " + window + " 200 320");  // the body, no key
                xdo("windowfocus --sync " + window);
                return true;
            }
            std::this_thread::sleep_for(100ms);
        }
        return false;
    }

    void keyHeld(const std::string& key) {
        xdo("keydown " + key);
        std::this_thread::sleep_for(300ms);
        xdo("keyup " + key);
    }

    // Presses F12 and returns the new screenshot.
    std::optional<RgbImage> screenshot() {
        const fs::path folder = dir / "screenshots";
        std::set<fs::path> before;
        std::error_code ec;
        for (const auto& e : fs::directory_iterator(folder, ec)) before.insert(e.path());
        xdo("key F12");
        const auto end = std::chrono::steady_clock::now() + kShowLimit;
        while (std::chrono::steady_clock::now() < end) {
            for (const auto& e : fs::directory_iterator(folder, ec)) {
                RgbImage image;
                if (!before.count(e.path()) && readPng(e.path().string(), image)) return image;
            }
            std::this_thread::sleep_for(50ms);
        }
        return std::nullopt;
    }

    // Screenshots until the LCD shows `lcd` or the limit passes; the last screenshot. A
    // window at `scale` times its size is looked at one pixel a block.
    std::optional<RgbImage> waitForLcd(const std::vector<uint8_t>& lcd, int scale = 1) {
        const auto end = std::chrono::steady_clock::now() + kShowLimit;
        std::optional<RgbImage> shot;
        do {
            shot = screenshot();
            if (shot && scale > 1) {
                RgbImage small(shot->width / scale, shot->height / scale);
                for (int y = 0; y < small.height; ++y)
                    for (int x = 0; x < small.width; ++x)
                        std::memcpy(small.at(x, y), shot->at(x * scale, y * scale), 3);
                shot = small;
            }
            if (shot && showsLcd(*shot, lcd)) return shot;
            std::this_thread::sleep_for(200ms);
        } while (std::chrono::steady_clock::now() < end);
        return shot;
    }

    // Left click on the open menu's item `index` (top level), the menu opened at (x, y); the
    // menu lists `recent` as its recent files.
    void chooseFromMenu(int x, int y, int index, const std::vector<std::string>& recent = {}) {
        xdo("mousemove --window " + window + " " + std::to_string(x) + " " + std::to_string(y) +
            " click 3");
        Menu menu;
        for (size_t i = 0; i < recent.size(); ++i)
            menu.setText(uint16_t(kCmdRecent1 + i), std::to_string(i + 1) + " " + recent[i]);
        menu.open(x, y);
        const KeyRect r = menu.itemRect(0, index);
        std::this_thread::sleep_for(300ms);
        xdo("mousemove --window " + window + " " + std::to_string(r.left + r.width / 2) + " " +
            std::to_string(r.top + r.height / 2));
        std::this_thread::sleep_for(100ms);
        xdo("click 1");
    }

    void expectOrderlyEnd() {
        std::optional<int> status = app.wait(kStartLimit);
        ASSERT_TRUE(status.has_value()) << "corvane did not end";
        EXPECT_EQ(*status, 0) << readText(dir / "stderr");
        const std::string ini = readText(dir / "vorn.ini");
        EXPECT_NE(ini.find("[ROM]"), std::string::npos) << ini;
        EXPECT_NE(ini.find("Directory="), std::string::npos) << ini;
    }

    TempDir dir;
    Child app;
    std::string window;
    static inline TempDir* serverDir_ = nullptr;
    static inline XServer* server_ = nullptr;
};

TEST_F(Desktop, KeysFaceKeysMenuResetScreenshotsAndSigterm) {
    const fs::path image = dir / "echo.vrn";
    ASSERT_TRUE(launch({image.string()}));
    ASSERT_TRUE(findWindow()) << readText(dir / "stderr");
    EXPECT_NE(xdo("getwindowgeometry " + window).find("435x585"), std::string::npos);

    // Before any key: the LCD is blank.
    std::optional<RgbImage> first = waitForLcd(expectedLcd(dir.path(), image, ""));
    ASSERT_TRUE(first && showsLcd(*first, expectedLcd(dir.path(), image, "")));

    // A key held on the PC keyboard, then a key tapped with no pause (the latch keeps it).
    keyHeld("a");
    auto shot = waitForLcd(expectedLcd(dir.path(), image, "3:a"));
    ASSERT_TRUE(shot && showsLcd(*shot, expectedLcd(dir.path(), image, "3:a")));
    xdo("key 7");  // the PC's 7 is the handheld's "t"
    const std::vector<uint8_t> at = expectedLcd(dir.path(), image, "3:a 8:7");
    shot = waitForLcd(at);
    ASSERT_TRUE(shot && showsLcd(*shot, at));

    // The face key B, held with the mouse: drawn pressed; released outside the window, it is
    // drawn released again and its key has arrived.
    const KeyRect b = gridKeyRect(2, 4);
    xdo("mousemove --window " + window + " " + std::to_string(b.left + b.width / 2) + " " +
        std::to_string(b.top + b.height / 2) + " mousedown 1");
    std::this_thread::sleep_for(300ms);
    std::optional<RgbImage> held = screenshot();
    ASSERT_TRUE(held);
    EXPECT_FALSE(sameArea(*held, *first, b)) << "the held key is not drawn pressed";
    xdo("mousemove 2 2");
    std::this_thread::sleep_for(100ms);
    xdo("mouseup 1");
    const std::vector<uint8_t> atb = expectedLcd(dir.path(), image, "3:a 8:7 13:b");
    shot = waitForLcd(atb);
    ASSERT_TRUE(shot && showsLcd(*shot, atb));
    EXPECT_TRUE(sameArea(*shot, *first, b)) << "the key stays drawn pressed after release";
    // Released for the keyboard scan too: pressing it again registers a second "b".
    xdo("mousemove --window " + window + " " + std::to_string(b.left + b.width / 2) + " " +
        std::to_string(b.top + b.height / 2) + " mousedown 1");
    std::this_thread::sleep_for(300ms);
    xdo("mouseup 1");
    const std::vector<uint8_t> atbb = expectedLcd(dir.path(), image, "3:a 8:7 13:b 18:b");
    shot = waitForLcd(atbb);
    ASSERT_TRUE(shot && showsLcd(*shot, atbb));

    // The menu's Reset restarts the program: the console starts again at the top left (the
    // screen keeps its picture until then), and keys still arrive.
    chooseFromMenu(150, 300, 2);
    xdo("mousemove --window " + window + " 200 320");
    std::this_thread::sleep_for(300ms);
    keyHeld("d");
    const std::string typed = "3:a 8:7 13:b 18:b";
    const std::vector<uint8_t> afterReset =
        expectedLcd(dir.path(), image, typed + " 28:d", {"23:40004"});
    shot = waitForLcd(afterReset);
    ASSERT_TRUE(shot && showsLcd(*shot, afterReset));

    // F8 resets too, whatever the menu shows.
    xdo("key F8");
    std::this_thread::sleep_for(300ms);
    keyHeld("e");
    const std::vector<uint8_t> afterF8 =
        expectedLcd(dir.path(), image, typed + " 28:d 38:e", {"23:40004", "33:40004"});
    shot = waitForLcd(afterF8);
    ASSERT_TRUE(shot && showsLcd(*shot, afterF8));

    app.signal(SIGTERM);
    expectOrderlyEnd();
}

// A size chosen earlier comes back from vorn.ini: the window, its screenshots and its face keys
// at twice the size. Alt+Enter fills the screen and back; its Enter never reaches the program.
TEST_F(Desktop, ScaledWindowAndFullScreen) {
    writeText(dir / "vorn.ini", "[Corvane]\nSize=2\n");
    const fs::path image = dir / "echo.vrn";
    ASSERT_TRUE(launch({image.string()}));
    ASSERT_TRUE(findWindow()) << readText(dir / "stderr");
    EXPECT_NE(xdo("getwindowgeometry " + window).find("870x1170"), std::string::npos);
    std::optional<RgbImage> shot = screenshot();
    ASSERT_TRUE(shot);
    EXPECT_EQ(shot->width, 870);
    EXPECT_EQ(shot->height, 1170);

    // Q, the highest letter, on the doubled window.
    const KeyRect q = gridKeyRect(0, 0);
    xdo("mousemove --window " + window + " " + std::to_string(2 * (q.left + q.width / 2)) + " " +
        std::to_string(2 * (q.top + q.height / 2)) + " click 1");
    const std::vector<uint8_t> atb = expectedLcd(dir.path(), image, "3:q");
    shot = waitForLcd(atb, 2);
    ASSERT_TRUE(shot && showsLcd(*shot, atb));

    auto geometryShows = [&](const std::string& size) {
        const auto end = std::chrono::steady_clock::now() + kShowLimit;
        do {
            if (xdo("getwindowgeometry " + window).find(size) != std::string::npos) return true;
            std::this_thread::sleep_for(100ms);
        } while (std::chrono::steady_clock::now() < end);
        return false;
    };
    xdo("key alt+Return");
    EXPECT_TRUE(geometryShows("1920x1200"));
    shot = screenshot();
    ASSERT_TRUE(shot);
    EXPECT_EQ(shot->width, 1920);
    EXPECT_EQ(shot->height, 1200);
    xdo("key alt+Return");
    EXPECT_TRUE(geometryShows("870x1170"));
    xdo("windowfocus --sync " + window);
    keyHeld("c");
    const std::vector<uint8_t> atbc = expectedLcd(dir.path(), image, "3:q 8:c");
    shot = waitForLcd(atbc, 2);
    ASSERT_TRUE(shot && showsLcd(*shot, atbc)) << "an Enter reached the program";

    app.signal(SIGTERM);
    expectOrderlyEnd();
    const std::string ini = readText(dir / "vorn.ini");
    EXPECT_NE(ini.find("Size=2"), std::string::npos) << ini;
    EXPECT_EQ(ini.find("Fullscreen=1"), std::string::npos) << ini;
    EXPECT_NE(ini.find("File1=" + image.string()), std::string::npos) << ini;
}

// On a French keyboard the key labelled Q sits where others have A, and M where others have the
// semicolon: the program gets the letters on the caps.
TEST_F(Desktop, LettersFollowTheKeyboardLayout) {
    if (!onPath("setxkbmap")) GTEST_SKIP() << "setxkbmap missing";
    std::system(("setxkbmap -display " + server_->display() + " fr >/dev/null 2>&1").c_str());
    const fs::path image = dir / "echo.vrn";
    ASSERT_TRUE(launch({image.string()}));
    ASSERT_TRUE(findWindow()) << readText(dir / "stderr");
    keyHeld("q");
    keyHeld("m");
    const std::vector<uint8_t> typed = expectedLcd(dir.path(), image, "3:q 8:m");
    std::optional<RgbImage> shot = waitForLcd(typed);
    std::system(("setxkbmap -display " + server_->display() + " us >/dev/null 2>&1").c_str());
    ASSERT_TRUE(shot && showsLcd(*shot, typed));
    app.signal(SIGTERM);
    expectOrderlyEnd();
}

TEST_F(Desktop, AltF4EndsInOrder) {
    ASSERT_TRUE(launch({}));
    ASSERT_TRUE(findWindow()) << readText(dir / "stderr");
    xdo("key alt+F4");
    expectOrderlyEnd();
}

// A press on the body, off the keys, drags the window along (there is no window manager here to
// do it for us).
TEST_F(Desktop, DraggingTheBodyMovesTheWindow) {
    ASSERT_TRUE(launch({}));
    ASSERT_TRUE(findWindow()) << readText(dir / "stderr");
    auto position = [&] {
        const std::string g = xdo("getwindowgeometry " + window);
        const size_t at = g.find("Position: ");
        return at == std::string::npos ? std::string()
                                       : g.substr(at + 10, g.find(' ', at + 10) - at - 10);
    };
    const std::string before = position();
    ASSERT_FALSE(before.empty());
    xdo("mousemove --window " + window + " 200 320 mousedown 1");
    std::this_thread::sleep_for(200ms);
    for (int step = 1; step <= 5; ++step) {
        xdo("mousemove_relative -- -" + std::to_string(10) + " 10");
        std::this_thread::sleep_for(100ms);
    }
    xdo("mouseup 1");
    const int bx = std::stoi(before), by = std::stoi(before.substr(before.find(',') + 1));
    const std::string expected = std::to_string(bx - 50) + "," + std::to_string(by + 50);
    std::string after;
    const auto end = std::chrono::steady_clock::now() + kShowLimit;
    do {
        std::this_thread::sleep_for(100ms);
        after = position();
    } while (after != expected && std::chrono::steady_clock::now() < end);
    const int ax = std::stoi(after), ay = std::stoi(after.substr(after.find(',') + 1));
    EXPECT_EQ(ax - bx, -50);
    EXPECT_EQ(ay - by, 50);
    app.signal(SIGTERM);
    expectOrderlyEnd();
}

// Only the sizes that fit the screen are offered: a window kept at 4x in vorn.ini starts at the
// largest size a small, a middling and a large screen have room for, and lies on the screen.
TEST_F(Desktop, StartsAtTheLargestSizeTheScreenHasRoomFor) {
    writeProgram(dir / "waits.vrn", "getchar\nEXIT\n");
    struct Case {
        const char* screen;
        int scale;
    };
    for (const Case& c : {Case{"1024x768", 1}, Case{"1920x1200", 2}, Case{"3840x2400", 4}}) {
        SCOPED_TRACE(c.screen);
        writeText(dir / "vorn.ini", "[Corvane]\nSize=4\n");
        TempDir serverDir;
        XServer server;
        ASSERT_TRUE(server.start(serverDir.path(), c.screen));
        std::vector<std::string> env = environment();
        for (std::string& e : env)
            if (e.rfind("DISPLAY=", 0) == 0) e = "DISPLAY=" + server.display();
        Child run;
        ASSERT_TRUE(run.start({kBin + "/corvane", (dir / "waits.vrn").string()}, env, {},
                              dir / "stdout", dir / "stderr"));
        const std::string xdotool = "DISPLAY=" + server.display() + " xdotool ";
        const std::string size =
            std::to_string(435 * c.scale) + "x" + std::to_string(585 * c.scale);
        std::string geometry;
        const auto end = std::chrono::steady_clock::now() + kStartLimit;
        while (std::chrono::steady_clock::now() < end && !run.wait(0s)) {
            std::system((xdotool + "search --onlyvisible --name '^Corvane$' getwindowgeometry >" +
                         quoted((dir / "geometry").string()) + " 2>/dev/null")
                            .c_str());
            geometry = readText(dir / "geometry");
            // Made off the screen first, then sized and placed: wait for both to be done.
            const size_t at = geometry.find("Position: ");
            if (geometry.find(size) != std::string::npos && at != std::string::npos) {
                const int x = std::stoi(geometry.substr(at + 10));
                const int y = std::stoi(geometry.substr(geometry.find(',', at) + 1));
                if (x >= 0 && y >= 0 && y + 585 * c.scale <= std::stoi(c.screen + 5))
                    break;  // "WxH": H
            }
            std::this_thread::sleep_for(100ms);
        }
        EXPECT_NE(geometry.find("Geometry: " + size), std::string::npos)
            << geometry << readText(dir / "stderr");
        // "Position: X,Y": on the screen, whole.
        const size_t at = geometry.find("Position: ");
        ASSERT_NE(at, std::string::npos) << geometry;
        const int x = std::stoi(geometry.substr(at + 10));
        const int y = std::stoi(geometry.substr(geometry.find(',', at) + 1));
        const int screenWidth = std::stoi(c.screen);
        const int screenHeight =
            std::stoi(std::string(c.screen).substr(std::string(c.screen).find('x') + 1));
        EXPECT_GE(x, 0);
        EXPECT_GE(y, 0);
        EXPECT_LE(x + 435 * c.scale, screenWidth);
        EXPECT_LE(y + 585 * c.scale, screenHeight);
        run.signal(SIGTERM);
        EXPECT_EQ(run.wait(kStartLimit), std::optional<int>(0));
    }
}

TEST_F(Desktop, MenuExitEndsInOrder) {
    ASSERT_TRUE(launch({(dir / "echo.vrn").string()}));
    ASSERT_TRUE(findWindow()) << readText(dir / "stderr");
    chooseFromMenu(150, 300, 14, {"echo.vrn"});  // "退出", below the program just opened
    expectOrderlyEnd();
}

TEST_F(Desktop, InWindowChooserOpensAProgram) {
    ASSERT_TRUE(launch({}));
    ASSERT_TRUE(findWindow()) << readText(dir / "stderr");
    chooseFromMenu(150, 300, 0);  // "打开Quillbox文件..."
    // The chooser lists the root: "..", "screenshots/" may not exist yet, then echo.vrn; End
    // selects the last entry, the program.
    std::this_thread::sleep_for(500ms);
    xdo("key End");
    std::this_thread::sleep_for(200ms);
    xdo("key Return");
    const fs::path image = dir / "echo.vrn";
    std::this_thread::sleep_for(500ms);
    keyHeld("z");
    auto shot = waitForLcd(expectedLcd(dir.path(), image, "3:z"));
    ASSERT_TRUE(shot && showsLcd(*shot, expectedLcd(dir.path(), image, "3:z")));
    app.signal(SIGINT);
    expectOrderlyEnd();
}

// The window's own platform in this process, with SDL's virtual controller plugged in after the
// start: the pad is noticed over the face and its A button is the program's Enter.
TEST_F(Desktop, GamepadPluggedInWhileRunningPlaysTheProgram) {
    writeProgram(dir / "waits.vrn", "getchar\nEXIT\n");
    setenv("DISPLAY", server_->display().c_str(), 1);
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO | SDL_INIT_GAMECONTROLLER), 0) << SDL_GetError();
    {
        SdlPlatform::Options options;
        options.messageBoxes = false;
        SdlPlatform platform(options);
        AppSettings settings;
        settings.paths.root = dir.path();
        settings.paths.configFile = dir / "vorn.ini";
        settings.paths.fontFile = dir / "duzezi.dat";
        settings.startDir = dir.text();
        settings.hostClockAllowed = false;
        App app(platform, settings);
        Switches s;
        s.image = (dir / "waits.vrn").string();
        ASSERT_EQ(app.startUp(s), 0);
        platform.setFonts(app.machine().fonts);

        const int index =
            SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                      SDL_CONTROLLER_BUTTON_MAX, 0);
        ASSERT_GE(index, 0) << SDL_GetError();
        SDL_Joystick* pad = SDL_JoystickOpen(index);
        bool noticed = false;
        const auto end = std::chrono::steady_clock::now() + kShowLimit;
        while (app.machine().programLoaded && std::chrono::steady_clock::now() < end) {
            app.dispatchEvents();
            SliceResult r = app.turn();
            if (!noticed && app.window().notice().find("手柄已连接") == 0) {
                noticed = true;
                SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_A, 1);
            }
            if (r.idle != IdleReason::None) platform.waitUntil(r.wakeNs);
        }
        EXPECT_TRUE(noticed);
        EXPECT_FALSE(app.machine().programLoaded) << "the program got no key";
        EXPECT_EQ(app.machine().slot(0), 0x0Du);
        app.shutDown();
        SDL_JoystickClose(pad);
        SDL_JoystickDetachVirtual(index);
    }
    SDL_Quit();
}

// The files demo's last page asks for a file; the Enter that picks it in the chooser drawn in
// the window must not also turn that page, which shows the chosen file.
TEST_F(Desktop, EnterThatPicksAFileStaysWithTheChooser) {
    fs::copy_file(kBin + "/files.vrn", dir / "files.vrn");
    writeText(dir / "zz.txt", "the last file of the folder");
    const fs::path image = dir / "files.vrn";
    ASSERT_TRUE(launch({image.string()}));
    ASSERT_TRUE(findWindow()) << readText(dir / "stderr");
    for (int page = 0; page < 3; ++page) {
        std::this_thread::sleep_for(500ms);
        keyHeld("space");
    }
    std::this_thread::sleep_for(1s);
    xdo("key End");  // the last entry: zz.txt
    std::this_thread::sleep_for(200ms);
    keyHeld("Return");
    std::vector<uint8_t> page4 = [&] {
        // The same program with the runner's answer, in a root of its own (the demo counts its
        // runs in the root).
        TempDir other;
        fs::copy_file(kBin + "/duzezi.dat", other / "duzezi.dat");
        fs::copy_file(dir / "zz.txt", other / "zz.txt");
        const fs::path out = other / "page4.pbm";
        std::system((quoted(kBin + "/corvane-run") + " " + quoted(image.string()) +
                     " --max-frames 200 --root " + quoted(other.path().string()) + " --keys " +
                     quoted("60:space 80:space 100:space") + " --dialog " +
                     quoted((dir / "zz.txt").string()) + " --lcd " + quoted(out.string()) +
                     " >/dev/null 2>&1")
                        .c_str());
        const std::string pbm = readText(out);
        return pbm.size() > 10 ? std::vector<uint8_t>(pbm.end() - 1600, pbm.end())
                               : std::vector<uint8_t>();
    }();
    ASSERT_EQ(page4.size(), 1600u);
    std::optional<RgbImage> shot = waitForLcd(page4);
    ASSERT_TRUE(shot && showsLcd(*shot, page4)) << "the page with the chosen file was skipped";
    app.signal(SIGTERM);
    expectOrderlyEnd();
}

}  // namespace
}  // namespace corvane::test

namespace corvane::test {
namespace {

// Start-up failures, each told on stderr and by a non-zero exit status, before any window.
// A session recorded in the window (keys tapped and held, a face key clicked, F8) is played again
// by the runner from its input log to the same end: a busy program prints, at each key, a letter
// from the number of turns its loop made, so every key must come after the same instructions.
// The recording's clock never runs ahead of real time.
TEST_F(Desktop, ARecordedSessionReplaysExactlyInTheRunner) {
    const fs::path image = writeProgram(dir / "busy.vrn",
                                        "X = 0x2000\n"
                                        "main:   PUSH_D 0x40000 + X\n"
                                        "        PUSH_B 0\n"
                                        "        ASSIGN\n"
                                        "        POP_COND\n"
                                        ".loop:  PUSH_D 0x40000 + X\n"
                                        "        LDG_L X\n"
                                        "        ADDI 1\n"
                                        "        ASSIGN\n"
                                        "        POP_COND\n"
                                        "        Inkey\n"
                                        "        EQI 0\n"
                                        "        POP_COND\n"
                                        "        JNZ .loop\n"
                                        "        LDG_L X\n"
                                        "        MODI 26\n"
                                        "        ADDI 97\n"
                                        "        putchar\n"
                                        "        JMP .loop\n");
    const fs::path log = dir / "session.log";
    const auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(launch({"--record-input", log.string(), image.string()}));
    ASSERT_TRUE(findWindow()) << readText(dir / "stderr");
    for (const char* key : {"a", "s", "d"}) {
        xdo(std::string("key ") + key);
        std::this_thread::sleep_for(150ms);
    }
    keyHeld("f");
    const KeyRect b = gridKeyRect(2, 4);
    xdo("mousemove --window " + window + " " + std::to_string(b.left + b.width / 2) + " " +
        std::to_string(b.top + b.height / 2) + " click 1");
    std::this_thread::sleep_for(200ms);
    xdo("key F8");
    std::this_thread::sleep_for(200ms);
    // A state saved and loaded again would take the frames back under the log's input: while
    // recording, the load is refused with a message, and the log stays one the runner replays.
    xdo("key F7");
    std::this_thread::sleep_for(300ms);
    xdo("key h");
    std::this_thread::sleep_for(300ms);
    xdo("key F10");
    std::this_thread::sleep_for(300ms);
    xdo("key g");
    std::this_thread::sleep_for(500ms);
    const std::optional<RgbImage> last = screenshot();
    ASSERT_TRUE(last);
    app.signal(SIGTERM);
    expectOrderlyEnd();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    EXPECT_NE(readText(dir / "stderr").find("input log written"), std::string::npos);
    EXPECT_NE(readText(dir / "stderr").find(hostText(TextId::MessageStateWhileLogged)),
              std::string::npos)
        << readText(dir / "stderr");

    const std::string text = readText(log);
    for (const char* record : {"\nview 1 1920x1200\n", " key-down 65\n", " key-up 70\n",
                               " left-down ", " key-down 119\n", " quit\n", "\nend "})
        EXPECT_NE(text.find(record), std::string::npos) << record << "\n" << text;
    const size_t end = text.find("\nend ");
    ASSERT_NE(end, std::string::npos);
    uint64_t instructions = 0, frames = 0;
    ASSERT_EQ(std::sscanf(text.c_str() + end, "\nend %" SCNu64 " %" SCNu64, &instructions, &frames),
              2);
    // Paced to real time: the recorded frames took at least as long on the wall.
    EXPECT_LE(double(frames) / 60.0, seconds + 0.5) << text;
    EXPECT_GT(instructions, 10'000'000u) << "the program ran busily for a second at least";

    const fs::path pbm = dir / "replayed.pbm";
    const std::string replay = quoted(kBin + "/corvane-run") + " --replay " + quoted(log.string()) +
                               " --root " + quoted(dir.path().string()) + " --lcd " +
                               quoted(pbm.string()) + " >" + quoted((dir / "replay.out").string()) +
                               " 2>&1";
    const int raw = std::system(replay.c_str());
    ASSERT_TRUE(WIFEXITED(raw));
    EXPECT_EQ(WEXITSTATUS(raw), 0) << readText(dir / "replay.out");
    const std::string lcd = readText(pbm);
    const std::string header = "P4\n160 80\n";
    ASSERT_EQ(lcd.size(), header.size() + 1600);
    const std::vector<uint8_t> replayed(lcd.begin() + long(header.size()), lcd.end());
    EXPECT_TRUE(showsLcd(*last, replayed)) << "the replay ended with another LCD";
    EXPECT_TRUE(std::any_of(replayed.begin(), replayed.end(), [](uint8_t v) { return v != 0; }));
}

TEST_F(Desktop, StartUpFailuresEndWithAStatus) {
    // A copy of the program with no font data file anywhere it looks.
    const fs::path lonely = dir / "bin" / "corvane";
    fs::create_directories(lonely.parent_path());
    fs::copy_file(kBin + "/corvane", lonely);
    fs::create_directories(dir / "home");
    writeBytes(dir / "bad.vrn", {'V', 'R', 'N', 0x11, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x40});

    struct Case {
        const char* what;
        std::vector<std::string> argv;
        std::vector<std::string> env;  // on top of the fixture's
        int status;
        const char* err;
    };
    const Case cases[] = {
        {"no font file",
         {lonely.string()},
         {"CORVANE_HOME=" + (dir / "home").string()},
         1,
         "无法打字体文件duzezi.dat!"},
        {"image missing",
         {kBin + "/corvane", (dir / "none.vrn").string()},
         {},
         1,
         "无法打开Quillbox文件!"},
        {"image not valid",
         {kBin + "/corvane", "/R", (dir / "bad.vrn").string()},
         {},
         1,
         "不是有效的Quillbox文件!"},
        {"display cannot be opened", {kBin + "/corvane"}, {"DISPLAY=:65000"}, 1, "corvane-run"},
        {"usage error", {kBin + "/corvane", "--frobnicate"}, {}, 2, "usage"},
        {"recording with no image to start the log with",
         {kBin + "/corvane", "--record-input", (dir / "run.log").string()},
         {},
         2,
         "--record-input needs a program image"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> env = environment();
        env.insert(env.end(), c.env.begin(), c.env.end());
        std::vector<std::string> merged;
        for (const std::string& e : env) {  // later entries win
            const std::string name = e.substr(0, e.find('='));
            std::erase_if(merged,
                          [&](const std::string& m) { return m.rfind(name + "=", 0) == 0; });
            merged.push_back(e);
        }
        Child child;
        ASSERT_TRUE(child.start(c.argv, merged, {}, dir / "stdout", dir / "stderr"));
        std::optional<int> status = child.wait(kStartLimit);
        ASSERT_TRUE(status.has_value());
        EXPECT_EQ(*status, c.status);
        EXPECT_NE(readText(dir / "stderr").find(c.err), std::string::npos)
            << readText(dir / "stderr");
    }
    // Without its fonts the program ends before it touches the configuration.
    EXPECT_FALSE(fs::exists(dir / "home" / "vorn.ini"));
    // No window appeared for any of them.
    EXPECT_EQ(xdo("search --onlyvisible --name '^Corvane$'"), "");
}

// Without any display the program says so in one line and names the runner; --help and
// --version answer on the terminal. None of this needs an X server.
TEST(DesktopWithoutDisplay, AnswersOnTheTerminal) {
    TempDir dir;
    struct Case {
        std::string arg;
        int status;
        const char* file;
        const char* text;
    };
    const Case cases[] = {
        {"", 1, "stderr", "corvane-run"},
        {"--help", 0, "stdout", "usage: corvane"},
        {"--version", 0, "stdout", "corvane "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arg);
        std::vector<std::string> argv = {kBin + "/corvane"};
        if (!c.arg.empty()) argv.push_back(c.arg);
        Child child;
        ASSERT_TRUE(child.start(argv, {"CORVANE_HOME=" + dir.path().string()},
                                {"DISPLAY", "WAYLAND_DISPLAY"}, dir / "stdout", dir / "stderr"));
        std::optional<int> status = child.wait(kStartLimit);
        ASSERT_TRUE(status.has_value());
        EXPECT_EQ(*status, c.status);
        const std::string text = readText(dir / c.file);
        EXPECT_NE(text.find(c.text), std::string::npos) << text;
        if (c.arg.empty()) {
            EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
        }
    }
}

}  // namespace
}  // namespace corvane::test

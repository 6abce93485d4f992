// corvane-run ending without losing data: a signal ends the program as Exit does, so what it
// wrote reaches the disk and the temporary root goes; a write the host cannot complete is told
// on stderr, naming the file.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "support/build_paths.h"
#include "tests/host/app_test_files.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

// Writes "hello, disk" into data.txt without closing it, makes the file "ready" to say so, then
// sleeps in Delay for ever.
constexpr const char* kWritesAndSleeps =
    "PUSH_STR \"data.txt\"\nPUSH_STR \"w\"\nfopen\nPOP_COND\n"
    "PUSH_STR \"hello, disk\"\nPUSH_B 0\nPUSH_B 11\nPUSH_W 0x80\nfwrite\nPOP_COND\n"
    "PUSH_STR \"ready\"\nPUSH_STR \"w\"\nfopen\nfclose\n"
    "top: PUSH_W 1000\nDelay\nJMP top\n";

struct Child {
    pid_t pid = -1;
    // Stops a child a failed test left running.
    ~Child() {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
    int wait() {
        int raw = 0;
        waitpid(pid, &raw, 0);
        pid = -1;
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }
};

struct RunnerEnd : ::testing::Test {
    TempDir dir;

    RunnerEnd() {
        fs::create_directories(dir / "root");
        fs::create_directories(dir / "tmp");
        writeText(dir / "fonts.dat", "");
        writeProgram(dir / "sleeps.vrn", kWritesAndSleeps);
    }

    // Starts corvane-run in real time with `args`; its temporary folder is the test's tmp/.
    void start(Child& child, const std::vector<std::string>& args) {
        std::vector<std::string> all = {std::string(corvane::test::binDir()) + "/corvane-run",
                                        "--fonts", (dir / "fonts.dat").string(), "--realtime"};
        all.insert(all.end(), args.begin(), args.end());
        const std::string err = (dir / "stderr").string();
        const std::string tmp = (dir / "tmp").string();
        child.pid = fork();
        ASSERT_GE(child.pid, 0);
        if (child.pid == 0) {
            const int fd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            dup2(fd, 2);
            unsetenv("CORVANE_HOME");
            setenv("TMPDIR", tmp.c_str(), 1);
            std::vector<char*> argv;
            for (std::string& a : all) argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
    }

    // Waits until the program has made `file` (a glob-free path, or any corvane-run-* folder's
    // file below tmp/ when `inTemp`). The bound only keeps a broken run from hanging the test.
    bool waitFor(const std::string& file, bool inTemp) {
        for (int i = 0; i < 6000; ++i) {
            if (!inTemp && fs::exists(dir / "root" / file)) return true;
            if (inTemp) {
                for (const auto& e : fs::directory_iterator(dir / "tmp"))
                    if (fs::exists(e.path() / file)) return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }
};

TEST_F(RunnerEnd, ASignalEndsTheProgramAsExitDoes) {
    const struct {
        int signal;
        const char* name;
    } cases[] = {{SIGTERM, "SIGTERM"}, {SIGINT, "SIGINT"}, {SIGHUP, "SIGHUP"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(dir / "root" / "ready");
        fs::remove(dir / "root" / "data.txt");
        Child child;
        start(child, {"--root", (dir / "root").string(), (dir / "sleeps.vrn").string()});
        ASSERT_TRUE(waitFor("ready", false)) << readText(dir / "stderr");
        ASSERT_EQ(kill(child.pid, c.signal), 0);
        EXPECT_EQ(child.wait(), 130);
        EXPECT_EQ(readText(dir / "root" / "data.txt"), "hello, disk");
        EXPECT_EQ(readText(dir / "stderr"),
                  std::string("corvane-run: interrupted by ") + c.name + "\n");
    }
}

TEST_F(RunnerEnd, ASignalRemovesTheTemporaryRoot) {
    Child child;
    start(child, {(dir / "sleeps.vrn").string()});
    ASSERT_TRUE(waitFor("ready", true)) << readText(dir / "stderr");
    ASSERT_EQ(kill(child.pid, SIGTERM), 0);
    EXPECT_EQ(child.wait(), 130);
    EXPECT_TRUE(fs::is_empty(dir / "tmp"));
}

TEST_F(RunnerEnd, AWriteTheHostCannotCompleteIsToldNamingTheFile) {
    // 3000 bytes fit in the stream's buffer, so fwrite reports them all; the size limit of the
    // process (one block) makes the flush at the program's end fail.
    writeProgram(dir / "big.vrn",
                 "PUSH_STR \"big.bin\"\nPUSH_STR \"w\"\nfopen\nPOP_COND\n"
                 "PUSH_W 0x2000\nPUSH_B 0\nPUSH_W 3000\nPUSH_W 0x80\nfwrite\nPOP_COND\nEXIT\n");
    const std::string cmd = "cd '" + dir.path().string() + "' && trap '' XFSZ && ulimit -f 1 && '" +
                            std::string(corvane::test::binDir()) +
                            "/corvane-run' --fonts fonts.dat --root root "
                            "big.vrn 2>stderr";
    const int raw = std::system(cmd.c_str());
    ASSERT_TRUE(WIFEXITED(raw));
    EXPECT_EQ(WEXITSTATUS(raw), 0) << readText(dir / "stderr");
    const std::string said = readText(dir / "stderr");
    const std::string file = (dir / "root" / "big.bin").string();
    EXPECT_NE(said.find(file), std::string::npos) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_LT(fs::file_size(dir / "root" / "big.bin"), 3000u);
}

}  // namespace
}  // namespace corvane::test

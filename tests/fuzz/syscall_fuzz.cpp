// Every system call with operand stacks and memory made from the input, several calls in a row
// so that files are opened, written, read and closed. The program's file root is a folder of
// files, folders and symbolic links, some of which lead outside it; any host file call that
// reaches outside the root while the calls run stops the fuzzer.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "file_guard.h"
#include "fuzz_support.h"
#include "vm/dispatch.h"
#include "vm/interpreter.h"

namespace {

using namespace corvane;
namespace fs = std::filesystem;

constexpr uint16_t kPool = 0x3000;  // where the input's bytes go: names, modes, buffers, formats
constexpr size_t kPoolSize = 1024;
constexpr int kMaxCalls = 24;

void writeFile(const fs::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary) << bytes;
}

// The root and, beside it, the outside a program must never reach.
class Tree {
  public:
    Tree() { build(); }

    const fs::path& root() const { return root_; }
    std::string rootDir() const { return root_.string() + "/"; }
    std::string realRoot() const { return fs::canonical(root_).string(); }

    // Puts the root back as it was; only needed after a call that may have changed files.
    void build() {
        std::error_code ec;
        fs::remove_all(root_, ec);
        fs::remove_all(outside_, ec);
        fs::create_directories(root_ / "sub" / "deep");
        fs::create_directories(outside_ / "dir");
        writeFile(root_ / "a.txt", "first file\n");
        writeFile(root_ / "DATA.DAT", std::string(300, '\x5A'));
        writeFile(root_ / "sub" / "b.txt", "second");
        writeFile(outside_ / "secret.txt", "outside");
        writeFile(outside_ / "dir" / "Secret.Txt", "outside too");
        fs::create_symlink("../outside", root_ / "out", ec);
        fs::create_symlink(outside_ / "secret.txt", root_ / "outfile", ec);
        fs::create_symlink("../outside/none", root_ / "dangling", ec);
        fs::create_symlink("../..", root_ / "sub" / "up", ec);
        fs::create_symlink("../a.txt", root_ / "sub" / "back", ec);
        fs::create_symlink("/", root_ / "sub" / "top", ec);
        fs::create_symlink(root_ / "a.txt", outside_ / "inward", ec);
    }

  private:
    fuzz::ScratchDir base_{"syscalls"};
    fs::path root_ = base_.path() / "root";
    fs::path outside_ = base_.path() / "outside";
};

struct Session {
    Tree tree;
    std::string rootDir = tree.rootDir();
    std::string realRoot = tree.realRoot();
    fuzz::QuietHost host;
    fuzz::ReusedMachine machine;
};

// An argument as a program would push it: a small number, a pointer into the pool, a file
// handle, or any 32-bit value.
uint32_t argument(FuzzedDataProvider& in) {
    switch (in.ConsumeIntegralInRange<int>(0, 3)) {
        case 0:
            return uint32_t(int32_t(in.ConsumeIntegral<int8_t>()));
        case 1:
            return kPool + in.ConsumeIntegralInRange<uint32_t>(0, kPoolSize - 1);
        case 2:
            return 0x80 + in.ConsumeIntegralInRange<uint32_t>(0, 3);
        default:
            return in.ConsumeIntegral<uint32_t>();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Session* s = new Session;  // lives until the process ends
    FuzzedDataProvider in(data, size);

    s->host = fuzz::QuietHost{};
    switch (in.ConsumeIntegralInRange<int>(0, 3)) {
        case 0:
            s->host.chooserAnswer = (s->tree.root() / "a.txt").string();
            break;
        case 1:
            s->host.chooserAnswer = (s->tree.root() / "sub" / "back").string();
            break;
        case 2:
            s->host.chooserAnswer = (s->tree.root() / "sub").string();
            break;
        default:
            break;  // cancelled
    }
    Machine& m = s->machine.fresh(&s->host, s->rootDir);
    m.programLoaded = true;
    m.paused = false;
    m.fonts = fuzz::fonts();
    m.osp = uint8_t(in.ConsumeIntegral<uint8_t>() & ~3u);
    const std::string pool =
        in.ConsumeBytesAsString(in.ConsumeIntegralInRange<size_t>(0, kPoolSize));
    for (size_t i = 0; i < pool.size(); ++i) m.mem[kPool + i] = uint8_t(pool[i]);

    fuzz::FileGuard::arm(s->realRoot);
    for (int call = 0; call < kMaxCalls && in.remaining_bytes() > 0; ++call) {
        const uint8_t opcode = uint8_t(0x80 + in.ConsumeIntegralInRange<int>(0, 0x51));
        const int args = in.ConsumeIntegralInRange<int>(0, 7);
        for (int i = 0; i < args; ++i) m.push(argument(in));
        kSystemCallHandlers[opcode - 0x80](m);
        // A key arrives for a getchar or GetWord, a Delay ends: the next call runs as it would
        // once the host let the program go on.
        m.waitForKey = 0;
        m.delayCounter = 0;
        m.stopRun = false;
    }
    endProgram(m);
    fuzz::FileGuard::disarm();

    if (!fuzz::FileGuard::escapes().empty()) {
        std::string all;
        for (const std::string& e : fuzz::FileGuard::escapes()) all += e + "\n";
        fuzz::fail("a system call reached outside the program's root", all);
    }
    if (fuzz::FileGuard::changedFiles()) s->tree.build();
    return 0;
}

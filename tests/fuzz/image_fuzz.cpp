// Program images as the simulator meets them: header check, load, reset and a run that stops
// after a fixed number of instructions. Keys are fed to programs that wait for one and delays
// end at once, so the instruction budget goes into the program's own work.

#include <cstddef>
#include <cstdint>

#include "fuzz_support.h"
#include "library/keycodes.h"
#include "vm/image.h"
#include "vm/interpreter.h"
#include "vm/memory_map.h"

namespace {

using namespace corvane;

// Instructions per input. A mutated image ends or faults within a few hundred; a demo spends
// this many drawing its first screens and reaching its menus.
constexpr uint64_t kBudget = 3000;
constexpr uint64_t kSlice = 500;

// Device key codes offered in turn to programs waiting for a key: Enter, Esc, the arrows,
// a digit and a letter, so menus and games move on.
constexpr uint8_t kKeys[] = {key::kEnter, key::kEscape, key::kUp,    key::kDown,
                             key::kRight, key::kLeft,   key::kSpace, 'a'};

struct Session {
    fuzz::ScratchDir root{"image"};
    fuzz::QuietHost host;
    fuzz::ReusedMachine machine;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Session* session = new Session;  // lives until the process ends
    if (!checkImageHeader(data, size) || size > kImageBufferSize) return 0;
    session->host = fuzz::QuietHost{};
    Machine& m = session->machine.fresh(&session->host, session->root.path().string() + "/");
    if (setImage(m, data, size) != ImageStatus::Ok) fuzz::fail("a checked image did not load");
    resetMachine(m);
    m.programLoaded = true;
    m.paused = false;

    uint64_t executed = 0;
    size_t nextKey = 0;
    while (executed < kBudget) {
        const RunResult r = run(m, kSlice < kBudget - executed ? kSlice : kBudget - executed);
        executed += r.executed;
        session->host.now += 1'000'000 * (r.executed / 100 + 1);
        if (r.executed > kSlice) fuzz::fail("run went past its budget");
        switch (r.stop) {
            case RunStop::Budget:
                break;
            case RunStop::Ended:
                endProgram(m);
                return 0;
            case RunStop::Paused:
                m.paused = false;  // a debugger stop: resume as the debugger would
                ++executed;
                break;
            case RunStop::Delay:
                m.delayCounter = 0;
                ++executed;
                break;
            case RunStop::WaitKey:
                m.keyRegister = uint8_t(0x80 | kKeys[nextKey++ % sizeof kKeys]);
                ++executed;
                break;
        }
    }
    endProgram(m);
    return 0;
}

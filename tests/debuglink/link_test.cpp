// End to end over a real socket: corvane-run attached to a hand-written debugger.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "debuglink/peer.h"
#include "support/build_paths.h"

namespace corvane::test {
namespace {

constexpr uint32_t kAttach = 0xB000, kExit = 0xB002, kStop = 0xB003, kSnapshot = 0x4A;
const std::string kRunner = std::string(corvane::test::binDir()) + "/corvane-run";

// main (function 65,541, whose low 16 bits are 5) calls inner (function 7) twice; COUNT at
// 0x2000 counts inner's calls and INITDATA leaves a pattern further into the data area.
const char* kProgram = R"(
COUNT = 0x2000
LONG  = 0x40000
main:   SETSP 0x3000
        FUNC 65541
        INITDATA 0x6FF0, 0xDE, 0xAD, 0xBE, 0xEF
        LINE 10
        PUSH_D LONG + COUNT
        PUSH_B 0x11
        ASSIGN
        POP_COND
        LINE 11
        CALL inner
        LINE 12
        CALL inner
        LINE 13
        EXIT

.proc inner
        FUNC 7
        LINE 20
        PUSH_D LONG + COUNT
        PREINC
        POP_COND
        LINE 21
        RET
.endproc
)";

struct Stop {
    uint32_t line;
    uint32_t function;  // high half of the data word
    uint32_t fp;        // low half
    std::vector<uint8_t> data;
};

std::string stopSwitch(int32_t value) {
    return "/S" + std::to_string(uint32_t(value));
}

// A debugger session with corvane-run on the test program.
struct Session {
    TestDebugger dbg;
    std::string image = writeImage("link.vrn", kProgram);
    std::unique_ptr<ChildProcess> child;
    uint32_t pid = 0;

    explicit Session(int32_t stopValue, std::vector<std::string> extra = {}) {
        std::vector<std::string> args = {"/W" + std::to_string(dbg.port()), stopSwitch(stopValue)};
        args.insert(args.end(), extra.begin(), extra.end());
        args.push_back(image);
        child = std::make_unique<ChildProcess>(kRunner, args);
    }

    bool attach() {
        if (!dbg.accept()) return false;
        auto r = dbg.next();
        if (!r || r->message != kAttach) return false;
        pid = r->first;
        return true;
    }

    // The next stop: snapshot then stop notice, both acknowledged.
    std::optional<Stop> stop() {
        auto snap = dbg.next();
        if (!snap || snap->message != kSnapshot) return std::nullopt;
        auto notice = dbg.next();
        if (!notice || notice->message != kStop) return std::nullopt;
        return Stop{notice->first, snap->second >> 16, snap->second & 0xFFFF, snap->payload};
    }

    // Follows the program to its end, resuming every stop with `resumeWith`, and returns the
    // stops it saw. The exit notice must come last.
    std::vector<Stop> follow(int32_t resumeWith) {
        std::vector<Stop> stops;
        for (;;) {
            auto r = dbg.next();
            if (!r) {
                ADD_FAILURE() << "the connection ended without an exit notice";
                return stops;
            }
            if (r->message == kExit) break;
            EXPECT_EQ(r->message, kSnapshot);
            auto notice = dbg.next();
            if (!notice || notice->message != kStop) {
                ADD_FAILURE() << "no stop notice after a snapshot";
                return stops;
            }
            stops.push_back({notice->first, r->second >> 16, r->second & 0xFFFF, r->payload});
            EXPECT_TRUE(dbg.resume(resumeWith));
        }
        EXPECT_TRUE(dbg.closedByPeer()) << "records after the exit notice";
        return stops;
    }
};

std::vector<uint32_t> lines(const std::vector<Stop>& stops) {
    std::vector<uint32_t> out;
    for (const Stop& s : stops) out.push_back(s.line);
    return out;
}

TEST(DebugLink, StopValuesChooseTheStops) {
    struct Case {
        const char* what;
        int32_t initial;
        int32_t resume;
        std::vector<uint32_t> lines;
    };
    const std::vector<Case> cases = {
        {"every line, called functions included", -2, -2, {10, 11, 20, 21, 12, 20, 21, 13}},
        {"same function only: calls run through", 0, 0, {10, 11, 12, 13}},
        {"one line, met on every call", 20, 20, {20, 20}},
        {"first stop only, then run free", 20, -1, {20}},
        {"a line past 24 bits never stops", 1 << 24, -2, {}},
        {"a negative value other than -2 never stops", -3, -2, {}},
    };
    for (const Case& c : cases) {
        Session s(c.initial);
        ASSERT_TRUE(s.attach()) << c.what;
        EXPECT_EQ(lines(s.follow(c.resume)), c.lines) << c.what;
        EXPECT_EQ(s.child->wait(), 0) << c.what;
    }
}

TEST(DebugLink, SnapshotCarriesDataAreaFunctionAndFrame) {
    const std::string dump = tempPath("link.mem");
    Session s(-2, {"--dump-mem", dump});
    ASSERT_TRUE(s.attach());
    const std::vector<Stop> stops = s.follow(-2);
    ASSERT_EQ(s.child->wait(), 0);
    ASSERT_EQ(stops.size(), 8u);
    EXPECT_NE(s.pid, 0u);

    // Function 65,541 shows as 5: only the low 16 bits travel. inner's frame starts at 0x3000.
    for (const Stop& st : stops) {
        const bool inner = st.line >= 20;
        EXPECT_EQ(st.function, inner ? 7u : 5u) << "line " << st.line;
        if (inner) {
            EXPECT_EQ(st.fp, 0x3000u) << "line " << st.line;
        }
        ASSERT_EQ(st.data.size(), 20480u);
    }
    // COUNT as each stop saw it: set to 0x11 after line 10, counted up inside inner.
    const std::vector<uint8_t> counts = {0, 0x11, 0x11, 0x12, 0x12, 0x12, 0x13, 0x13};
    for (size_t i = 0; i < stops.size(); ++i)
        EXPECT_EQ(stops[i].data[0], counts[i]) << "stop " << i << " at line " << stops[i].line;

    // The last stop comes after every change: its snapshot is the data area at the end.
    const std::string mem = readFile(dump);
    ASSERT_EQ(mem.size(), 65536u);
    EXPECT_EQ(std::string(stops.back().data.begin(), stops.back().data.end()),
              mem.substr(0x2000, 20480));
    EXPECT_EQ(stops.back().data[0x4FF0], 0xDE);
}

TEST(DebugLink, ResumeSentBeforeTheSnapshotIsAcknowledged) {
    // The debugger answers the snapshot with a resume request first and acknowledges it only
    // afterwards, as a window procedure that resumes from inside its handler would.
    Session s(-2);
    ASSERT_TRUE(s.attach());
    auto snap = s.dbg.read();
    ASSERT_TRUE(snap && snap->message == kSnapshot);
    ASSERT_TRUE(s.dbg.resume(-1));  // acknowledged while the simulator still waits for ours
    ASSERT_TRUE(s.dbg.ack(kSnapshot));
    auto notice = s.dbg.next();
    ASSERT_TRUE(notice && notice->message == kStop);
    EXPECT_EQ(notice->first, 10u);
    // Already resumed, running free: nothing more until the exit notice.
    auto last = s.dbg.next();
    ASSERT_TRUE(last);
    EXPECT_EQ(last->message, kExit);
    EXPECT_EQ(s.child->wait(), 0);
}

TEST(DebugLink, NoListenerRunsFreeOrStaysPaused) {
    // A port nobody listens on: the messages go nowhere.
    uint16_t port;
    {
        TestDebugger gone;
        port = gone.port();
    }
    const std::string image = writeImage("alone.vrn", kProgram);
    ChildProcess free(kRunner, {"/W" + std::to_string(port), image});
    EXPECT_EQ(free.wait(), 0);
    // "/S" alone: stopped at the first line marker for good, which the runner reports as no
    // more progress.
    ChildProcess stopped(kRunner, {"/W" + std::to_string(port), "/S0", image});
    EXPECT_EQ(stopped.wait(), 2);
}

TEST(DebugLink, AProgramThatCannotBeLoadedEndsTheSessionWithTheExitNotice) {
    TestDebugger dbg;
    const std::string missing = tempPath("link-missing.vrn");
    std::filesystem::remove(missing);
    ChildProcess child(kRunner, {"/W" + std::to_string(dbg.port()), "/S0", missing});
    ASSERT_TRUE(dbg.accept());
    auto attach = dbg.next();
    ASSERT_TRUE(attach);
    EXPECT_EQ(attach->message, kAttach);
    auto last = dbg.next();
    ASSERT_TRUE(last) << "the connection ended without an exit notice";
    EXPECT_EQ(last->message, kExit);
    EXPECT_TRUE(dbg.closedByPeer()) << "records after the exit notice";
    EXPECT_EQ(child.wait(), 1);
}

// A debugger that misbehaves is dropped; the simulator never hangs.
TEST(DebugLink, MisbehavingDebuggerIsDropped) {
    struct Case {
        const char* what;
        int32_t stopValue;
        bool atStop;  // misbehave at the first stop (else right after the attach notice)
        std::function<void(TestDebugger&)> misbehave;
        int status;  // 0: the program ran to its end; 2: it stays paused at the stop
    };
    const std::vector<Case> cases = {
        {"garbage before any stop", -1, false,
         [](TestDebugger& d) {
             d.writeRaw({'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '!', 0, 0, 0, 0});
         },
         0},
        {"unknown message at a stop", 0, true, [](TestDebugger& d) { d.write(0x1234, 0, 0); }, 2},
        {"payload too long", 0, true,
         [](TestDebugger& d) { d.write(0xB001, 0xFFFFFFFF, 0, std::vector<uint8_t>(20481)); }, 2},
        {"acknowledgement nobody waits for", -1, false, [](TestDebugger& d) { d.ack(0xB003); }, 0},
        {"closes mid-stop", 0, true, [](TestDebugger& d) { d.hangUp(); }, 2},
    };
    for (const Case& c : cases) {
        Session s(c.stopValue);
        ASSERT_TRUE(s.attach()) << c.what;
        if (c.atStop) {
            ASSERT_TRUE(s.stop()) << c.what;
        }
        c.misbehave(s.dbg);
        EXPECT_EQ(s.child->wait(), c.status) << c.what;
    }
}

TEST(DebugLink, UnacknowledgedSendTimesOut) {
    // The debugger takes the attach notice but never acknowledges: after the timeout the link is
    // dropped and the program stops at its first marker with nobody to resume it.
    Session s(0);
    ASSERT_TRUE(s.dbg.accept());
    auto attach = s.dbg.read();
    ASSERT_TRUE(attach && attach->message == kAttach);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(s.dbg.closedByPeer(30000));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::seconds(4));
    EXPECT_EQ(s.child->wait(30000), 2);
}

// Not a pass/fail speed check: prints the cost of one stop (snapshot, stop notice, resume).
TEST(DebugLink, RoundTripOfOneStop) {
    const std::string image = writeImage("loop.vrn", R"(
N = 0x2000
main:   PUSH_D 0x40000 + N
        PUSH_D 1000
        ASSIGN
        POP_COND
.loop:  LINE 1
        PUSH_D 0x40000 + N
        PREDEC
        POP_COND
        JNZ .loop
        EXIT
)");
    TestDebugger dbg;
    ChildProcess child(kRunner, {"/W" + std::to_string(dbg.port()), "/S1", image});
    ASSERT_TRUE(dbg.accept());
    ASSERT_EQ(dbg.next()->message, kAttach);
    int stops = 0;
    const auto start = std::chrono::steady_clock::now();
    for (;;) {
        auto r = dbg.next();
        ASSERT_TRUE(r);
        if (r->message == kExit) break;
        if (r->message == kStop) {
            ++stops;
            ASSERT_TRUE(dbg.resume(1));
        }
    }
    const double us =
        std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(stops, 1000);
    std::printf("one stop round trip: %.1f us (%d stops)\n", us / stops, stops);
    RecordProperty("stop_round_trip_us", int(us / stops));
    EXPECT_EQ(child.wait(), 0);
}

}  // namespace
}  // namespace corvane::test

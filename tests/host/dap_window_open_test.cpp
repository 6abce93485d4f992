// A client attached to the window's program while the window opens another one (its menu, a
// dropped file) or closes it: the session takes the new image's debug information (or none),
// places the breakpoints again, ends the stop, and tells the client what changed. The window's
// loop is driven by hand here, one turn at a time, as runWithDebugServer() drives it.

#include <gtest/gtest.h>

#include "host/app.h"
#include "host/dap_session.h"
#include "host/menu.h"
#include "support/dap_thread_client.h"
#include "tests/host/app_fake_platform.h"
#include "tests/host/app_test_files.h"
#include "tools/vrncc/compiler.h"
#include "vm/machine.h"

namespace corvane::test {
namespace {

// Compiles `source` (written to `dir`/`name`.c) into `dir`/`name`.vrn, with its .dbg when `debug`.
void compileInto(const TempDir& dir, const std::string& name, const std::string& source,
                 bool debug) {
    const std::filesystem::path c = dir / (name + ".c");
    writeText(c, source);
    CcOptions o;
    o.debug = debug;
    const CcResult r = compileC({c.string()}, o);
    ASSERT_TRUE(r.ok()) << r.diagnostics;
    writeBytes(dir / (name + ".vrn"), r.image);
    if (debug) writeText(dir / (name + ".dbg"), r.debugInfo);
}

struct WindowSession {
    TempDir& dir;
    FakePlatform platform;
    AppSettings settings;
    std::unique_ptr<App> app;
    ThreadLink link;
    DapSession session{link};
    int seq = 1;

    explicit WindowSession(TempDir& d) : dir(d) {
        settings.paths.root = dir.path();
        settings.paths.configFile = dir / "vorn.ini";
        settings.paths.fontFile = dir / "duzezi.dat";
        settings.startDir = dir.path().string();
        writeText(dir / "duzezi.dat", "");
        app = std::make_unique<App>(platform, settings);
        link.timeout = std::chrono::seconds(0);
        session.setWaits(false);  // the window's: nothing waits, the loop goes on
        session.setRestartInPlace(true);
    }
    void post(const std::string& command, json args = json::object()) {
        link.post({{"seq", seq++}, {"type", "request"}, {"command", command}, {"arguments", args}});
    }
    // One pass of the window's loop: its events, the client's requests, a turn.
    void pass() {
        app->dispatchEvents();
        session.serve();
        if (!session.mayRun()) return;
        app->turn();
        session.afterTurn();
    }
    // What the server sent so far.
    std::vector<json> sent() {
        std::vector<json> all;
        for (json m = link.next(); !m.is_null(); m = link.next()) all.push_back(m);
        return all;
    }
    // Passes until an event named `name` comes; everything sent meanwhile is added to `seen`.
    json until(const std::string& name, std::vector<json>& seen, int passes = 2000) {
        for (int i = 0; i < passes; ++i) {
            pass();
            for (const json& m : sent()) {
                seen.push_back(m);
                if (m["type"] == "event" && m["event"] == name) return m;
            }
        }
        return nullptr;
    }
};

json find(const std::vector<json>& messages, const std::string& type, const std::string& name) {
    for (const json& m : messages)
        if (m["type"] == type && m[type == "event" ? "event" : "command"] == name) return m;
    return nullptr;
}

TEST(DapWindowOpen, TheSessionFollowsWhatTheWindowLoads) {
    TempDir dir;
    compileInto(dir, "spin",
                "int ticks;\nint main(void) {\n    for (;;) {\n        ticks++;\n    }\n}\n", true);
    compileInto(dir, "other",
                "int main(void) {\n    int x = 1;\n    x = x + 1;\n    return x;\n}\n", true);
    compileInto(dir, "bare", "int main(void) {\n    for (;;) {\n    }\n}\n", false);
    struct Case {
        const char* what;
        std::optional<std::string> opened;  // the dialog's choice; none: Close
        const char* console;                // what the console says (empty: nothing asked)
        bool otherLine3;                    // a breakpoint on other.c:3 is placed
    };
    const Case cases[] = {
        {"another program with its .dbg", "other.vrn", "opened", true},
        {"a program without one", "bare.vrn", "no debug information", false},
        {"closed from the menu", std::nullopt, "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WindowSession w(dir);
        ASSERT_EQ(w.app->startUp({}), 0);
        ASSERT_TRUE(w.app->openProgram((dir / "spin.vrn").string()));
        w.post("initialize", {{"adapterID", "corvane"}, {"supportsInvalidatedEvent", true}});
        w.post("attach");
        ASSERT_TRUE(w.session.awaitLaunch().has_value());
        w.session.launched(*w.app, w.app->loader().imagePath());
        w.post("setBreakpoints", {{"source", {{"path", (dir / "spin.c").string()}}},
                                  {"breakpoints", json::array({{{"line", 4}}})}});
        w.post("configurationDone");
        std::vector<json> seen;
        ASSERT_FALSE(w.until("stopped", seen).is_null());
        ASSERT_TRUE(w.session.stopped());

        // A breakpoint in the other program's source: not placed yet.
        w.post("setBreakpoints", {{"source", {{"path", (dir / "other.c").string()}}},
                                  {"breakpoints", json::array({{{"line", 3}}})}});
        w.pass();
        const json early = find(w.sent(), "response", "setBreakpoints");
        EXPECT_FALSE(early["body"]["breakpoints"][0]["verified"].get<bool>());

        // The window acts while the program is held at the breakpoint.
        if (c.opened) {
            w.platform.dialogAnswers.push_back((dir / *c.opened).string());
            w.platform.events.push_back({PlatformEvent::Type::Command, 0, 0, kCmdOpen});
        } else {
            w.platform.events.push_back({PlatformEvent::Type::Command, 0, 0, kCmdClose});
        }
        seen.clear();
        w.pass();
        for (const json& m : w.sent()) seen.push_back(m);
        // The stop ended (the new program may stop again at once: after it).
        ASSERT_FALSE(seen.empty());
        EXPECT_EQ(seen[0]["event"], "continued");
        EXPECT_EQ(w.session.stopped(), c.otherLine3);
        if (!c.opened) continue;
        const json console = find(seen, "event", "output");
        ASSERT_FALSE(console.is_null());
        EXPECT_NE(console["body"]["output"].get<std::string>().find(c.console), std::string::npos)
            << console.dump();
        // Each breakpoint where the new program has its line: spin.c's nowhere, other.c's only
        // in other.vrn.
        std::vector<std::pair<int, bool>> moved;
        for (const json& m : seen)
            if (m["type"] == "event" && m["event"] == "breakpoint")
                moved.push_back(
                    {m["body"]["breakpoint"]["id"], m["body"]["breakpoint"]["verified"]});
        std::sort(moved.begin(), moved.end());
        EXPECT_EQ(moved, (c.otherLine3 ? std::vector<std::pair<int, bool>>{{1, false}, {2, true}}
                                       : std::vector<std::pair<int, bool>>{{1, false}}));
        EXPECT_FALSE(find(seen, "event", "invalidated").is_null());
        EXPECT_FALSE(find(seen, "event", "loadedSource").is_null());
        if (!c.otherLine3) {
            w.post("loadedSources");
            w.pass();
            EXPECT_EQ(find(w.sent(), "response", "loadedSources")["body"]["sources"],
                      json::array());
            continue;
        }
        // The new program stops at its own line, with its own function, and names its source.
        const json stop = find(seen, "event", "stopped");
        ASSERT_FALSE(stop.is_null());
        EXPECT_EQ(stop["body"]["hitBreakpointIds"], json::array({2}));
        w.post("loadedSources");
        w.pass();
        const json sources = find(w.sent(), "response", "loadedSources")["body"]["sources"];
        ASSERT_EQ(sources.size(), 1u);
        EXPECT_EQ(sources[0]["name"], "other.c");
        w.post("stackTrace", {{"threadId", 1}});
        w.pass();
        const json frames = find(w.sent(), "response", "stackTrace");
        ASSERT_FALSE(frames.is_null());
        const json top = frames["body"]["stackFrames"][0];
        EXPECT_EQ(top["name"], "main");
        EXPECT_EQ(top["line"], 3);
        EXPECT_EQ(std::filesystem::path(top["source"]["path"].get<std::string>()).filename(),
                  "other.c");
    }
}

}  // namespace
}  // namespace corvane::test

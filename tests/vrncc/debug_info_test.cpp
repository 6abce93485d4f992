// vrncc -g: the debug information it records, its text form read back, and programs that behave
// the same with markers as without.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>

#include "host/app_test_files.h"
#include "shared/debuginfo/debug_info.h"
#include "support/build_paths.h"
#include "support/process.h"
#include "support/program.h"
#include "tools/vrncc/compiler.h"
#include "vm/opcodes.h"
#include "vrncc/expected_output.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

const fs::path kPrograms = fs::path(corvane::test::sourceDir()) / "tests" / "vrncc" / "programs";
const fs::path kWalk =
    fs::path(corvane::test::sourceDir()) / "tests" / "debuglink" / "programs" / "walk.c";

DebugInfo compileWalk() {
    CcOptions o;
    o.debug = true;
    CcResult r = compileC({kWalk.string()}, o);
    EXPECT_TRUE(r.ok()) << r.diagnostics;
    std::string error;
    auto info = readDebugInfo(r.debugInfo, &error);
    EXPECT_TRUE(info.has_value()) << error;
    return info.value_or(DebugInfo{});
}

const DebugVar* find(const std::vector<DebugVar>& vars, const std::string& name) {
    for (const DebugVar& v : vars)
        if (v.name == name) return &v;
    return nullptr;
}

TEST(DebugInfo, RecordsFunctionsVariablesTypesAndLines) {
    const DebugInfo info = compileWalk();
    ASSERT_FALSE(info.files.empty());
    EXPECT_EQ(fs::path(info.files[0]).filename(), "walk.c");

    const DebugFunction* sum = info.functionByName("sum_to");
    const DebugFunction* main = info.functionByName("main");
    ASSERT_TRUE(sum && main);
    EXPECT_EQ(sum->line, 19);
    EXPECT_LT(sum->start, sum->end);
    EXPECT_EQ(info.functionAt(sum->start), sum);
    EXPECT_EQ(info.functionAt(sum->end - 1), sum);
    EXPECT_NE(sum->id, main->id);
    ASSERT_EQ(sum->params.size(), 1u);
    EXPECT_EQ(sum->params[0].location, 5);  // the first argument of a frame
    const DebugVar* below = find(sum->locals, "below");
    ASSERT_TRUE(below);
    EXPECT_EQ(below->fromLine, 21);
    EXPECT_EQ(below->toLine, 26);

    // Every function has an identifier, the runtime library's too: their RETs pop a marker.
    std::set<uint32_t> ids;
    for (const DebugFunction& f : info.functions) EXPECT_TRUE(ids.insert(f.id).second) << f.name;
    EXPECT_TRUE(info.functionByName("__udiv32"));

    // The struct type, its members, the typedef and the globals' types.
    const DebugVar* corners = find(info.globals, "corners");
    ASSERT_TRUE(corners);
    const DebugType& arr = info.types[size_t(corners->type)];
    ASSERT_EQ(arr.kind, DebugType::Array);
    EXPECT_EQ(arr.count, 2);
    const DebugType& point = info.types[size_t(arr.target)];
    EXPECT_EQ(point.kind, DebugType::Struct);
    EXPECT_EQ(point.name, "point");
    EXPECT_EQ(point.size, 4);
    ASSERT_EQ(point.members.size(), 2u);
    EXPECT_EQ(point.members[1].name, "y");
    EXPECT_EQ(point.members[1].offset, 2);
    bool typedefFound = false;
    for (const DebugTypedef& t : info.typedefs)
        if (t.name == "Point") typedefFound = info.types[size_t(t.type)] == point;
    EXPECT_TRUE(typedefFound);
    const DebugVar* total = find(info.globals, "total");
    ASSERT_TRUE(total);
    EXPECT_GE(total->location, 0x2000);
    EXPECT_LT(total->location, 0x7000);

    // Lines: each statement line of sum_to once, the return lines and the closing brace marked.
    std::map<int, LineKind> lines;
    for (const DebugLine& l : info.lines)
        if (l.address >= sum->start && l.address < sum->end) lines[lineNumber(l.value)] = l.kind;
    const std::map<int, LineKind> expected = {{22, LineKind::Statement},
                                              {23, LineKind::Return},
                                              {24, LineKind::Statement},
                                              {25, LineKind::Return},
                                              {26, LineKind::End}};
    EXPECT_EQ(lines, expected);
    // No line of the runtime library has a marker.
    for (const DebugLine& l : info.lines) EXPECT_EQ(lineFile(l.value), 1) << l.value;
}

TEST(DebugInfo, TextRoundTrip) {
    const DebugInfo info = compileWalk();
    const std::string text = writeDebugInfo(info);
    auto again = readDebugInfo(text);
    ASSERT_TRUE(again.has_value());
    EXPECT_EQ(*again, info);
    EXPECT_EQ(writeDebugInfo(*again), text);

    // Names with spaces, an untagged union and an empty folder survive too.
    DebugInfo odd;
    odd.files = {"dir with space/a.c"};
    odd.types.push_back({DebugType::Scalar, 4, false, "unsigned long", -1, 0, {}});
    odd.types.push_back({DebugType::Union, 4, false, "", -1, 0, {{"u", 0, 0}, {"v", 0, 0}}});
    odd.types.push_back({DebugType::Function, 0, false, "", 0, 0, {}});
    odd.types.push_back({DebugType::Pointer, 2, false, "", 2, 0, {}});
    odd.globals.push_back({"g", 0x2002, 1, 0, 0});
    odd.functions.push_back({7, "f", 0x10, 0x20, 1, 3, 0, {{"p", 5, 3, 0, 0}}, {}});
    odd.lines.push_back({0x14, lineValue(1, 4), LineKind::End});
    odd.marks.push_back({0x18, 12, 1});  // an assembly program's marker and its file
    auto back = readDebugInfo(writeDebugInfo(odd));
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, odd);
}

TEST(DebugInfo, DamagedFilesAreRefusedWithTheirLine) {
    struct Case {
        const char* text;
        const char* error;
    };
    const Case cases[] = {
        {"", "empty file"},
        {"something else\n", "line 1: not a debug-information file"},
        {"corvane-debug 2\n", "line 1: version 2 is not known"},
        {"corvane-debug 1\nfile 2 a.c\n", "line 2: files out of order"},
        {"corvane-debug 1\ntype 0 pointer 5\n", "a type names a type that does not exist"},
        {"corvane-debug 1\ntype 0 scalar 2 x int\n", "line 2: bad scalar type"},
        {"corvane-debug 1\nparam a 5 0\n", "line 2: param outside a function"},
        {"corvane-debug 1\ntype 0 void\nmember a 0 0\n", "line 3: bad member"},
        {"corvane-debug 1\nline 0x10 0x10001 q\n", "line 2: bad line"},
        {"corvane-debug 1\ntype 0 void\nglobal g 0x2000 4\n", "global 'g' has no valid type"},
        {"corvane-debug 1\nfile 1 a.s\nmark 0x10 4 2\n", "a mark names a file that does not exist"},
        {"corvane-debug 1\nmark 0x10 4\n", "line 2: bad mark"},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_FALSE(readDebugInfo(c.text, &error).has_value()) << c.text;
        EXPECT_NE(error.find(c.error), std::string::npos) << c.text << " gave: " << error;
    }
    // Records that a later version adds are skipped.
    EXPECT_TRUE(readDebugInfo("corvane-debug 1\nnewthing 1 2\n").has_value());
}

TEST(DebugInfo, FileNamesAndPaths) {
    DebugInfo info;
    info.files = {"src/game.c", "lib/util.c", "other/util.c"};
    EXPECT_EQ(info.fileNumber("src/game.c"), 1);
    EXPECT_EQ(info.fileNumber("game.c"), 1);
    EXPECT_EQ(info.fileNumber("ame.c"), 0);   // only whole path parts
    EXPECT_EQ(info.fileNumber("util.c"), 0);  // two files end so: name one of them fully
    EXPECT_EQ(info.fileNumber("lib/util.c"), 2);
    EXPECT_EQ(debugInfoPath("out/prog.vrn"), "out/prog.dbg");
    EXPECT_EQ(debugInfoPath("a.b/prog"), "a.b/prog.dbg");
#ifdef _WIN32
    // Windows paths separate folders with backslashes too.
    info.files.push_back("src\\win\\maze.c");
    EXPECT_EQ(info.fileNumber("maze.c"), 4);
    EXPECT_EQ(info.fileNumber("win\\maze.c"), 4);
    EXPECT_EQ(debugInfoPath("out\\prog.vrn"), "out\\prog.dbg");
    EXPECT_EQ(debugInfoPath("C:\\a.b\\prog"), "C:\\a.b\\prog.dbg");
#endif
}

// The shipped library's files get no line markers however its folder is written.
TEST(DebugInfo, LibraryStaysUnmarkedWhateverItsFolderLooksLike) {
    const std::string lib = defaultCcLibraryDir();
    for (const std::string& spelled : {lib, lib + "/", lib + "/./", lib + "/../vrncc/"}) {
        CcOptions o;
        o.debug = true;
        o.libraryDir = spelled;
        CcResult r = compileC({kWalk.string()}, o);
        ASSERT_TRUE(r.ok()) << spelled << "\n" << r.diagnostics;
        auto info = readDebugInfo(r.debugInfo);
        ASSERT_TRUE(info.has_value()) << spelled;
        ASSERT_FALSE(info->lines.empty()) << spelled;
        for (const DebugLine& l : info->lines)
            EXPECT_EQ(info->fileName(lineFile(l.value)), info->files[0]) << spelled;
    }
}

// The machine's current function (what the debugger link's stop test and its snapshot use) is,
// at every line marker a run passes, the function whose code holds the marker: also after jumps
// that drop frames (setjmp's program jumps out of recursion, out of nested setjmps, and 300 times
// in a row), plainly and under the checked mode's extra frames.
TEST(DebugInfo, MarkersFollowTheFramesThroughLongjmp) {
    for (const bool checked : {false, true}) {
        CcOptions o;
        o.debug = true;
        o.check = checked;
        CcResult r = compileC({(kPrograms / "setjmp.c").string()}, o);
        ASSERT_TRUE(r.ok()) << r.diagnostics;
        const std::optional<DebugInfo> info = readDebugInfo(r.debugInfo);
        ASSERT_TRUE(info.has_value());
        Program p(r.image, true);
        int markers = 0, wrong = 0;
        for (uint64_t n = 0; n < 20'000'000 && p.m.programLoaded; ++n) {
            if (p.m.image[p.m.pc] == op::LINE) {
                const DebugFunction* f = info->functionAt(p.m.pc);
                ASSERT_NE(f, nullptr);
                ++markers;
                if (p.m.debug.currentFunction != f->id && wrong++ == 0)
                    ADD_FAILURE() << "checked " << checked << ": at a line of " << f->name
                                  << " the current function is " << p.m.debug.currentFunction;
            }
            step(p.m);
        }
        EXPECT_FALSE(p.m.programLoaded || p.m.faulted) << p.m.faultReason;
        EXPECT_GT(markers, 1000);
        EXPECT_EQ(wrong, 0) << "checked " << checked;
    }
}

// -g adds markers but changes nothing a program does: every corpus program prints the same and
// ends with the same status, and without -g the image is the one it always was.
class DebugCorpus : public ::testing::TestWithParam<std::string> {};

int run(const fs::path& image, const TempDir& dir, std::string& out) {
    const fs::path outFile = dir / (image.stem().string() + ".out");
    const int status = runProgram(
        builtProgram("corvane-run"),
        {"--stdout", "--exit-status", "--root", dir.path().string(), image.string()}, outFile);
    out = writtenText(readText(outFile));
    return status;
}

TEST_P(DebugCorpus, BehavesAsWithoutMarkers) {
    const std::string src = (kPrograms / (GetParam() + ".c")).string();
    CcOptions debug;
    debug.debug = true;
    CcResult plain = compileC({src}), marked = compileC({src}, debug);
    ASSERT_TRUE(plain.ok() && marked.ok()) << plain.diagnostics << marked.diagnostics;
    EXPECT_TRUE(plain.debugInfo.empty());
    EXPECT_GT(marked.image.size(), plain.image.size());
    EXPECT_EQ(compileC({src}).image, plain.image);
    TempDir dir;
    writeBytes(dir / "plain.vrn", plain.image);
    writeBytes(dir / "marked.vrn", marked.image);
    std::string plainOut, markedOut;
    const int plainStatus = run(dir / "plain.vrn", dir, plainOut);
    EXPECT_EQ(run(dir / "marked.vrn", dir, markedOut), plainStatus);
    EXPECT_EQ(markedOut, plainOut);
    EXPECT_EQ(plainOut, expectedOutput(kPrograms, GetParam()));
}

std::vector<std::string> corpus() {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(kPrograms))
        if (e.path().extension() == ".c") names.push_back(e.path().stem().string());
    std::sort(names.begin(), names.end());
    return names;
}

INSTANTIATE_TEST_SUITE_P(Programs, DebugCorpus, ::testing::ValuesIn(corpus()),
                         [](const auto& info) { return info.param; });

}  // namespace
}  // namespace corvane::test

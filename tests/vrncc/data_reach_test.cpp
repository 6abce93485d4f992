// Only the data a program reaches lands in its image: the runtime library's tables, strings and
// globals are laid out when a function the program reaches names them, or when reached data
// points to them; the program's own data always lands. The debug information lists the data
// laid out, by name.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <sstream>

#include "support/temp_dir.h"
#include "tools/vrncc/compiler.h"

namespace corvane::test {
namespace {

// The names of the data objects laid out ("global NAME ADDRESS TYPE" lines).
std::set<std::string> laidOut(const std::string& debugInfo) {
    std::set<std::string> names;
    std::istringstream in(debugInfo);
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::string kind, name;
        if (words >> kind >> name && kind == "global") names.insert(name);
    }
    return names;
}

// A runtime library of its own: one file whose reached function reads a table of pointers to a
// string of its own, beside data no reached function names.
const char* const kOwnLibrary = R"(
static const char yes[] = "yes";
static const char no[] = "no";
static const char* const answers[] = {no, yes};
static char copied[] = "copied, not pointed to";
static int unreached[8];
static int reachedCounter;
const char* answer(int i) { ++reachedCounter; return answers[i]; }
int lost(void) { return unreached[0] + copied[0]; }
)";

TEST(VrnccDataReach, OnlyReachedDataOfTheRuntimeLands) {
    struct Case {
        const char* what;
        const char* program;
        bool ownLibrary;
        std::vector<std::string> present, absent;
    } cases[] = {
        {"a program naming no library data",
         "int main(void) { return 3; }",
         false,
         {},
         {"errno", "__con_buf", "__free_list", "sin_taylor"}},
        {"sin carries its own tables, not exp's, atan's or pow's",
         "#include <math.h>\nint main(void) { volatile double x = 0.5; return sin(x) > 0.4; }",
         false,
         {"sin_taylor", "two_over_pi"},
         {"expm1_taylor", "atan_hi", "atanh_tail", "asin_fit", "__free_list"}},
        {"printf's console buffer, not the heap's state",
         "#include <stdio.h>\nint main(void) { printf(\"%d\\n\", 4); return 0; }",
         false,
         {"__con_buf"},
         {"__free_list", "__heap_top"}},
        {"the program's own data lands whether named or not",
         "int spare[4];\nstatic int alone;\nint main(void) { return 0; }",
         false,
         {"spare", "alone"},
         {}},
        {"data pointed to by reached data lands with it",
         "const char* answer(int i);\nint main(void) { return answer(1)[0]; }",
         true,
         {"answers", "yes", "no", "reachedCounter"},
         {"unreached", "copied"}},
    };
    TempDir dir;
    std::filesystem::create_directories(dir.path() / "include");
    std::filesystem::create_directories(dir.path() / "runtime");
    std::ofstream(dir.path() / "runtime" / "answers.c") << kOwnLibrary;
    for (const Case& c : cases) {
        CcOptions o;
        o.debug = true;
        if (c.ownLibrary) o.libraryDir = dir.path().string();
        const std::string source = c.program;
        o.readFile = [source](const std::string& path) -> std::optional<std::string> {
            if (path == "main.c") return source;
            std::ifstream in(path);
            if (!in) return std::nullopt;
            return std::string(std::istreambuf_iterator<char>(in), {});
        };
        const CcResult r = compileC({"main.c"}, o);
        ASSERT_TRUE(r.ok()) << c.what << "\n" << r.diagnostics;
        const std::set<std::string> names = laidOut(r.debugInfo);
        for (const std::string& n : c.present) EXPECT_TRUE(names.count(n)) << c.what << ": " << n;
        for (const std::string& n : c.absent) EXPECT_FALSE(names.count(n)) << c.what << ": " << n;
    }
}

}  // namespace
}  // namespace corvane::test

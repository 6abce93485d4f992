// A fault's message names the C source line when the debug information beside the image belongs
// to it, and only the code address otherwise: a missing file, or one left from another build.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "support/process.h"
#include "support/temp_dir.h"
#include "tests/host/app_test_files.h"
#include "tools/vrncc/compiler.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

const char* kDivides = R"(int zero;

int divide(int a, int b)
{
    int q;
    q = a / b;
    return q;
}

int main(void)
{
    return divide(7, zero);
}
)";

// The same program with one line more: its line markers sit elsewhere.
const char* kShifted = R"(int zero;
int other;
int divide(int a, int b)
{
    int q;
    other = 1;
    q = a / b;
    return q;
}

int main(void)
{
    return divide(7, zero);
}
)";

CcResult compile(const fs::path& file, const char* source) {
    writeText(file, source);
    CcOptions options;
    options.debug = true;
    return compileC({file.string()}, options);
}

void writeBytes(const fs::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
}

TEST(FaultPlace, MessageNamesTheSourceLineOnlyWithMatchingDebugInformation) {
    TempDir dir;
    const CcResult divides = compile(dir / "div.c", kDivides);
    const CcResult shifted = compile(dir / "shifted.c", kShifted);
    ASSERT_TRUE(divides.ok()) << divides.diagnostics;
    ASSERT_TRUE(shifted.ok()) << shifted.diagnostics;
    writeBytes(dir / "div.vrn", std::string(divides.image.begin(), divides.image.end()));

    struct Case {
        const char* what;
        const std::string* dbg;  // written beside the image; null: none
        bool named;              // the message ends with the source place
    };
    const Case cases[] = {
        {"its own debug information", &divides.debugInfo, true},
        {"no debug information", nullptr, false},
        {"another build's debug information", &shifted.debugInfo, false},
    };
    for (const Case& c : cases) {
        fs::remove(dir / "div.dbg");
        if (c.dbg) writeText(dir / "div.dbg", *c.dbg);
        const fs::path err = dir / "err.txt";
        EXPECT_EQ(runProgram(builtProgram("corvane-run"),
                             {"--root", dir.path().string(), (dir / "div.vrn").string()}, {}, err),
                  3)
            << c.what;
        std::ifstream in(err);
        std::string line;
        std::getline(in, line);
        EXPECT_EQ(line.rfind("DIV at 0x", 0), 0u) << c.what << ": " << line;
        const std::string place = "div.c:6 in divide)";
        const bool named = line.size() > place.size() &&
                           line.compare(line.size() - place.size(), place.size(), place) == 0;
        EXPECT_EQ(named, c.named) << c.what << ": " << line;
        if (!c.named) {
            EXPECT_EQ(line.find('('), std::string::npos) << c.what << ": " << line;
        }
    }
}

}  // namespace
}  // namespace corvane::test

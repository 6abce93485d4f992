// The reference manual's system-call tables are generated from the opcode map; the committed
// manual must be what the generator makes of it today, with every call in exactly one table.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/build_paths.h"
#include "tools/mkref/call_tables.h"

namespace corvane::test {
namespace {

std::string readManual() {
    std::ifstream in(std::string(corvane::test::sourceDir()) + "/docs/syscalls.md",
                     std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(Reference, CommittedCallTablesMatchTheOpcodeMap) {
    const std::string manual = readManual();
    ASSERT_FALSE(manual.empty());
    std::vector<std::string> problems;
    const std::string fresh = ref::regenerateCallTables(manual, problems);
    EXPECT_TRUE(problems.empty()) << problems.front();
    EXPECT_TRUE(fresh == manual) << "run: mkref calls docs/syscalls.md";
}

TEST(Reference, GeneratorFindsStaleMissingAndDoubledCalls) {
    struct Case {
        const char* manual;
        const char* problem;  // "" when regeneration must simply replace the table
    };
    const std::string all =
        "<!-- calls: putchar getchar printf strcpy strlen SetScreen UpdateLCD Delay WriteBlock "
        "Refresh TextOut Block Rectangle exit ClearScreen abs rand srand Locate Inkey Point "
        "GetPoint Line Box Circle Ellipse Beep isalnum isalpha iscntrl isdigit isgraph islower "
        "isprint ispunct isspace isupper isxdigit strcat strchr strcmp strstr tolower toupper "
        "memset memcpy fopen fclose fread fwrite fseek ftell feof rewind getc putc sprintf "
        "MakeDir DeleteFile Getms CheckKey memmove Crc16 Secret ChDir FileList GetTime SetTime "
        "GetWord XDraw ReleaseKey GetBlock Sin Cos FillArea PutKey ReservedCC ReservedCD "
        "ReservedCE ReservedCF ReservedD0 ReservedD1 -->\nstale\n<!-- end calls -->\n";
    const Case cases[] = {
        {"", "putchar is in no table"},
        {"<!-- calls: TextOut -->\n", "not closed"},
        {"<!-- calls: Textout -->\n<!-- end calls -->", "'Textout' is not a system call"},
        {"<!-- calls: ADD -->\n<!-- end calls -->", "'ADD' is not a system call"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> problems;
        ref::regenerateCallTables(c.manual, problems);
        bool found = false;
        for (const std::string& p : problems) found |= p.find(c.problem) != std::string::npos;
        EXPECT_TRUE(found) << c.manual;
    }
    std::vector<std::string> problems;
    ref::regenerateCallTables(all + all, problems);
    ASSERT_FALSE(problems.empty());
    EXPECT_NE(problems.front().find("more than one table"), std::string::npos);

    problems.clear();
    const std::string once = ref::regenerateCallTables(all, problems);
    EXPECT_TRUE(problems.empty());
    EXPECT_EQ(once.find("stale"), std::string::npos);
    EXPECT_NE(once.find("| 0x8A | `TextOut` | x, y, string, type | none |"), std::string::npos);
    EXPECT_NE(once.find("| 0x84 | `strlen` | string | length in bytes |"), std::string::npos);
}

}  // namespace
}  // namespace corvane::test

// Character classes and case conversion against the C library's default ("C") locale.

#include <cctype>
#include <clocale>

#include "lib_helpers.h"
#include "vm/syscalls.h"

namespace corvane::test {
namespace {

struct ClassCall {
    const char* name;
    Handler call;
    int (*reference)(int);
};

const ClassCall kClasses[] = {
    {"isalnum", sys_isalnum, std::isalnum},    {"isalpha", sys_isalpha, std::isalpha},
    {"iscntrl", sys_iscntrl, std::iscntrl},    {"isdigit", sys_isdigit, std::isdigit},
    {"isgraph", sys_isgraph, std::isgraph},    {"islower", sys_islower, std::islower},
    {"isprint", sys_isprint, std::isprint},    {"ispunct", sys_ispunct, std::ispunct},
    {"isspace", sys_isspace, std::isspace},    {"isupper", sys_isupper, std::isupper},
    {"isxdigit", sys_isxdigit, std::isxdigit},
};

TEST(CharacterCalls, ClassesAgreeWithTheDefaultLocaleOnEveryByteAndEndOfFile) {
    std::setlocale(LC_CTYPE, "C");
    LibMachine lm;
    for (const ClassCall& c : kClasses) {
        for (int ch = -1; ch < 256; ++ch) {
            const uint32_t want = c.reference(ch) ? 0xFFFFFFFFu : 0u;
            EXPECT_EQ(lm.result(c.call, {uint32_t(ch)}), want) << c.name << "(" << ch << ")";
        }
    }
}

TEST(CharacterCalls, ValuesOutsideTheByteRangeBelongToNoClass) {
    LibMachine lm;
    for (const ClassCall& c : kClasses) {
        for (uint32_t v : {0x141u, 0x100u, 0xFFFFFF41u, 0x80000020u, 0xFFFFFFFEu}) {
            EXPECT_EQ(lm.result(c.call, {v}), 0u) << c.name << "(" << v << ")";
        }
    }
}

TEST(CharacterCalls, CaseConversionOfEveryByteUsesTheLow8Bits) {
    std::setlocale(LC_CTYPE, "C");
    LibMachine lm;
    for (uint32_t ch = 0; ch < 256; ++ch) {
        EXPECT_EQ(lm.result(sys_tolower, {ch | 0x1200}), uint32_t(std::tolower(int(ch)))) << ch;
        EXPECT_EQ(lm.result(sys_toupper, {ch | 0xFF00}), uint32_t(std::toupper(int(ch)))) << ch;
    }
}

}  // namespace
}  // namespace corvane::test

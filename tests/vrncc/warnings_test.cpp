// Warnings: each one fires on its case with both values named, stays quiet on the correct
// form next to it, and -Wall, -Wextra, -Werror and -w choose and weigh them as in other C
// compilers. The corpus test checks that the corpus itself compiles without any.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "tools/vrncc/compiler.h"

namespace corvane::test {
namespace {

enum Flags { kDefault, kExtra, kNoAll, kError, kNone };

CcResult compileWith(const std::string& source, Flags flags) {
    CcOptions o;
    o.warnExtra = flags == kExtra;
    o.warnAll = flags != kNoAll;
    o.warningsAsErrors = flags == kError;
    o.noWarnings = flags == kNone;
    o.readFile = [source](const std::string& path) -> std::optional<std::string> {
        if (path == "main.c") return source;
        std::ifstream in(path);
        if (!in) return std::nullopt;
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    return compileC({"main.c"}, o);
}

struct WarningCase {
    const char* body;  // the statements of f(int p), which has locals s, l, uc and n
    Flags flags;
    const char* message;  // nullptr: no warning at all
};

TEST(VrnccWarnings, FireOnTheirCaseAndNotOnTheCorrectForm) {
    const WarningCase cases[] = {
        // Constants that the conversion changes, with both values.
        {"s = 40000;", kDefault,
         "main.c:7:7: warning: 40000 becomes -25536 in a 16-bit int "
         "[-Woverflow]"},
        {"uc = 300;", kDefault, "300 becomes 44 in an 8-bit unsigned char"},
        {"s = 65535;", kDefault, "65535 becomes -1 in a 16-bit int"},
        {"s = 0xFFFF; uc = -1; s = -32768; l = 40000;", kDefault, nullptr},
        // A constant int expression that overflows before it is widened; in its own type only
        // with -Wextra (the wrap-around may be meant).
        {"l = 1000 * 1000;", kDefault,
         "1000 * 1000 overflows a 16-bit int before it becomes long: 1000000 becomes 16960"},
        {"l = l + 300 * 300;", kDefault, "300 * 300 overflows a 16-bit int before it becomes long"},
        {"l = 1000L * 1000; s = 1 << 15; l = 1L << 31;", kExtra, nullptr},
        {"s = 300 * 300;", kDefault, nullptr},
        {"s = 300 * 300;", kExtra, "300 * 300 overflows a 16-bit int: 90000 becomes 24464"},
        {"s = 1 << 16;", kExtra, "1 << 16 overflows a 16-bit int: 65536 becomes 0"},
        // The printf family's formats.
        {"printf(\"%s\\n\", s);", kDefault,
         "format '%s' expects a char pointer, but argument 2 is an int [-Wformat]"},
        {"printf(\"%ld\\n\", s);", kDefault,
         "format '%ld' expects a long, but argument 2 is an int"},
        {"printf(\"%x\\n\", l);", kDefault, "format '%x' expects an int, but argument 2 is a long"},
        {"sprintf(n, \"%d %d\", s);", kDefault, "format '%d' has no argument"},
        {"printf(\"%d %ld %x %s %c %p %5.*d %%\\n\", l, l, 48879, n, 'a', n, s, s);", kDefault,
         nullptr},
        {"printf(\"%d\\n\", s, s);", kDefault, nullptr},
        {"printf(\"%d\\n\", s, s);", kExtra, "more arguments than the format uses"},
        // Assignment as a condition; comparisons the type's range decides (-Wextra).
        {"if (s = 3) return 1;", kDefault, "an assignment used as a condition"},
        {"if ((s = 3)) return 1; while ((s = p)) s--;", kDefault, nullptr},
        {"if (uc == 300) return 1;", kExtra,
         "comparison is always false: an 8-bit unsigned char holds 0 to 255 [-Wtype-limits]"},
        {"if (uc < 0) return 1;", kExtra, "comparison is always false"},
        {"if ((unsigned)s >= 0) return 1;", kExtra, "comparison is always true"},
        {"if (uc == 300) return 1;", kDefault, nullptr},
        {"if (uc == 255 || s < 300 || uc <= 255 || s == -1) return 1;", kExtra, nullptr},
        // Locals read before they are set.
        {"int u; return u;", kDefault, "'u' is used before it is set [-Wuninitialized]"},
        {"int u; if (p) u = 1; return u;", kDefault, "'u' is used before it is set"},
        {"int u; if (p) u = 1; else u = 2; return u;", kDefault, nullptr},
        {"int u; if (!p) return 0; else u = 2; return u;", kDefault, nullptr},
        {"int u, i; for (i = 0; i < 3; i++) { if (i) s += u; u = i; } return s;", kDefault,
         nullptr},
        {"int u; for (;;) { u = getchar(); if (u) break; } return u;", kDefault, nullptr},
        {"int u; int *q = &u; *q = 1; return u;", kDefault, nullptr},
        // Unused variables (-Wall) and parameters (-Wextra).
        // 64-bit constants: the 16-bit int trap one size up, and the narrowing of a wide one.
        {"long long q = 100000 * 100000; s = (int)q;", kDefault,
         "100000 * 100000 overflows a 32-bit long before it becomes long long: 10000000000 "
         "becomes 1410065408"},
        {"long long q = 9223372036854775807LL + 1; s = (int)q;", kExtra,
         "9223372036854775807 + 1 overflows a 64-bit long long: 9223372036854775808 becomes "
         "-9223372036854775808"},
        {"s = 5000000000LL;", kDefault, "5000000000 becomes -3584 in a 16-bit int"},
        {"l = 9223372036854775807;", kDefault, "9223372036854775807 becomes -1 in a 32-bit long"},
        {"unsigned long long q = 18446744073709551615; s = (int)q;", kDefault,
         "integer constant '18446744073709551615' is so large that it is unsigned"},
        {"unsigned long long q = -1; long long r = 0xFFFFFFFFFFFFFFFF;\n"
         "    unsigned long m = 4294967295; long long t = 100000LL * 100000;\n"
         "    s = (int)(q + r + m + t + (1LL << 63) + (-9223372036854775807LL - 1));",
         kExtra, nullptr},
        {"long long q = 1; printf(\"%d\\n\", q);", kDefault,
         "format '%d' expects an int, but argument 2 is a long long"},
        {"long long q = 1; printf(\"%lld %llx %d\\n\", q, q + 1, s);", kExtra, nullptr},
        {"printf(\"%f\\n\", s);", kDefault,
         "format '%f' expects a double, but argument 2 is an int"},
        {"printf(\"%d\\n\", 1.5);", kDefault,
         "format '%d' expects an int, but argument 2 is a double"},
        {"float g = 1; printf(\"%f %.3e %-8G %Lf %g\\n\", g, g * 2, 1e3, 2.0L, (double)s);", kExtra,
         nullptr},
        // A constant that does not fit a bit-field.
        {"struct { unsigned b : 3; int c : 2; } bf; bf.b = 9; s = bf.b;", kDefault,
         "9 becomes 1 in a 3-bit unsigned int bit-field"},
        {"struct { unsigned b : 3; int c : 2; } bf = {1, 2}; s = bf.b + bf.c;", kDefault,
         "2 becomes -2 in a 2-bit int bit-field"},
        {"struct { unsigned b : 3; int c : 2; } bf; bf.b = 7; bf.c = -2; bf.b = -1; s = bf.c;",
         kExtra, nullptr},
        {"int idle; return 0;", kDefault, "unused variable 'idle' [-Wunused-variable]"},
        {"return 0;", kDefault, nullptr},
    };
    for (const WarningCase& c : cases) {
        const std::string src = std::string(
                                    "#include <stdio.h>\n"
                                    "int f(int p)\n"
                                    "{\n"
                                    "    int s = 0; long l = 0; unsigned char uc = 0;\n"
                                    "    char n[8];\n"
                                    "    s += (int)l + uc + n[0] + p - p;\n    ") +
                                c.body + "\n    return s;\n}\nint main(void) { return f(1); }\n";
        CcResult r = compileWith(src, c.flags);
        if (!c.message)
            EXPECT_EQ(r.diagnostics, "") << c.body;
        else
            EXPECT_NE(r.diagnostics.find(c.message), std::string::npos) << c.body << "\n"
                                                                        << r.diagnostics;
    }
}

// A function that can end without a return; the ways a body cannot.
TEST(VrnccWarnings, MissingReturn) {
    const std::pair<const char*, bool> cases[] = {
        {"int f(int k) { if (k) return 1; }", true},
        {"int f(int k) { while (k) { return 1; } }", true},
        {"int f(int k) { for (;;) { if (k) break; } }", true},
        {"int f(int k) { switch (k) { case 1: return 1; } }", true},
        {"int f(int k) { if (k) return 1; else return 2; }", false},
        {"int f(int k) { switch (k) { case 1: return 1; default: return 2; } }", false},
        {"int f(int k) { for (;;) { if (k) return 1; } }", false},
        {"int f(int k) { while (1) { if (k) return 1; } }", false},
        {"int f(int k) { do { if (k) return 1; } while (1); }", false},
        {"int f(int k) { if (k) return 1; exit(2); }", false},
        {"int f(int k) { again: if (k) return 1; goto again; }", false},
        {"void f(int k) { if (k) return; }", false},
    };
    for (auto& [fn, warns] : cases) {
        const std::string src =
            std::string("#include <stdlib.h>\n") + fn + "\nint main(void) { f(1); }\n";
        CcResult r = compileWith(src, kDefault);
        EXPECT_EQ(r.diagnostics.find("control reaches the end of 'f'") != std::string::npos, warns)
            << fn << "\n"
            << r.diagnostics;
    }
}

// -w silences, -Werror makes errors (and no image), -Wno-all leaves only the warnings that are
// always on; the shipped headers and runtime never warn.
TEST(VrnccWarnings, OptionsChooseAndWeigh) {
    const std::string src =
        "int g(int q) { return 0; }\n"
        "int main(void) { int idle; int big = 40000; return big + g(1); }\n";
    CcResult plain = compileWith(src, kDefault);
    EXPECT_TRUE(plain.ok());
    EXPECT_NE(plain.diagnostics.find("unused variable 'idle'"), std::string::npos);
    EXPECT_NE(plain.diagnostics.find("40000 becomes"), std::string::npos);
    EXPECT_EQ(plain.diagnostics.find("unused parameter"), std::string::npos);
    EXPECT_NE(
        compileWith(src, kExtra).diagnostics.find("unused parameter 'q' [-Wunused-parameter]"),
        std::string::npos);
    CcResult quiet = compileWith(src, kNone);
    EXPECT_TRUE(quiet.ok());
    EXPECT_EQ(quiet.diagnostics, "");
    CcResult noAll = compileWith(src, kNoAll);
    EXPECT_EQ(noAll.diagnostics.find("unused variable"), std::string::npos);
    EXPECT_NE(noAll.diagnostics.find("40000 becomes"), std::string::npos);
    CcResult strict = compileWith(src, kError);
    EXPECT_FALSE(strict.ok());
    EXPECT_NE(strict.diagnostics.find("error: unused variable 'idle' [-Wunused-variable] "
                                      "[-Werror]"),
              std::string::npos)
        << strict.diagnostics;
    CcResult library = compileWith(
        "#include <stdio.h>\n#include <stdlib.h>\n#include <string.h>\n#include <ctype.h>\n"
        "int main(void) { return 0; }\n",
        kExtra);
    EXPECT_EQ(library.diagnostics, "");
}

}  // namespace
}  // namespace corvane::test

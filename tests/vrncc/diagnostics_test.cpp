// Compile-time behaviour: errors with their place and caret, several per run, refusals of what
// is not supported, the preprocessor, and programs that do not fit.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>

#include "tools/vrncc/compiler.h"

namespace corvane::test {
namespace {

// Compiles in-memory sources: `mainPath` is the program; other entries can be included.
CcResult compileText(const std::string& source, std::map<std::string, std::string> more = {},
                     const std::string& mainPath = "main.c") {
    more[mainPath] = source;
    CcOptions o;
    o.runtime = false;
    auto builtin = defaultCcLibraryDir();
    o.readFile = [more, builtin](const std::string& path) -> std::optional<std::string> {
        auto it = more.find(path);
        if (it != more.end()) return it->second;
        if (path.rfind(builtin, 0) == 0) {
            std::ifstream in(path);
            if (!in) return std::nullopt;
            return std::string(std::istreambuf_iterator<char>(in), {});
        }
        return std::nullopt;
    };
    return compileC({mainPath}, o);
}

TEST(VrnccDiagnostics, ErrorNamesPlaceShowsLineAndCaret) {
    CcResult r = compileText("int main(void)\n{\n    int a = 1;\n    return a + b;\n}\n");
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(r.diagnostics,
              "main.c:4:16: error: 'b' is not declared\n"
              "    return a + b;\n"
              "               ^\n");
}

TEST(VrnccDiagnostics, ReportsSeveralErrorsInOneRun) {
    CcResult r = compileText(
        "int f(void) { return y; }\n"
        "int g(void) { int a; a = ; return a; }\n"
        "int main(void) { return z; }\n");
    EXPECT_NE(r.diagnostics.find("main.c:1:22:"), std::string::npos) << r.diagnostics;
    EXPECT_NE(r.diagnostics.find("main.c:2:26:"), std::string::npos) << r.diagnostics;
    EXPECT_NE(r.diagnostics.find("main.c:3:25:"), std::string::npos) << r.diagnostics;
}

TEST(VrnccDiagnostics, RefusesWhatIsNotSupportedByName) {
    const std::pair<const char*, const char*> cases[] = {
        {"struct s { int a; } v; int f(int n, ...) { return n; } int main(void) { return f(1, v); "
         "}",
         "a struct as a variable argument is not supported yet"},
    };
    for (auto& [src, message] : cases) {
        CcResult r = compileText(src);
        EXPECT_FALSE(r.ok()) << src;
        EXPECT_NE(r.diagnostics.find(message), std::string::npos) << src << "\n" << r.diagnostics;
    }
}

TEST(VrnccDiagnostics, TypeErrorsAreReported) {
    const std::pair<const char*, const char*> cases[] = {
        {"int main(void) { int a; return *a; }", "cannot dereference"},
        {"struct p { int x; }; int main(void) { struct p v; return v.y; }", "has no member 'y'"},
        {"int f(int a) { return a; } int main(void) { return f(1, 2); }", "takes 1 argument"},
        {"int main(void) { 3 = 4; return 0; }", "must be an lvalue"},
        {"int main(void) { break; return 0; }", "'break' outside a loop"},
        {"int main(void) { goto nowhere; return 0; }", "label 'nowhere' is used but not defined"},
        {"int main(void) { switch (1) { case 1: case 1: ; } return 0; }", "duplicate case value"},
        {"int f(void); int main(void) { return f(); }", "undefined reference to function 'f'"},
        {"struct s { int a : 17; }; int main(void) { return 0; }",
         "the width of bit-field 'a' (17) exceeds its type (16 bits)"},
        {"struct s { int a : 3; } v; int main(void) { int *p = &v.a; return *p; }",
         "cannot take the address of a bit-field"},
        {"struct s { int a : 3; } v; int main(void) { return sizeof v.a; }",
         "sizeof of a bit-field"},
        {"struct s { int n; char d[]; int after; }; int main(void) { return 0; }",
         "a flexible array member must be the last member"},
        {"struct s { int n; char d[]; } v = {1, {2}}; int main(void) { return 0; }",
         "a flexible array member cannot be initialised"},
        {"long long long x; int main(void) { return 0; }", "'long long long' is too long"},
        {"int main(void) { double d = 2; return d % 2; }",
         "invalid operands to a binary operator (double and int)"},
        {"int main(void) { float f = 2; return f << 1; }", "invalid operands to a binary operator"},
        {"int main(void) { double d = 2; d |= 1; return 0; }", "invalid operands to a compound"},
        {"int main(void) { double d = 2; return ~d; }", "invalid operand to unary ~ (double)"},
        {"int main(void) { double d = 2; char *p = (char *)d; return *p; }",
         "cannot cast a double"},
        {"int main(void) { char *p = 0; return p < 1.5; }", "invalid operands to a comparison"},
        {"int main(void) { int a[2]; return a[1.0]; }", "invalid operands to a binary operator"},
        {"int main(void) { switch (1.5) { default: ; } return 0; }", "switch needs an integer"},
        {"int main(void) { switch (1) { case 1.5: ; } return 0; }", "must be an integer constant"},
        {"struct s { float f : 3; }; int main(void) { return 0; }", "not an integer type"},
        {"double x = 0x1.8; int main(void) { return 0; }", "needs an exponent (p)"},
        {"double x = 1.5e; int main(void) { return 0; }", "invalid floating constant '1.5e'"},
        {"unsigned double x; int main(void) { return 0; }", "invalid type specifiers"},
    };
    for (auto& [src, message] : cases) {
        CcResult r = compileText(src);
        EXPECT_FALSE(r.ok()) << src;
        EXPECT_NE(r.diagnostics.find(message), std::string::npos) << src << "\n" << r.diagnostics;
    }
}

// After an error the parser takes up again at the next statement or declaration: names the
// broken declaration declared, members of a struct in error and a stray quote bring no more.
TEST(VrnccDiagnostics, OneMistakeGivesOneMessage) {
    const std::pair<const char*, const char*> cases[] = {
        {"int f(double x) { return x % 2; }\nint g(void) { return 2; }\n"
         "int main(void) { return g(); }",
         "invalid operands to a binary operator (double and int)"},
        {"int main(void) { float q; q = 2; return ~q; }", "invalid operand to unary ~ (float)"},
        {"int main(void) { int a[3] = { [1] 2 }; return a[1]; }\nint h(void) { return 1; }",
         "expected '=' before '2'"},
        {"int main(void) { mytype x = 1; mytype *p = &x; return x + *p; }",
         "unknown type name 'mytype'"},
        {"mytype g;\nint main(void) { return g; }", "unknown type name 'mytype'"},
        {"int main(void) { int a[n] = {1}; return a[0] + a[1]; }", "'n' is not declared"},
        {"int main(void) { int q = x; q += x; return x + q; }", "'x' is not declared"},
        {"int main(void) { for (i = 0; i < 3; i++) { } return 0; }\nint k(void) { return 1; }",
         "'i' is not declared"},
        {"int main(void) { if (x) { return 1; } else { return 2; } }", "'x' is not declared"},
        {"struct s { int a; int b[m]; } w;\nint main(void) { struct s v; v.b[0] = 1; return v.a; }",
         "'m' is not declared"},
        {"int main(void) { char c = 'a; return 0; }", "character constant is not closed"},
        {"int main(void) {\n  char s[] = \"abc;\n  return 0;\n}", "string literal is not closed"},
        {"int main(void) { int x = 1 return x; }\nint g(void) { return 2; }",
         "expected ';' before 'return'"},
        {"int main(void) { while (1 { } return 0; }", "expected ')' before '{'"},
        {"int f(int a, ) { return a; }\nint main(void) { return f(1); }",
         "expected a parameter declaration"},
    };
    for (auto& [src, message] : cases) {
        CcResult r = compileText(src);
        EXPECT_NE(r.diagnostics.find(message), std::string::npos) << src << "\n" << r.diagnostics;
        size_t errors = 0;
        for (size_t at = 0; (at = r.diagnostics.find(": error: ", at)) != std::string::npos; ++at)
            ++errors;
        EXPECT_EQ(errors, 1u) << src << "\n" << r.diagnostics;
    }
    // What the parser skipped leaves no warning behind either: a local whose initialiser was
    // dropped is not "used before it is set", a declaration of an unknown type is not unused, a
    // return statement that failed does not make the function run off its end.
    const char* skipped[] = {
        "int main(void) { int a = 1 +; int b = 2; return a + b; }",
        "int main(void) { unknown_t y; return 1; }",
        "int f(int x) { if (x) return 1; else return x +* ; }\nint main(void) { return f(1); }",
    };
    for (const char* src : skipped) {
        CcResult r = compileText(src);
        EXPECT_NE(r.diagnostics.find(": error: "), std::string::npos) << src;
        EXPECT_EQ(r.diagnostics.find(": warning: "), std::string::npos) << src << "\n"
                                                                        << r.diagnostics;
    }
}

// What a skipped group holds is not read as C, and #if evaluates only the operands && || ?:
// choose; an unclosed quote in compiled text and a division by zero that is evaluated are
// still errors.
TEST(VrnccPreprocessor, SkippedTextAndUnevaluatedOperands) {
    const std::pair<const char*, const char*> cases[] = {
        {"#if 0\nit's prose, don't read it\n#endif\nint main(void) { return 0; }", nullptr},
        {"#if 0 != (0 && (0 / 0))\n#error evaluated\n#endif\nint main(void) { return 0; }",
         nullptr},
        {"#if 1 || 1 % 0\n#else\n#error evaluated\n#endif\nint main(void) { return 0; }", nullptr},
        {"#if (1 ? 2 : 1 / 0) != 2 || (0 ? 1 / 0 : 3) != 3\n#error wrong\n#endif\n"
         "int main(void) { return 0; }",
         nullptr},
        {"#if (-9223372036854775807 - 1) / -1 < 0\n#endif\nint main(void) { return 0; }", nullptr},
        {"#if 1 && 1 / 0\n#endif\nint main(void) { return 0; }", "division by zero in #if"},
        {"#define Q don't\nint main(void) { return 0; }", "character constant is not closed"},
    };
    for (auto& [src, message] : cases) {
        CcResult r = compileText(src);
        if (!message) {
            EXPECT_TRUE(r.ok()) << src << "\n" << r.diagnostics;
            EXPECT_EQ(r.diagnostics, "") << src;
        } else {
            EXPECT_NE(r.diagnostics.find(message), std::string::npos) << src << "\n"
                                                                      << r.diagnostics;
        }
    }
}

// #line renumbers the lines after it (and renames the file): messages and __LINE__ follow it,
// and the message still shows the line it points at.
TEST(VrnccPreprocessor, LineDirectiveRenumbers) {
    CcResult r = compileText(
        "int main(void)\n{\n#line 100 \"game.c\"\n"
        "    int check[__LINE__ == 100 ? 1 : -1];\n"
        "    return check[0] + b;\n}\n");
    EXPECT_EQ(r.diagnostics,
              "game.c:101:23: error: 'b' is not declared\n"
              "    return check[0] + b;\n"
              "                      ^\n");
    CcResult bad = compileText("#line x\nint main(void) { return 0; }\n");
    EXPECT_NE(bad.diagnostics.find("#line needs a line number"), std::string::npos);
}

TEST(VrnccDiagnostics, ProgramThatDoesNotFitIsReported) {
    CcResult r = compileText("char big[20000]; int main(void) { return big[0]; }");
    EXPECT_FALSE(r.ok());
    EXPECT_NE(r.diagnostics.find("does not fit"), std::string::npos) << r.diagnostics;
}

TEST(VrnccPreprocessor, MacrosConditionalsAndIncludes) {
    CcResult r = compileText(
        "#include \"defs.h\"\n"
        "#define CAT(a, b) a##b\n"
        "#define STR(x) #x\n"
        "#if defined(TWICE) && TWICE(2) == 4 && __VRNCC__\n"
        "int CAT(ma, in)(void) { return sizeof(STR(abc)) + __LINE__; }\n"
        "#else\n"
        "#error not taken\n"
        "#endif\n",
        {{"defs.h", "#ifndef DEFS\n#define DEFS\n#define TWICE(v) ((v) * 2)\n#endif\n"}});
    EXPECT_TRUE(r.ok()) << r.diagnostics;
    CcResult e = compileText("#if 0\n#else\n#error stop here\n#endif\nint main(void){return 0;}\n");
    EXPECT_NE(e.diagnostics.find("main.c:3:2: error: #error stop here"), std::string::npos)
        << e.diagnostics;
    CcResult u = compileText("#if 1\nint main(void) { return 0; }\n");
    EXPECT_NE(u.diagnostics.find("#if without #endif"), std::string::npos) << u.diagnostics;
}

// Sources saved with CR LF line ends compile to the same image as with LF, and their
// diagnostics show the line without its CR.
TEST(VrnccPreprocessor, CrLfSourcesCompileAsLf) {
    const std::string lf =
        "#include \"defs.h\"\n"
        "#define LONG_MACRO(a, b) \\\n"
        "    ((a) + \\\n"
        "     (b))\n"
        "// a comment\n"
        "int main(void) { char *s = \"x\"; return LONG_MACRO(TWO, s[0]); }\n";
    const std::string defs = "#define TWO 2\n";
    auto crlf = [](std::string text) {
        for (size_t at = 0; (at = text.find('\n', at)) != std::string::npos; at += 2)
            text.insert(at, 1, '\r');
        return text;
    };
    CcResult a = compileText(lf, {{"defs.h", defs}});
    CcResult b = compileText(crlf(lf), {{"defs.h", crlf(defs)}});
    ASSERT_TRUE(a.ok()) << a.diagnostics;
    ASSERT_TRUE(b.ok()) << b.diagnostics;
    EXPECT_EQ(a.image, b.image);
    CcResult e = compileText(crlf("int main(void)\n{\n    return q;\n}\n"));
    EXPECT_EQ(e.diagnostics,
              "main.c:3:12: error: 'q' is not declared\n"
              "    return q;\n"
              "           ^\n");
}

// __FILE__ spells the path exactly: a Windows path's backslashes are not escapes.
TEST(VrnccPreprocessor, FileNameKeepsBackslashesAndQuotes) {
    for (const std::string path : {"C:\\new\\tab.c", "dir/\"quoted\".c", "plain.c"}) {
        CcResult r =
            compileText("char *name = __FILE__;\nint main(void) { return name[0]; }\n", {}, path);
        ASSERT_TRUE(r.ok()) << path << "\n" << r.diagnostics;
        const std::string image(r.image.begin(), r.image.end());
        EXPECT_NE(image.find(path), std::string::npos) << path;
    }
}

}  // namespace
}  // namespace corvane::test

// Floating point reaches only the programs that use it: the runtime's floating-point code and
// printf's %e %f %g are compiled for a program with an expression of a floating type, and a
// program without one keeps the image it would have without floating point, even when the
// headers it includes declare double functions or it declares a double of its own.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>

#include "tools/vrncc/compiler.h"

namespace corvane::test {
namespace {

std::vector<uint8_t> imageOf(const std::string& source) {
    CcOptions o;
    const std::map<std::string, std::string> files = {{"main.c", source}};
    o.readFile = [files](const std::string& path) -> std::optional<std::string> {
        auto it = files.find(path);
        if (it != files.end()) return it->second;
        std::ifstream in(path);
        if (!in) return std::nullopt;
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    const CcResult r = compileC({"main.c"}, o);
    EXPECT_TRUE(r.ok()) << r.diagnostics;
    return r.image;
}

TEST(VrnccFloatImage, ProgramsWithoutFloatingExpressionsKeepTheirImage) {
    const std::string body = "int main(void) { printf(\"%d\\n\", 42); return 0; }\n";
    const auto plain = imageOf("#include <stdio.h>\n" + body);
    const auto declaring = imageOf(
        "#include <float.h>\n#include <stdio.h>\n#include <stdlib.h>\nextern double unused;\n"
        "double twice(double x);\n" +
        body);
    const auto floating = imageOf(
        "#include <stdio.h>\nstatic double twice(double x) { return "
        "x * 2; }\n" +
        body);
    EXPECT_EQ(declaring, plain);
    // The same program with a floating expression (in a function never called, so none of its
    // code is there) gets printf's floating conversions, which the others are without.
    EXPECT_GT(floating.size(), plain.size() + 1000);
}

}  // namespace
}  // namespace corvane::test

// mkref: writes the generated parts of the reference manual.
//
//   mkref calls MANUAL.md           regenerate the system-call tables in place
//   mkref calls --check MANUAL.md   exit 1, naming the problems, if the tables are out of date
//   mkref keys PICTURE.png          the face with the PC key of every face key

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/mkref/call_tables.h"
#include "tools/mkref/key_picture.h"

namespace {

constexpr const char* kUsage =
    "usage: mkref calls [--check] MANUAL.md\n"
    "       mkref keys PICTURE.png\n"
    "Writes the generated parts of the reference manual: the system-call tables from the\n"
    "opcode map, and the picture of the face with the PC key that presses each key.\n";

int calls(const std::string& path, bool check) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "mkref: %s: cannot open: %s\n", path.c_str(), std::strerror(errno));
        return 1;
    }
    const std::string manual{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::vector<std::string> problems;
    const std::string fresh = corvane::ref::regenerateCallTables(manual, problems);
    for (const std::string& p : problems)
        std::fprintf(stderr, "mkref: %s: %s\n", path.c_str(), p.c_str());
    if (!problems.empty()) return 1;
    if (check) {
        if (fresh == manual) return 0;
        std::fprintf(
            stderr,
            "mkref: %s: the system-call tables differ from the opcode map; run mkref calls %s\n",
            path.c_str(), path.c_str());
        return 1;
    }
    if (fresh == manual) return 0;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << fresh;
    if (!out.flush()) {
        std::fprintf(stderr, "mkref: %s: cannot write\n", path.c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (args.size() == 1 && args[0] == "--version") {
        std::puts("mkref 0.1.0");
        return 0;
    }
    if (args.size() == 2 && args[0] == "calls") return calls(args[1], false);
    if (args.size() == 3 && args[0] == "calls" && args[1] == "--check") return calls(args[2], true);
    if (args.size() == 2 && args[0] == "keys") {
        if (!corvane::writePng(args[1], corvane::ref::drawKeyPicture())) {
            std::fprintf(stderr, "mkref: %s: cannot write\n", args[1].c_str());
            return 1;
        }
        return 0;
    }
    std::fputs(kUsage, stderr);
    return 1;
}

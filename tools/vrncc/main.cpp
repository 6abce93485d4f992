// vrncc: compiles C sources into a program image.
//
//   vrncc SOURCE.c [MORE.c]... [-o IMAGE.vrn] [-I DIR]... [-D NAME[=VALUE]]...

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "tools/vrncc/compiler.h"

#ifndef CORVANE_VERSION
#define CORVANE_VERSION "0"
#endif

namespace {

const char* kUsage =
    "usage: vrncc SOURCE.c [MORE.c]... [-o IMAGE.vrn] [-I DIR]... [-D NAME[=VALUE]]...\n"
    "Compiles C programs for the handheld into a program image.\n"
    "  -o IMAGE     output file (default: the first source with the extension .vrn)\n"
    "  -I DIR       also look for #include \"...\" files in DIR\n"
    "  -D NAME=V    define the macro NAME (default value 1)\n"
    "  -nostdlib    do not compile the runtime library with the program\n"
    "  --help, --version\n";

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> sources;
    std::string output;
    corvane::CcOptions options;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        auto value = [&](std::string& into) {
            if (arg.size() > 2) {
                into = arg.substr(2);
                return true;
            }
            if (i + 1 >= argc) return false;
            into = argv[++i];
            return true;
        };
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (arg == "--version") {
            std::printf("vrncc %s\n", CORVANE_VERSION);
            return 0;
        } else if (arg == "-nostdlib") {
            options.runtime = false;
        } else if (arg.rfind("-o", 0) == 0) {
            if (!value(output)) {
                std::fputs(kUsage, stderr);
                return 2;
            }
        } else if (arg.rfind("-I", 0) == 0) {
            std::string dir;
            if (!value(dir)) {
                std::fputs(kUsage, stderr);
                return 2;
            }
            options.includeDirs.push_back(dir);
        } else if (arg.rfind("-D", 0) == 0) {
            std::string def;
            if (!value(def)) {
                std::fputs(kUsage, stderr);
                return 2;
            }
            size_t eq = def.find('=');
            options.defines.emplace_back(def.substr(0, eq),
                                         eq == std::string::npos ? "1" : def.substr(eq + 1));
        } else if (!arg.empty() && arg[0] == '-') {
            std::fprintf(stderr, "vrncc: unknown option %s\n%s", arg.c_str(), kUsage);
            return 2;
        } else {
            sources.push_back(arg);
        }
    }
    if (sources.empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    if (output.empty())
        output = std::filesystem::path(sources[0]).replace_extension(".vrn").string();
    corvane::CcResult r = corvane::compileC(sources, options);
    std::fputs(r.diagnostics.c_str(), stderr);
    if (!r.ok()) return 1;
    std::ofstream out(output, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(r.image.data()), std::streamsize(r.image.size()));
    if (!out) {
        std::fprintf(stderr, "vrncc: cannot write %s\n", output.c_str());
        return 1;
    }
    return 0;
}

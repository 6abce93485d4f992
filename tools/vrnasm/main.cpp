// vrnasm: assembles a source file into a program image.
//
//   vrnasm IN.s [-o OUT.vrn] [-I DIR]... [-D NAME[=VALUE]]...

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "tools/vrnasm/assembler.h"

#ifndef CORVANE_VERSION
#define CORVANE_VERSION "0"
#endif

namespace {

void usageTo(std::FILE* to) {
    std::fprintf(to,
                 "usage: vrnasm SOURCE [-o IMAGE.vrn] [-I DIR]... [-D NAME[=VALUE]]...\n"
                 "  -o IMAGE   output file (default: SOURCE with the extension .vrn)\n"
                 "  -I DIR     also look for .include files in DIR\n"
                 "  -D NAME=V  define the constant NAME (default value 1)\n"
                 "  --help, --version\n");
}

int usage() {
    usageTo(stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string input, output;
    corvane::AsmOptions options;
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
        if (arg == "-h" || arg == "--help") {
            usageTo(stdout);
            return 0;
        } else if (arg == "--version") {
            std::printf("%s %s\n", "vrnasm", CORVANE_VERSION);
            return 0;
        } else if (arg.rfind("-o", 0) == 0) {
            if (!value(output)) return usage();
        } else if (arg.rfind("-I", 0) == 0) {
            std::string dir;
            if (!value(dir)) return usage();
            options.includeDirs.push_back(dir);
        } else if (arg.rfind("-D", 0) == 0) {
            std::string def;
            if (!value(def)) return usage();
            size_t eq = def.find('=');
            std::string name = def.substr(0, eq);
            long long v = 1;
            if (eq != std::string::npos) {
                char* end = nullptr;
                v = std::strtoll(def.c_str() + eq + 1, &end, 0);
                if (end == def.c_str() + eq + 1 || *end != '\0') {
                    std::fprintf(stderr, "vrnasm: -D %s: the value is not a number\n", def.c_str());
                    return 2;
                }
            }
            options.defines[name] = v;
        } else if (arg.size() > 1 && arg[0] == '-') {
            std::fprintf(stderr, "vrnasm: unknown option %s\n", arg.c_str());
            return usage();
        } else if (input.empty()) {
            input = arg;
        } else {
            return usage();
        }
    }
    if (input.empty()) return usage();
    if (output.empty()) output = std::filesystem::path(input).replace_extension(".vrn").string();

    corvane::AsmResult result = corvane::assembleFile(input, options);
    if (!result.ok()) {
        std::fputs(result.errorText().c_str(), stderr);
        return 1;
    }
    std::ofstream out(output, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(result.image.data()),
              std::streamsize(result.image.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "vrnasm: cannot write %s\n", output.c_str());
        std::filesystem::remove(output);
        return 1;
    }
    return 0;
}

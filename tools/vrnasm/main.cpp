// vrnasm: assembles a source file into a program image.
//
//   vrnasm IN.s [-o OUT.vrn] [-g] [-I DIR]... [-D NAME[=VALUE]]...

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "shared/host_path.h"
#include "shared/process.h"
#include "tools/common/output_file.h"
#include "tools/common/source_tool_args.h"
#include "tools/vrnasm/assembler.h"
#include "tools/vrnasm/line_records.h"

#ifndef CORVANE_VERSION
#define CORVANE_VERSION "0"
#endif

namespace {

const char* kUsage =
    "usage: vrnasm SOURCE [-o IMAGE.vrn] [-g] [-I DIR]... [-D NAME[=VALUE]]...\n"
    "  -o IMAGE   output file (default: SOURCE with the extension .vrn)\n"
    "  -g         also write IMAGE.dbg: the source file of each line marker, for debuggers\n"
    "  -I DIR     also look for .include files in DIR\n"
    "  -D NAME=V  define the constant NAME (default value 1)\n"
    "  --help, --version\n";

}  // namespace

int main(int argc, char** argv) {
    corvane::Utf8Arguments utf8(argc, argv);
    argc = utf8.count();
    argv = utf8.values();
    std::string input;
    corvane::AsmOptions options;
    bool lineRecords = false;
    corvane::SourceToolCommand command{"vrnasm", CORVANE_VERSION, kUsage};
    command.flag = [&](const std::string& arg) {
        if (arg != "-g") return false;
        lineRecords = true;
        return true;
    };
    // "-" names a source (it cannot be opened, but that is the assembler's to say).
    command.dashIsSource = true;
    command.source = [&](const std::string& arg) {
        if (!input.empty()) return false;
        input = arg;
        return true;
    };
    command.define = [&](const corvane::Definition& d) {
        long long v = 1;
        if (d.value) {
            char* end = nullptr;
            v = std::strtoll(d.value->c_str(), &end, 0);
            if (end == d.value->c_str() || *end != '\0') {
                std::fprintf(stderr, "vrnasm: -D %s: the value is not a number\n", d.text.c_str());
                return false;
            }
        }
        options.defines[d.name] = v;
        return true;
    };
    corvane::SourceToolArgs args;
    if (const std::optional<int> status = corvane::readSourceToolArgs(argc, argv, command, args))
        return *status;
    if (input.empty()) return corvane::sourceToolUsageError(command);
    options.includeDirs = args.includeDirs;
    const std::string output = args.output.empty() ? corvane::defaultImagePath(input) : args.output;

    corvane::AsmResult result = corvane::assembleFile(input, options);
    if (!result.ok()) {
        std::fputs(result.errorText().c_str(), stderr);
        return 1;
    }
    const std::string_view image(reinterpret_cast<const char*>(result.image.data()),
                                 result.image.size());
    if (!corvane::writeOutputFile(output, image)) {
        std::fprintf(stderr, "vrnasm: cannot write %s\n", output.c_str());
        return 1;
    }
    if (lineRecords) {
        std::error_code ec;
        const std::string dir = corvane::hostPathText(std::filesystem::current_path(ec));
        const std::string path = corvane::debugInfoPath(output);
        if (!corvane::writeOutputFile(
                path, corvane::writeDebugInfo(corvane::asmLineRecords(result, dir)))) {
            std::fprintf(stderr, "vrnasm: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}

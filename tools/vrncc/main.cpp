// vrncc: compiles C sources into a program image.
//
//   vrncc SOURCE.c [MORE.c]... [-o IMAGE.vrn] [-g] [-fcheck] [-I DIR]... [-D NAME[=VALUE]]...
//         [-Wall] [-Wextra] [-Werror] [-w]

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "shared/debuginfo/debug_info.h"
#include "shared/process.h"
#include "tools/common/output_file.h"
#include "tools/common/source_tool_args.h"
#include "tools/vrncc/compiler.h"

#ifndef CORVANE_VERSION
#define CORVANE_VERSION "0"
#endif

namespace {

const char* kUsage =
    "usage: vrncc SOURCE.c [MORE.c]... [-o IMAGE.vrn] [-g] [-I DIR]... [-D NAME[=VALUE]]...\n"
    "Compiles C programs for the handheld into a program image.\n"
    "  -o IMAGE     output file (default: the first source with the extension .vrn)\n"
    "  -g           line and function markers for vrndbg, and the debug information\n"
    "               beside the image (IMAGE.dbg); also turns on -fcheck\n"
    "  -fcheck      the checked mode: stack overflow, null pointers, calls through\n"
    "               pointers that are no functions and heap misuse end the program\n"
    "               with a message naming the check (-fno-check: off, also with -g)\n"
    "  -I DIR       also look for #include \"...\" files in DIR\n"
    "  -D NAME=V    define the macro NAME (default value 1)\n"
    "  -nostdlib    do not compile the runtime library with the program\n"
    "  -Wall        the warnings for common mistakes (on unless -Wno-all)\n"
    "  -Wextra      more warnings: unused parameters, comparisons a type's range decides\n"
    "  -Werror      warnings are errors\n"
    "  -w           no warnings\n"
    "  --help, --version\n";

}  // namespace

int main(int argc, char** argv) {
    corvane::Utf8Arguments utf8(argc, argv);
    argc = utf8.count();
    argv = utf8.values();
    std::vector<std::string> sources;
    corvane::CcOptions options;
    std::optional<bool> check;  // -fcheck / -fno-check; unset: on with -g
    corvane::SourceToolCommand command{"vrncc", CORVANE_VERSION, kUsage};
    command.flag = [&](const std::string& arg) {
        if (arg == "-g") {
            options.debug = true;
        } else if (arg == "-fcheck") {
            check = true;
        } else if (arg == "-fno-check") {
            check = false;
        } else if (arg == "-nostdlib") {
            options.runtime = false;
        } else if (arg == "-Wall") {
            options.warnAll = true;
        } else if (arg == "-Wno-all") {
            options.warnAll = false;
        } else if (arg == "-Wextra") {
            options.warnExtra = true;
        } else if (arg == "-Wno-extra") {
            options.warnExtra = false;
        } else if (arg == "-Werror") {
            options.warningsAsErrors = true;
        } else if (arg == "-Wno-error") {
            options.warningsAsErrors = false;
        } else if (arg == "-w") {
            options.noWarnings = true;
        } else {
            return false;
        }
        return true;
    };
    command.source = [&](const std::string& arg) {
        sources.push_back(arg);
        return true;
    };
    command.define = [&](const corvane::Definition& d) {
        options.defines.emplace_back(d.name, d.value.value_or("1"));
        return true;
    };
    corvane::SourceToolArgs args;
    if (const std::optional<int> status = corvane::readSourceToolArgs(argc, argv, command, args))
        return *status;
    if (sources.empty()) return corvane::sourceToolUsageError(command);
    options.includeDirs = args.includeDirs;
    options.check = check.value_or(options.debug);
    const std::string output =
        args.output.empty() ? corvane::defaultImagePath(sources[0]) : args.output;
    corvane::CcResult r = corvane::compileC(sources, options);
    std::fputs(r.diagnostics.c_str(), stderr);
    if (!r.ok()) return 1;
    const std::string_view image(reinterpret_cast<const char*>(r.image.data()), r.image.size());
    if (!corvane::writeOutputFile(output, image)) {
        std::fprintf(stderr, "vrncc: cannot write %s\n", output.c_str());
        return 1;
    }
    if (options.debug) {
        const std::string path = corvane::debugInfoPath(output);
        if (!corvane::writeOutputFile(path, r.debugInfo)) {
            std::fprintf(stderr, "vrncc: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}

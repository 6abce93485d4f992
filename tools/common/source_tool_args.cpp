// The shared options of vrnasm and vrncc.

#include "tools/common/source_tool_args.h"

#include <filesystem>

#include "library/path.h"

namespace corvane {

namespace {

constexpr int kUsageStatus = 2;

// "-X VALUE" or "-XVALUE", for an argument that begins with the two-letter option.
bool optionValue(int argc, char** argv, int& i, const std::string& arg, std::string& into) {
    if (arg.size() > 2) {
        into = arg.substr(2);
        return true;
    }
    if (i + 1 >= argc) return false;
    into = argv[++i];
    return true;
}

Definition definition(const std::string& text) {
    const size_t eq = text.find('=');
    Definition d{text, text.substr(0, eq), std::nullopt};
    if (eq != std::string::npos) d.value = text.substr(eq + 1);
    return d;
}

}  // namespace

int sourceToolUsageError(const SourceToolCommand& command, std::FILE* err) {
    std::fputs(command.usage, err);
    return kUsageStatus;
}

std::optional<int> readSourceToolArgs(int argc, char** argv, const SourceToolCommand& command,
                                      SourceToolArgs& args, std::FILE* out, std::FILE* err) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool takesValue =
            arg.rfind("-o", 0) == 0 || arg.rfind("-I", 0) == 0 || arg.rfind("-D", 0) == 0;
        std::string value;
        if (arg == "-h" || arg == "--help") {
            std::fputs(command.usage, out);
            return 0;
        } else if (arg == "--version") {
            std::fprintf(out, "%s %s\n", command.name, command.version);
            return 0;
        } else if (command.flag && command.flag(arg)) {
            continue;
        } else if (takesValue) {
            if (!optionValue(argc, argv, i, arg, value)) return sourceToolUsageError(command, err);
            if (arg[1] == 'o') {
                args.output = value;
            } else if (arg[1] == 'I') {
                args.includeDirs.push_back(value);
            } else if (command.define && !command.define(definition(value))) {
                return kUsageStatus;
            }
        } else if (arg.size() > (command.dashIsSource ? 1u : 0u) && arg[0] == '-') {
            std::fprintf(err, "%s: unknown option %s\n", command.name, arg.c_str());
            return sourceToolUsageError(command, err);
        } else if (command.source && !command.source(arg)) {
            return sourceToolUsageError(command, err);
        }
    }
    return std::nullopt;
}

std::string defaultImagePath(const std::string& source) {
    return hostPathText(hostFsPath(source).replace_extension(".vrn"));
}

}  // namespace corvane

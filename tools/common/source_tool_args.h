#pragma once
// The command line of the tools that turn sources into a program image (vrnasm, vrncc): the
// options they share, read the same way by both.
//
//   -h, --help         the usage text on standard output; status 0
//   --version          "NAME VERSION" on standard output; status 0
//   -o IMAGE, -oIMAGE  the image to write
//   -I DIR, -IDIR      also look for included files in DIR
//   -D NAME[=VALUE]    a definition, also written -DNAME[=VALUE]
//
// An option the tool does not know ("NAME: unknown option X"), an option without its value and a
// source too many are usage errors: the usage text on standard error, status 2. Arguments are
// read left to right and the first one that ends the run decides its status.

#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace corvane {

// One -D as written: "NAME=VALUE" gives both, "NAME" alone no value.
struct Definition {
    std::string text;  // the whole argument after -D, for messages
    std::string name;
    std::optional<std::string> value;
};

struct SourceToolCommand {
    SourceToolCommand(const char* toolName, const char* toolVersion, const char* usageText)
        : name(toolName), version(toolVersion), usage(usageText) {}

    const char* name;     // in messages and the --version line
    const char* version;  // the --version line's second word
    const char* usage;    // the whole --help text
    // Whether "-" alone names a source; otherwise it is an unknown option.
    bool dashIsSource = false;
    // The tool's own flags without a value ("-g"), tried before the shared options: true when
    // `arg` was one of them.
    std::function<bool(const std::string& arg)> flag;
    // Each argument that is no option; false when it is a source too many.
    std::function<bool(const std::string& arg)> source;
    // Each -D; false when the tool refuses it (and has said why): the run ends with status 2.
    std::function<bool(const Definition&)> define;
};

struct SourceToolArgs {
    std::string output;  // empty when -o was not given; the last -o wins
    std::vector<std::string> includeDirs;
};

// Reads the arguments after the program's name into `args` and the command's hooks. Nothing
// when the tool is to go on; else the status it ends with now (having printed what it had to).
std::optional<int> readSourceToolArgs(int argc, char** argv, const SourceToolCommand& command,
                                      SourceToolArgs& args, std::FILE* out = stdout,
                                      std::FILE* err = stderr);

// The usage text on standard error, for a tool that finds its command line wrong; returns 2.
int sourceToolUsageError(const SourceToolCommand& command, std::FILE* err = stderr);

// Where an image goes when -o is not given: the source with the extension .vrn.
std::string defaultImagePath(const std::string& source);

}  // namespace corvane

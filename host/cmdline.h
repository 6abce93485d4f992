#pragma once
// The command line: the three switches ("/S" stop value, "/W" debugger, "/R" image to start), the
// image path, --help, --version and the front end's own options.
//
// Two rule sets. The argument grammar (parseArguments) reads arguments left to right: an argument
// that names an existing file is an image path whatever it begins with (so "/Shared/game.vrn" is a
// path); otherwise "/S<digits>" and "/W<digits>" are switches, "/R<path>" takes the rest of its
// argument, "/R" alone takes every following argument joined by single spaces, and any other
// argument that does not begin with '-' is an image path that loads and starts like "/R". The
// whole-line rules (parseCommandLineText) search one command-line text for each switch as a
// substring, as a single-string platform delivers it.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace corvane {

struct Switches {
    int32_t stopValue = -1;            // "/S": -1 when absent (never stop)
    uint32_t debugger = 0;             // "/W": 0 when absent (no debugger)
    std::optional<std::string> image;  // "/R" or a bare path: the image to load and start
};

// An option of a front end: "--name" alone, or "--name VALUE" / "--name=VALUE".
struct OptionDef {
    std::string name;  // without the leading "--"
    bool takesValue = false;
};

struct CommandLine {
    Switches switches;
    bool help = false;
    bool version = false;
    std::vector<std::pair<std::string, std::string>> options;  // front-end options, in order
};

struct ParseOutcome {
    bool ok = true;
    std::string error;  // for a usage error: what was wrong, in one line
    CommandLine commandLine;
};

// Whether a path names an existing file (not a folder). Replaceable for tests.
using FileExists = std::function<bool(const std::string&)>;
bool existingFile(const std::string& path);

// The argument grammar. `args` excludes the program name.
ParseOutcome parseArguments(const std::vector<std::string>& args,
                            const std::vector<OptionDef>& options = {},
                            const FileExists& exists = existingFile);

// The whole-line rules: each of "/S", "/W", "/R" is found as a case-sensitive substring, first
// occurrence; "/S" and "/W" take the decimal digits right after them (none: 0; accumulated in 32
// bits), "/R" takes every character after it to the end of the line, blanks included.
Switches parseCommandLineText(const std::string& line);

// The Windows command line (after the program's name), the whole-line rules made forgiving as
// players and the shell write it: the path after "/R" loses the blanks around it and its quotes
// (a Windows path holds no quote), so "/R a.vrn", "\"/Rmy a.vrn\"" and "/R\"C:\x y\a.vrn\"" all
// name the file; without "/R" the arguments that are no "/S" or "/W" switch are a bare path (what
// "Open with", a file association and a file dropped on the program pass), loaded and started as
// with "/R".
Switches parseWindowsCommandLine(const std::string& line);

// A command line cut into arguments as Windows programs do: blanks separate arguments outside
// double quotes; 2n backslashes before a quote give n and the quote opens or closes a quoted
// part, 2n + 1 give n and a literal quote; "" inside a quoted part is a literal quote.
std::vector<std::string> splitWindowsArguments(const std::string& line);

// Digits right after position `at`, accumulated as value * 10 + digit in 32 bits.
uint32_t switchValue(const std::string& text, size_t at);

}  // namespace corvane

// The command line on any arguments: the argument grammar with the runner's options, and the
// whole-line rules on the arguments joined into one text.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "host/cmdline.h"

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::vector<OptionDef> kOptions = {
        {"max-instructions", true}, {"keys", true}, {"regs", false}, {"root", true},
        {"trace", false},
    };
    // Arguments are separated by zero bytes; an argument beginning "@" names an existing file,
    // so the path-before-switch rule runs without asking the disk.
    std::vector<std::string> args(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            args.emplace_back();
        else
            args.back() += char(data[i]);
    }
    const auto exists = [](const std::string& p) { return !p.empty() && p.front() == '@'; };
    const ParseOutcome outcome = parseArguments(args, kOptions, exists);
    if (outcome.ok) {
        for (const auto& [name, value] : outcome.commandLine.options) {
            bool known = false;
            for (const OptionDef& d : kOptions) known = known || d.name == name;
            if (!known) fuzz::fail("an unknown option was accepted", name);
        }
    } else if (outcome.error.empty()) {
        fuzz::fail("a usage error without a message");
    }

    std::string line;
    for (const std::string& a : args) line += (line.empty() ? "" : " ") + a;
    (void)parseCommandLineText(line);
    (void)parseWindowsCommandLine(line);
    return 0;
}

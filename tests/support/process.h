#pragma once
// Starts one of our executables from a test and waits for it, on every system alike: no shell
// in between, so paths need no quoting and a Windows path is not taken for a switch.

#include <filesystem>
#include <string>
#include <vector>

namespace corvane::test {

// One of the executables built beside the others (".exe" added on Windows).
std::filesystem::path builtProgram(const std::string& name);

// Runs `program` with `args`, standard input empty, standard output and error written to the
// given files (an empty path discards the stream). Returns the exit status, or -1 when the
// program could not be started or did not end by itself.
int runProgram(const std::filesystem::path& program, const std::vector<std::string>& args,
               const std::filesystem::path& out = {}, const std::filesystem::path& err = {});

// Standard output as the program wrote it: Windows' text-mode streams put a CR before every LF,
// which this takes out again (elsewhere the text is returned as it is).
std::string writtenText(const std::string& text);

}  // namespace corvane::test

#pragma once
// The command line a Windows program is started with, from its name and arguments (UTF-8).

#include <string>
#include <vector>

namespace corvane {

// Each argument quoted so that the C runtime's parser reads it back as one argument, as it was;
// with `wholeLine` the arguments after the program's name go in as they are, separated by
// blanks, for a program that reads its line as one text (a quote would become part of it).
// UTF-16 of UTF-8 text, as the wide functions take it.
std::wstring widenUtf8(const std::string& utf8);

std::wstring windowsCommandLine(const std::string& program, const std::vector<std::string>& args,
                                bool wholeLine);

}  // namespace corvane

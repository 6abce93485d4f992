#pragma once
// What a Corvane program learns about its own process, the same way on every system: where its
// executable lies and what its command line says, both as UTF-8 host paths and texts.

#include <filesystem>
#include <string>
#include <vector>

namespace corvane {

// The running executable's full path, or an empty path when the system does not tell.
std::filesystem::path executablePath();

// The arguments after the program's name, in UTF-8. On Windows they are read from the wide
// command line: `argv` holds them in the system's code page, which cannot spell every name.
std::vector<std::string> programArguments(int argc, char** argv);

// A main's argc and argv with the arguments in UTF-8 (programArguments), for a main that reads
// them the C way: `Utf8Arguments utf8(argc, argv); argc = utf8.count(); argv = utf8.values();`
class Utf8Arguments {
  public:
    Utf8Arguments(int argc, char** argv);
    int count() const { return int(pointers_.size()) - 1; }
    char** values() { return pointers_.data(); }

  private:
    std::vector<std::string> texts_;
    std::vector<char*> pointers_;  // the program's name, the arguments, then a null
};

}  // namespace corvane

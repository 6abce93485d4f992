#pragma once
// The output a corpus program must print: its .expected file, where "$DIR/" stands for the folder
// of the programs as the compiled path spells it (__FILE__ and assert messages name it; on
// Windows its last separator is a backslash).
#include <filesystem>
#include <string>

#include "host/app_test_files.h"

namespace corvane::test {

inline std::string expectedOutput(const std::filesystem::path& programs, const std::string& name) {
    std::string expected = readText(programs / (name + ".expected"));
    for (size_t at; (at = expected.find("$DIR/")) != std::string::npos;)
        expected.replace(at, 5, (programs / "").string());
    return expected;
}

}  // namespace corvane::test

// Names that a Windows file system would read as a drive, a network or device path, a device, a
// stream or a shortened name: refused under the Windows rules, here on any host, while ordinary
// names keep resolving.

#include <gtest/gtest.h>

#include <fstream>

#include "library/path.h"
#include "support/temp_dir.h"

namespace corvane::test {
namespace {

struct NameCase {
    const char* name;  // as a program gives it, '\' between components
    bool fits;
};

const NameCase kNames[] = {
    // ordinary names, folders, the root and the parent
    {"data.bin", true},
    {"\\sub\\data.bin", true},
    {"..\\data.bin", true},
    {".\\x", true},
    {"a.b.c", true},
    {"CONSOLE.TXT", true},
    {"com10", true},
    {"lpt0.txt", true},
    {"COM", true},
    {"nullify", true},
    {"my con.txt", true},
    {".hidden", true},
    {"", true},
    // drives
    {"C:x", false},
    {"C:\\x", false},
    {"c:/windows/win.ini", false},
    {"sub\\D:", false},
    // network and device namespaces
    {"\\\\server\\share\\f", false},
    {"//server/share", false},
    {"\\\\?\\C:\\x", false},
    {"\\\\.\\PhysicalDrive0", false},
    {"\\\\.\\", false},
    // reserved device names, any case, with or without an extension, in any component
    {"CON", false},
    {"con", false},
    {"Nul", false},
    {"AUX", false},
    {"prn", false},
    {"COM1", false},
    {"com9", false},
    {"LPT1", false},
    {"lpt9", false},
    {"con.txt", false},
    {"NUL.tar.gz", false},
    {"con .txt", false},
    {"CONIN$", false},
    {"conout$", false},
    {"sub\\aux\\f", false},
    {"aux\\f", false},
    // alternate data streams
    {"name:stream", false},
    {"file.txt::$DATA", false},
    {"sub:s\\f", false},
    // trailing dots and spaces
    {"a.", false},
    {"a ", false},
    {"sub.\\f", false},
    {"...", false},
    {"x\\. \\y", false},
    // wildcards and characters no name holds
    {"*.txt", false},
    {"a?", false},
    {"a<b", false},
    {"a>b", false},
    {"a|b", false},
    {"a\"b", false},
    {"a\tb", false},
};

TEST(WindowsNames, RefusedWhereWindowsWouldReadThemOtherwise) {
    for (const NameCase& c : kNames) {
        std::string name = c.name;
        for (char& ch : name) {
            if (ch == '\\') ch = '/';
        }
        EXPECT_EQ(fitsWindowsNames(name), c.fits) << c.name;
    }
}

// Every name above resolves under the Windows rules exactly when it fits them: the check is part
// of the resolution, and it refuses nothing that fits. Entries exist on disk for the names that
// would open a file here, so a refusal is the rules' and not a missing file's.
TEST(WindowsNames, ResolutionAppliesThemAndKeepsOrdinaryNames) {
    TempDir dir;
    const std::string root = dir.text();
    const std::string current = root;
    std::filesystem::create_directories(dir / "sub");
    for (const char* file : {"data.bin", "sub/data.bin", "con.txt", "a.", "name:stream"}) {
        std::ofstream(dir / file) << "x";
    }
    for (const NameCase& c : kNames) {
        const auto posix = resolveProgramPath(root, current, c.name, PathRules::Posix);
        const auto windows = resolveProgramPath(root, current, c.name, PathRules::Windows);
        if (c.fits) {
            EXPECT_EQ(windows, posix) << c.name;
        } else {
            EXPECT_FALSE(windows.has_value()) << c.name;
        }
    }
    EXPECT_TRUE(resolveProgramPath(root, current, "con.txt", PathRules::Posix).has_value());
    EXPECT_EQ(resolveProgramPath(root, current, "\\data.bin", PathRules::Windows),
              root + "data.bin");
}

}  // namespace
}  // namespace corvane::test

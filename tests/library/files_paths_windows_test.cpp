// The file root on a Windows file system, run there or under Wine: the root with its drive and
// backslashes, names that differ only in letter case, the ways out that only Windows reads into
// a name, short names and links that lead out of the root.

#ifdef _WIN32

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cwctype>
#include <vector>

#include "files_fixture.h"
#include "library/path.h"

namespace corvane::test {
namespace {

using WindowsFileRoot = FilesTest;

std::vector<std::string> entries(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The short name the file system gives `path`, its whole path shortened; empty when it has none.
std::string shortPathOf(const fs::path& path) {
    wchar_t buffer[1024];
    const DWORD n = GetShortPathNameW(path.wstring().c_str(), buffer, 1024);
    if (n == 0 || n >= 1024) return {};
    return fs::path(std::wstring(buffer, n)).string();
}

bool underWine() {
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

TEST_F(WindowsFileRoot, TheRootHasADriveAndBackslashes) {
    ASSERT_GE(m.rootDir.size(), 4u);
    EXPECT_EQ(m.rootDir[1], ':');
    EXPECT_EQ(m.rootDir.back(), '\\');
    writeFile(root / "sub" / "data.bin", "sub");
    EXPECT_EQ(resolveProgramPath(m.rootDir, m.rootDir, "sub/data.bin"),
              m.rootDir + "sub\\data.bin");
    EXPECT_EQ(chdir("sub"), kTrue);
    EXPECT_EQ(m.currentDir, m.rootDir + "sub\\");
    EXPECT_NE(open("data.bin", "r"), 0u);
    EXPECT_EQ(chdir("\\"), kTrue);
    EXPECT_EQ(m.currentDir, m.rootDir);
    // A root that is not an absolute Windows path gives no file at all.
    for (const char* badRoot : {"\\root\\", "root\\", "C:root\\", ""}) {
        EXPECT_FALSE(resolveProgramPath(badRoot, badRoot, "x").has_value()) << badRoot;
    }
}

// Windows names are one name in any letter case: writing DATA.DAT rewrites data.dat, and the
// root itself is found again in any case, while the path keeps the root's own spelling.
TEST_F(WindowsFileRoot, LetterCaseNamesTheSameFileAndTheSameRoot) {
    writeFile(root / "data.dat", "old");
    const uint32_t h = open("DATA.DAT", "w");
    ASSERT_NE(h, 0u);
    write(h, "new");
    call(sys_fclose, {h});
    EXPECT_EQ(readFile(root / "data.dat"), "new");
    EXPECT_EQ(entries(root), std::vector<std::string>{"data.dat"});

    std::string upper = root.filename().string();
    for (char& c : upper) c = char(std::toupper(static_cast<unsigned char>(c)));
    const std::string viaUpper = "..\\" + upper + "\\data.dat";
    EXPECT_EQ(resolveProgramPath(m.rootDir, m.rootDir, viaUpper), m.rootDir + "data.dat");
    std::string lowerRoot = m.rootDir;
    for (char& c : lowerRoot) c = char(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(resolveProgramPath(m.rootDir, lowerRoot, "data.dat"), m.rootDir + "data.dat");

    // A sibling whose name starts with the root's, in another case, is still outside.
    writeFile(base / (upper + "-TWIN") / "secret", "s");
    EXPECT_EQ(open("..\\" + upper + "-twin\\secret", "r"), 0u);
    EXPECT_EQ(open("..\\" + root.filename().string() + "-twin\\secret", "r"), 0u);
}

// Each of these names reaches a file beside the root or a device when Windows reads it; none
// may open or create anything, and nothing appears in the root or beside it.
TEST_F(WindowsFileRoot, WindowsWaysOutAreRefusedOnItsFileSystem) {
    writeFile(outside / "secret", "s");
    writeFile(root / "data.txt", "d");
    const std::string outsideText = outside.string();
    const std::string drive = outsideText.substr(0, 2);
    const std::string fromDriveRoot = outsideText.substr(2) + "\\secret";
    const std::string names[] = {
        outsideText + "\\secret",              // absolute with a drive
        drive + fromDriveRoot.substr(1),       // drive-relative: "Z:work\..."
        drive + "..\\outside\\secret",         // drive-relative from its directory
        "\\\\?\\" + outsideText + "\\secret",  // the device namespace
        "\\\\.\\" + outsideText + "\\secret",  //
        "\\\\localhost\\" + drive.substr(0, 1) + "$" + fromDriveRoot,  // an administrative share
        "\\\\?\\UNC\\localhost\\share\\secret",
        "CON",
        "nul",
        "aux.txt",
        "COM1",
        "lpt1.log",
        "sub\\PRN",
        "data.txt:stream",
        "data.txt::$DATA",
        "new.txt:s",
        "data.txt.",
        "data.txt ",
        "new. ",
        "..\\outside.\\secret",
        "..\\outside \\secret",
    };
    for (const std::string& name : names) {
        for (const char* mode : {"r", "r+", "w", "a"}) {
            EXPECT_EQ(open(name, mode), 0u) << name << ' ' << mode;
        }
        EXPECT_EQ(chdir(name), 0u) << name;
    }
    EXPECT_EQ(readFile(outside / "secret"), "s");
    EXPECT_EQ(readFile(root / "data.txt"), "d");
    EXPECT_EQ(entries(root), std::vector<std::string>{"data.txt"});
    EXPECT_EQ(entries(outside), std::vector<std::string>{"secret"});
    EXPECT_EQ(m.currentDir, m.rootDir);
}

// A short name inside the root reaches its file: the file system resolves it, and it really
// lies inside. Short names that lead out, or that spell the root's own folders differently on
// the way up and back in, are refused: above the root the name is compared as written, so a
// folder is only ever entered from the root down.
TEST_F(WindowsFileRoot, ShortNamesReachTheirFileOnlyInsideTheRoot) {
    writeFile(root / "a long file name.text", "long");
    writeFile(root / "a long folder name" / "f", "inner");
    writeFile(base / "a long outside name" / "secret", "s");
    const auto last = [](const std::string& p) { return fs::path(p).filename().string(); };
    const std::string shortFile = shortPathOf(root / "a long file name.text");
    const std::string shortFolder = shortPathOf(root / "a long folder name");
    const std::string shortOutside = shortPathOf(base / "a long outside name");
    const std::string shortRoot = shortPathOf(root);
    const std::string shortBase = shortPathOf(base);  // "corvane-files-..." is no 8.3 name
    if (shortFile.empty() || shortFolder.empty() || shortOutside.empty() ||
        last(shortBase) == base.filename().string()) {
        GTEST_SKIP() << "this file system gives no short names";
    }
    ASSERT_NE(last(shortFile), "a long file name.text");

    uint32_t h = open(last(shortFile), "r");
    ASSERT_NE(h, 0u) << last(shortFile);
    EXPECT_EQ(result(sys_fread, {kBufAddr, 0, 4, h}), 4u);
    EXPECT_EQ(getString(kBufAddr, 4), "long");
    call(sys_fclose, {h});
    EXPECT_EQ(chdir(last(shortFolder)), kTrue);
    h = open("f", "r");
    EXPECT_NE(h, 0u);
    call(sys_fclose, {h});
    EXPECT_EQ(chdir("\\"), kTrue);

    const std::string refused[] = {
        "..\\" + last(shortOutside) + "\\secret",
        "\\..\\" + last(shortOutside) + "\\secret",
        shortOutside + "\\secret",
        shortRoot + "\\a long file name.text",
        "..\\..\\" + last(shortBase) + "\\root\\a long file name.text",
    };
    for (const std::string& name : refused) {
        EXPECT_EQ(open(name, "r"), 0u) << name;
        EXPECT_EQ(open(name, "w"), 0u) << name;
    }
    EXPECT_EQ(chdir("..\\" + last(shortOutside)), 0u);
    EXPECT_EQ(readFile(base / "a long outside name" / "secret"), "s");
    EXPECT_EQ(entries(base / "a long outside name"), std::vector<std::string>{"secret"});
}

// Under Wine a Unix symbolic link inside the drive is an ordinary folder or file to a Windows
// program; the standard library's canonical form keeps it as it is. A Windows program cannot make
// one, so the build machine makes the trees with their links before the suite runs
// (tests/library/make_unix_links.sh) and names their folder in CORVANE_UNIX_LINKS; a case takes
// one tree's root as its file root, and the folder beside it as the outside.
class WindowsUnixLinks : public FilesTest {
  protected:
    bool useUnixLinkTree(const char* name) {
        const char* trees = std::getenv("CORVANE_UNIX_LINKS");
        if (trees == nullptr || *trees == '\0') return false;
        const fs::path base = fs::path(trees) / name;
        root = base / "root";
        outside = base / "outside";
        m.rootDir = root.string() + kHostSeparator;
        m.currentDir = m.rootDir;
        return fs::is_directory(root);
    }
};

TEST_F(WindowsUnixLinks, LeadingOutsideCountAsOutside) {
    if (!underWine()) GTEST_SKIP() << "Unix links exist only under Wine";
    ASSERT_TRUE(useUnixLinkTree("out"))
        << "no Unix links: CORVANE_UNIX_LINKS names no trees made by make_unix_links.sh";
    // The standard library does not see these as links here: the check must not rely on it.
    EXPECT_FALSE(fs::is_symlink(fs::symlink_status(root / "dir-link")));
    EXPECT_EQ(fs::canonical(root / "dir-link" / "secret"), root / "dir-link" / "secret");

    for (const char* name : {"file-link", "dir-link\\secret", "dir-link\\new", "DIR-LINK\\new"}) {
        for (const char* mode : {"r", "r+", "w", "a"}) {
            EXPECT_EQ(open(name, mode), 0u) << name << ' ' << mode;
        }
    }
    EXPECT_EQ(chdir("dir-link"), 0u);
    EXPECT_EQ(readFile(outside / "secret"), "s");
    EXPECT_EQ(entries(outside), std::vector<std::string>{"secret"});
    const uint32_t h = open("inner-link\\ok", "r");  // a link that stays inside is fine
    EXPECT_NE(h, 0u);
    call(sys_fclose, {h});
    EXPECT_EQ(chdir("inner-link"), kTrue);
}

// A Unix link to nothing is not even listed for a Windows program, yet opening it for writing
// would create its target outside the root.
TEST_F(WindowsUnixLinks, ToNothingCreateNothingOutside) {
    if (!underWine()) GTEST_SKIP() << "Unix links exist only under Wine";
    ASSERT_TRUE(useUnixLinkTree("dangling"))
        << "no Unix links: CORVANE_UNIX_LINKS names no trees made by make_unix_links.sh";
    for (const char* mode : {"w", "a", "w+", "a+", "r"}) {
        EXPECT_EQ(open("sub\\dangling", mode), 0u) << mode;
        EXPECT_EQ(open("sub\\DANGLING", mode), 0u) << mode;
    }
    EXPECT_TRUE(entries(outside).empty());
    const uint32_t h = open("sub\\fresh", "w");  // an ordinary new file is still made
    ASSERT_NE(h, 0u);
    call(sys_fclose, {h});
    EXPECT_TRUE(fs::exists(root / "sub" / "fresh"));
}

}  // namespace
}  // namespace corvane::test

#endif  // _WIN32

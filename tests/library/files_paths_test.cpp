// Names and directories: what a program may reach below the root and nothing more, letter-case
// fallback, GB2312 names, ChDir and FileList.

#ifndef _WIN32
#include <fcntl.h>  // mkfifo and open: tests may use the platform, the core may not
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cctype>
#include <vector>

#include "files_fixture.h"
#include "library/path.h"

namespace corvane::test {
namespace {

using FilePaths = FilesTest;

// A folder below the root as the machine holds it: "a/b" becomes "a/b/" on POSIX, "a\\b\\" on
// Windows.
#ifdef _WIN32
bool sameIgnoringCase(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}
#endif

std::string below(const std::string& root, std::string relative) {
    if (relative.empty()) return root;
    for (char& c : relative) {
        if (c == '/') c = kHostSeparator;
    }
    return root + relative + kHostSeparator;
}

TEST_F(FilePaths, NamesResolveFromTheCurrentDirectoryOrTheRoot) {
    writeFile(root / "data.bin", "top");
    writeFile(root / "sub" / "data.bin", "sub");
    m.currentDir = below(m.rootDir, "sub");
    struct Case {
        const char* name;
        const char* content;  // nullptr: refused
    };
    const Case cases[] = {
        {"data.bin", "sub"},
        {"\\data.bin", "top"},
        {"/data.bin", "top"},
        {"..\\data.bin", "top"},
        {"./data.bin", "sub"},
        {"\\sub\\.\\data.bin", "sub"},
        {"x\\..\\data.bin", "sub"},
        {"sub\\..\\..\\data.bin", "top"},
        {"..\\..\\data.bin", nullptr},
        {"\\..\\data.bin", nullptr},
        {"", nullptr},  // the directory itself is no file
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const uint32_t h = open(c.name, "r");
        if (c.content == nullptr) {
            EXPECT_EQ(h, 0u);
            continue;
        }
        ASSERT_NE(h, 0u);
        EXPECT_EQ(result(sys_fread, {kBufAddr, 0, 16, h}), 3u);
        EXPECT_EQ(getString(kBufAddr, 3), c.content);
        call(sys_fclose, {h});
    }
}

// The root's own path appearing inside a name must not let it out, and an absolute host path is
// just a name below the root.
TEST_F(FilePaths, EscapesAreRefusedAsMissingFiles) {
    writeFile(outside / "secret", "s");
    // A folder outside whose path contains the root's whole path: a substring test admits it.
    const fs::path lookalike = outside / root.relative_path();
    writeFile(lookalike / "secret", "s");
    std::string viaRoot;
    for (auto part = root.begin(); part != root.end(); ++part) viaRoot += "\\..";
    viaRoot += lookalike.string() + "\\secret";
    for (const std::string& name :
         {viaRoot, (outside / "new").string(), std::string("..\\outside\\secret"),
          (outside / "secret").string(),
          "\\..\\" + root.filename().string() + "\\..\\outside\\secret"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(open(name, "r"), 0u);
        EXPECT_EQ(open(name, "w"), 0u);
    }
    EXPECT_EQ(readFile(outside / "secret"), "s");
    EXPECT_EQ(readFile(lookalike / "secret"), "s");
    EXPECT_FALSE(fs::exists(outside / "new"));
    // A host-style absolute name is a name below the root.
    writeFile(root / "etc" / "passwd", "mine");
    const uint32_t h = open("/etc/passwd", "r");
    ASSERT_NE(h, 0u);
    EXPECT_EQ(result(sys_getc, {h}), uint32_t('m'));
}

#ifndef _WIN32  // symbolic links that a Windows program makes: files_paths_windows_test.cpp
TEST_F(FilePaths, LinksLeadingOutsideCountAsOutside) {
    writeFile(outside / "secret", "s");
    writeFile(root / "inner" / "ok", "ok");
    fs::create_symlink(outside / "secret", root / "file-link");
    fs::create_symlink(outside, root / "dir-link");
    fs::create_symlink(outside / "not-yet", root / "dangling");
    fs::create_symlink(root / "inner", root / "inner-link");
    for (const char* name : {"file-link", "dir-link\\secret", "dir-link\\new"}) {
        EXPECT_EQ(open(name, "r+"), 0u) << name;
        EXPECT_EQ(open(name, "w"), 0u) << name;
    }
    EXPECT_EQ(open("dangling", "w"), 0u);
    EXPECT_FALSE(fs::exists(outside / "not-yet"));
    EXPECT_FALSE(fs::exists(outside / "new"));
    EXPECT_EQ(readFile(outside / "secret"), "s");
    EXPECT_NE(open("inner-link\\ok", "r"), 0u);  // a link that stays inside is fine
    EXPECT_EQ(chdir("dir-link"), 0u);
    EXPECT_EQ(chdir("inner-link"), kTrue);
}

// A sibling folder whose name starts with the root's name ("root-twin") shares the root's
// path as a string prefix but lies outside it: a link to it must not let a program in.
TEST_F(FilePaths, LinksToASiblingNamedLikeTheRootCountAsOutside) {
    const fs::path twin = base / (root.filename().string() + "-twin");
    writeFile(twin / "secret", "s");
    fs::create_symlink(twin, root / "twin-link");
    fs::create_symlink(twin / "secret", root / "secret-link");
    for (const char* name : {"twin-link\\secret", "secret-link", "twin-link\\new"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(open(name, "r"), 0u);
        EXPECT_EQ(open(name, "r+"), 0u);
        EXPECT_EQ(open(name, "w"), 0u);
        EXPECT_EQ(open(name, "a"), 0u);
    }
    EXPECT_EQ(chdir("twin-link"), 0u);
    EXPECT_EQ(readFile(twin / "secret"), "s");
    EXPECT_FALSE(fs::exists(twin / "new"));
    EXPECT_EQ(std::distance(fs::directory_iterator(twin), fs::directory_iterator()), 1);
}

// The letter-case fallback must not look into a folder outside the root: here the only entry
// that matches "back" is outside, and it leads inside again, so listing it would admit the path.
TEST_F(FilePaths, CaseFallbackNeverListsAFolderOutsideTheRoot) {
    writeFile(root / "inner" / "ok", "ok");
    fs::create_symlink(outside, root / "dir-link");
    fs::create_symlink(root / "inner", outside / "BACK");
    for (const char* mode : {"r", "r+", "w"}) {
        EXPECT_EQ(open("dir-link\\back\\ok", mode), 0u) << mode;
    }
    EXPECT_EQ(chdir("dir-link\\back"), 0u);
    EXPECT_EQ(readFile(root / "inner" / "ok"), "ok");
    EXPECT_NE(open("dir-link\\BACK\\ok", "r"), 0u);  // the exact name is no lookup
}

#endif

#ifndef _WIN32
// A root that is no absolute host path would be read from the process's working directory:
// no file at all then. (Windows roots: files_paths_windows_test.cpp.)
TEST_F(FilePaths, ARootThatIsNoAbsolutePathGivesNoFile) {
    writeFile(root / "data.bin", "x");
    const std::string relative = fs::relative(root, fs::current_path()).string() + "/";
    for (const std::string& badRoot :
         {relative, std::string("./"), std::string(""), std::string("C:\\root\\")}) {
        EXPECT_FALSE(resolveProgramPath(badRoot, badRoot, "data.bin").has_value()) << badRoot;
    }
    EXPECT_TRUE(resolveProgramPath(m.rootDir, m.rootDir, "data.bin").has_value());
}
#endif

TEST_F(FilePaths, OverlongNamesAndPathsAreRefusedNotTruncated) {
    const std::string longName(kMaxPathBytes + 1, 'n');
    EXPECT_EQ(open(longName, "w"), 0u);
    // Fits the name buffer, but not once the root is in front of it.
    const std::string fitsName(kMaxPathBytes - m.rootDir.size() + 1, 'p');
    EXPECT_EQ(open(fitsName, "w"), 0u);
    EXPECT_EQ(chdir(fitsName), 0u);
    EXPECT_TRUE(fs::is_empty(root));
    const std::string justFits(kMaxPathBytes - m.rootDir.size(), 'q');
    ASSERT_LT(justFits.size(), 256u);  // a legal host file name
    EXPECT_EQ(open(justFits, "w"), 0x80u);
}

TEST_F(FilePaths, LetterCaseFallsBackToAnExistingEntry) {
    writeFile(root / "data.dat", "old");
    writeFile(root / "Sub" / "File.txt", "f");
    const uint32_t h = open("DATA.DAT", "w");
    write(h, "new");
    call(sys_fclose, {h});
    EXPECT_EQ(readFile(root / "data.dat"), "new");
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(root)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Sub", "data.dat"}));  // no twin
    EXPECT_NE(open("SUB\\FILE.TXT", "r"), 0u);
    EXPECT_EQ(chdir("sUB"), kTrue);
#ifdef _WIN32
    // The file system itself finds the folder, under the name the program wrote.
    EXPECT_TRUE(sameIgnoringCase(m.currentDir, below(m.rootDir, "Sub"))) << m.currentDir;
#else
    EXPECT_EQ(m.currentDir, below(m.rootDir, "Sub"));

    // The exact name wins; otherwise the first candidate in byte order. (On Windows the three
    // are one file.)
    writeFile(root / "twin.txt", "lower");
    writeFile(root / "TWIN.txt", "upper");
    writeFile(root / "Twin.txt", "mixed");
    for (auto [name, content] :
         {std::pair{"twin.txt", "lower"}, {"Twin.txt", "mixed"}, {"tWIN.TXT", "upper"}}) {
        const uint32_t t = open(std::string("\\") + name, "r");
        ASSERT_NE(t, 0u) << name;
        result(sys_fread, {kBufAddr, 0, 5, t});
        EXPECT_EQ(getString(kBufAddr, 5), content) << name;
        call(sys_fclose, {t});
    }
#endif
}

#ifndef _WIN32  // named pipes
TEST_F(FilePaths, OnlyRegularFilesOpen) {
    fs::create_directories(root / "dir");
    ASSERT_EQ(mkfifo((root / "pipe").c_str(), 0600), 0);
    // Holding both ends keeps a wrongly admitted pipe from blocking the test: it would open.
    const int holder = ::open((root / "pipe").c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(holder, 0);
    for (const char* name : {"dir", "pipe"}) {
        for (const char* mode : {"r", "w", "a+"}) {
            EXPECT_EQ(open(name, mode), 0u) << name << ' ' << mode;
        }
    }
    ::close(holder);
}
#endif

TEST_F(FilePaths, NamesAreGb2312OnTheProgramSideAndUtf8OnDisk) {
    EXPECT_NE(open("\xCE\xC4\xBC\xFE.txt", "w"), 0u);  // 文件.txt
    EXPECT_TRUE(fs::exists(root / hostFsPath("\u6587\u4EF6.txt")));
    fs::create_directories(root / hostFsPath("\u76EE\u5F55"));  // 目录
    EXPECT_EQ(chdir("\xC4\xBF\xC2\xBC"), kTrue);
    EXPECT_EQ(m.currentDir, below(m.rootDir, "\u76EE\u5F55"));
    EXPECT_EQ(open("\xFF\xFE", "w"), 0u);  // no such GB2312 character
    EXPECT_EQ(chdir("\xB0"), 0u);
}

TEST_F(FilePaths, ChDirMovesOnlyTheMachinesCurrentDirectory) {
    fs::create_directories(root / "sub" / "deeper");
    writeFile(root / "plain", "x");
    const fs::path processDir = fs::current_path();
    struct Case {
        const char* name;
        uint32_t result;
        const char* after;  // below the root
    };
    const Case cases[] = {
        {"sub", kTrue, "sub"},
        {"deeper/", kTrue, "sub/deeper"},
        {"..", kTrue, "sub"},
        {"missing", 0, "sub"},
        {"\\plain", 0, "sub"},
        {"..\\..", 0, "sub"},
        {"\\", kTrue, ""},
        {"..", 0, ""},
        {"/sub/deeper", kTrue, "sub/deeper"},
#ifdef _WIN32
        {"\\\\", 0, "sub/deeper"},  // a network path there
        {"\\", kTrue, ""},
#else
        {"\\\\", kTrue, ""},
#endif
    };
    for (const Case& c : cases) {
        EXPECT_EQ(chdir(c.name), c.result) << c.name;
        EXPECT_EQ(m.currentDir, below(m.rootDir, c.after)) << c.name;
    }
    EXPECT_EQ(fs::current_path(), processDir);
}

TEST_F(FilePaths, FileListWritesTheChosenBareName) {
    writeFile(root / "sub" / hostFsPath("\u6587.dat"), "x");
    fs::create_directories(root / "dir");
    m.currentDir = below(m.rootDir, "sub");
    struct Case {
        std::optional<std::string> chosen;
        uint32_t result;
        const char* written;
    };
    const Case cases[] = {
        {hostPathText(root / "sub" / hostFsPath("\u6587.dat")), kTrue, "\xCE\xC4.dat"},
        {std::nullopt, 0, ""},                          // cancelled
        {(root / "sub" / "gone.dat").string(), 0, ""},  // cannot be opened
        {(root / "dir").string(), 0, ""},               // not a file
    };
    for (const Case& c : cases) {
        host.chooserAnswers.push_back(c.chosen);
        putString(kBufAddr, "stale-content");
        EXPECT_EQ(result(sys_FileList, {0x10000 + kBufAddr}), c.result);
        EXPECT_EQ(getString(kBufAddr), c.written);
        EXPECT_EQ(host.chooserDirs.back(), m.currentDir);
    }
    // The name wraps at the end of memory.
    host.chooserAnswers.push_back(hostPathText(root / "sub" / hostFsPath("\u6587.dat")));
    EXPECT_EQ(result(sys_FileList, {0xFFFE}), kTrue);
    EXPECT_EQ(getString(0xFFFE), "\xCE\xC4.dat");
}

}  // namespace
}  // namespace corvane::test

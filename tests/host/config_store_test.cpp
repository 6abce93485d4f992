// vorn.ini through the store of this build (the text file on Linux, the system's profile
// functions on Windows): every kind of value the host keeps comes back byte for byte, defaults
// stand in for what is missing, and on Windows the file's encoding, a read-only file and a file
// held by another program.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "host/config_store.h"
#include "tests/host/app_test_files.h"

#ifdef _WIN32
#include <windows.h>

#include "host/config_store_win32.h"
#endif

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

struct Entry {
    const char* section;
    const char* key;
    std::string value;
};

// What the host writes: directories and program paths (GB2312 names among them, held as UTF-8),
// numbers, flags, names, key bindings, an empty recent-file slot, and one value longer than any
// fixed buffer of the system would take at once.
std::vector<Entry> hostValues() {
    return {
        {"ROM", "Directory", "Z:\\work\\games"},
        {"CPU", "Frequency", "1000"},
        {"Run", "Speed", "4294967295"},
        {"Run", "SpeedLimited", "1"},
        {"Run", "StateSlot", "3"},
        {"Corvane", "FullscreenShows", "lcd"},
        {"Corvane", "Size", "2"},
        {"Clock", "SetHostClock", "0"},
        {"Keys", "F1", "Record"},
        {"Gamepad", "A", "Enter"},
        {"Recent", "File1", "C:\\Program Files\\Corvane\\showcase.vrn"},
        {"Recent", "File2",
         "D:\\\xe6\xb8\xb8\xe6\x88\x8f\\\xe8\xb4\xaa\xe5\x90\x83\xe8\x9b\x87.vrn"},
        {"Recent", "File3",
         "/home/\xe7\x94\xa8\xe6\x88\xb7/\xe4\xb8\xad\xe6\x96\x87 \xe7\xa8\x8b\xe5\xba\x8f.vrn"},
        {"Recent", "File4", ""},
        {"Recent", "File5", "C:\\" + std::string(600, 'x') + "\\\xe9\x95\xbf.vrn"},
    };
}

TEST(ConfigStore, EveryValueTheHostWritesComesBackExactly) {
    TempDir dir;
    const fs::path file = dir / "vorn.ini";
    {
        const std::unique_ptr<ConfigStore> ini = openConfigStore(file);
        ASSERT_TRUE(ini->createIfMissing());
        for (const Entry& e : hostValues())
            ASSERT_TRUE(ini->setString(e.section, e.key, e.value)) << e.section << "/" << e.key;
    }
    // A fresh store reads what the file holds, not what an earlier one remembered.
    const std::unique_ptr<ConfigStore> ini = openConfigStore(file);
    for (const Entry& e : hostValues())
        EXPECT_EQ(ini->getString(e.section, e.key, "<none>"), e.value) << e.section << "/" << e.key;
    EXPECT_EQ(ini->getUnsigned("Run", "Speed", 7), 4294967295u);
    EXPECT_EQ(ini->getUnsigned("CPU", "Frequency", 0), 1000u);
    // Rewriting a value leaves every other one as it was.
    ASSERT_TRUE(ini->setString("Recent", "File2", "E:\\x.vrn"));
    for (const Entry& e : hostValues()) {
        const std::string expected = std::string(e.key) == "File2" ? "E:\\x.vrn" : e.value;
        EXPECT_EQ(ini->getString(e.section, e.key, "<none>"), expected) << e.key;
    }
    // The store leaves nothing beside the file.
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir.path()))
        names.push_back(entry.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"vorn.ini"});
}

TEST(ConfigStore, MissingFileSectionOrKeyGivesTheDefault) {
    TempDir dir;
    const std::unique_ptr<ConfigStore> missing = openConfigStore(dir / "vorn.ini");
    EXPECT_EQ(missing->getString("ROM", "Directory", "Z:\\root\\"), "Z:\\root\\");
    EXPECT_EQ(missing->getUnsigned("CPU", "Frequency", 0), 0u);
    EXPECT_EQ(missing->getUnsigned("CPU", "Frequency", 77), 77u);
    EXPECT_FALSE(fs::exists(dir / "vorn.ini"));  // reading never makes the file

    writeText(dir / "vorn.ini",
              "[CPU]\r\nFrequency=-5\r\nOther=abc\r\nEmpty=\r\n[ROM]\r\nDirectory=  C:\\g  \r\n");
    const std::unique_ptr<ConfigStore> ini = openConfigStore(dir / "vorn.ini");
    EXPECT_EQ(ini->getString("ROM", "Missing", "dflt"), "dflt");
    EXPECT_EQ(ini->getString("Nowhere", "Directory", "dflt"), "dflt");
    EXPECT_EQ(ini->getString("CPU", "Empty", "dflt"), "");  // present but empty is no default
    EXPECT_EQ(ini->getString("rom", "DIRECTORY", ""), "C:\\g");
    EXPECT_EQ(ini->getUnsigned("CPU", "Frequency", 9), 0u);
    EXPECT_EQ(ini->getUnsigned("CPU", "Other", 9), 0u);
    EXPECT_EQ(ini->getUnsigned("CPU", "Missing", 9), 9u);
}

TEST(ConfigStore, CreatesOnlyWhenMissingAndNeverTruncates) {
    TempDir dir;
    const std::unique_ptr<ConfigStore> ini = openConfigStore(dir / "vorn.ini");
    EXPECT_TRUE(ini->createIfMissing());
    EXPECT_EQ(fs::file_size(dir / "vorn.ini"), 0u);
    writeText(dir / "vorn.ini", "[CPU]\nFrequency=5\n");
    EXPECT_FALSE(ini->createIfMissing());
    EXPECT_EQ(ini->getUnsigned("CPU", "Frequency", 0), 5u);
    EXPECT_FALSE(openConfigStore(dir / "missing" / "vorn.ini")->createIfMissing());
}

#ifdef _WIN32

std::string bytesOf(const fs::path& file) {
    return readText(file);
}

bool startsUtf16(const std::string& bytes) {
    return bytes.size() >= 2 && uint8_t(bytes[0]) == 0xFF && uint8_t(bytes[1]) == 0xFE;
}

TEST(Win32ProfileStore, FileTurnsUtf16OnlyForTextTheAnsiCodePageCannotHold) {
    TempDir dir;
    const fs::path file = dir / "vorn.ini";
    Win32ProfileStore ini(file);
    ASSERT_TRUE(ini.createIfMissing());
    ASSERT_TRUE(ini.setString("ROM", "Directory", "Z:\\games"));
    ASSERT_TRUE(ini.setString("CPU", "Frequency", "1000"));
    // Plain text that any other program, and our own Linux build, reads as it is.
    EXPECT_EQ(bytesOf(file), "[ROM]\r\nDirectory=Z:\\games\r\n[CPU]\r\nFrequency=1000\r\n");

    // Chinese in a path: the ANSI code page of a Chinese system holds it, others do not.
    const std::string chinese = "C:\\\xe6\xb8\xb8\xe6\x88\x8f\\\xe8\xb4\xaa\xe5\x90\x83.vrn";
    ASSERT_TRUE(ini.setString("Recent", "File1", chinese));
    EXPECT_EQ(startsUtf16(bytesOf(file)), GetACP() != 936 && GetACP() != 65001);
    // Whatever it became, what was there before reads as it did.
    EXPECT_EQ(ini.getString("ROM", "Directory", ""), "Z:\\games");
    EXPECT_EQ(ini.getString("CPU", "Frequency", ""), "1000");
    EXPECT_EQ(ini.getString("Recent", "File1", ""), chinese);

    // A file that is UTF-16 stays so, and a symbol no code page of the handheld has survives.
    const std::string symbols = "\xe2\x82\xac \xf0\x9f\x8e\xae \xce\xa9";
    if (startsUtf16(bytesOf(file))) {
        ASSERT_TRUE(ini.setString("Recent", "File2", symbols));
        EXPECT_TRUE(startsUtf16(bytesOf(file)));
        EXPECT_EQ(ini.getString("Recent", "File2", ""), symbols);
    }
    EXPECT_FALSE(fs::exists(profileBackupOf(file)));
}

TEST(Win32ProfileStore, ReadOnlyOrHeldFileIsLeftAsItIs) {
    TempDir dir;
    const fs::path file = dir / "vorn.ini";
    const std::string text = "[ROM]\r\nDirectory=C:\\kept\r\n";

    writeText(file, text);
    ASSERT_TRUE(SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY));
    Win32ProfileStore ini(file);
    EXPECT_FALSE(ini.setString("ROM", "Directory", "C:\\new"));
    EXPECT_FALSE(ini.setString("Recent", "File1", "\xe4\xb8\xad.vrn"));
    EXPECT_EQ(bytesOf(file), text);
    ASSERT_TRUE(SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL));

    // Another program has it open and lets nobody write: the write fails, the file and what it
    // reads as stay, and no copy is left behind.
    HANDLE held = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(ini.setString("ROM", "Directory", "C:\\new"));
    EXPECT_EQ(ini.getString("ROM", "Directory", ""), "C:\\kept");
    CloseHandle(held);
    EXPECT_EQ(bytesOf(file), text);
    EXPECT_EQ(ini.getString("ROM", "Directory", ""), "C:\\kept");
    EXPECT_FALSE(fs::exists(profileBackupOf(file)));

    // Free again: written as usual.
    EXPECT_TRUE(ini.setString("ROM", "Directory", "C:\\new"));
    EXPECT_EQ(ini.getString("ROM", "Directory", ""), "C:\\new");
}

TEST(Win32ProfileStore, ALinkStaysAndTheFileItNamesIsRewritten) {
    TempDir dir;
    fs::create_directories(dir / "real");
    const fs::path target = dir / "real" / "settings.ini";
    writeText(target, "[ROM]\r\nDirectory=C:\\old\r\n");
    const fs::path link = dir / "vorn.ini";
    // Wine says yes and makes none: there the smoke test links vorn.ini from the Linux side.
    if (!CreateSymbolicLinkW(link.c_str(), target.c_str(), 0) ||
        !(GetFileAttributesW(link.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT) ||
        GetFileAttributesW(link.c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "this system makes no symbolic links for us";
    Win32ProfileStore ini(link);
    ASSERT_TRUE(ini.setString("ROM", "Directory", "C:\\new"));
    EXPECT_TRUE(GetFileAttributesW(link.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT);
    EXPECT_EQ(Win32ProfileStore(target).getString("ROM", "Directory", ""), "C:\\new");
}

// What a crash in the middle of a write leaves is mended when the file is next opened: a whole
// copy is put back over a file that may be half written, a copy that was still being made is
// removed and the file, not yet touched then, is kept.
TEST(Win32ProfileStore, ACopyLeftByACrashIsPutBackAndAHalfMadeCopyDropped) {
    TempDir dir;
    const fs::path file = dir / "vorn.ini";
    const fs::path backup = profileBackupOf(file);
    fs::path partial = backup;
    partial += ".part";
    const std::string whole = "[ROM]\r\nDirectory=C:\\whole\r\n";
    struct Case {
        const char* what;
        const char* file;     // nullptr: no vorn.ini
        const char* copy;     // nullptr: no whole copy
        const char* partial;  // nullptr: no copy being made
        std::string expected;
    } cases[] = {
        {"half-written file", "[ROM]\r\nDirec", whole.c_str(), nullptr, "C:\\whole"},
        {"file gone", nullptr, whole.c_str(), nullptr, "C:\\whole"},
        {"copy being made", whole.c_str(), nullptr, "[ROM]\r\nDi", "C:\\whole"},
        {"nothing left", whole.c_str(), nullptr, nullptr, "C:\\whole"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove(file);
        if (c.file) writeText(file, c.file);
        if (c.copy) writeText(backup, c.copy);
        if (c.partial) writeText(partial, c.partial);
        auto ini = openConfigStore(file);
        EXPECT_EQ(ini->getString("ROM", "Directory", ""), c.expected);
        EXPECT_FALSE(fs::exists(backup));
        EXPECT_FALSE(fs::exists(partial));
        // Writes go on as usual, and leave no copy.
        EXPECT_TRUE(ini->setString("ROM", "Directory", "C:\\next"));
        EXPECT_EQ(ini->getString("ROM", "Directory", ""), "C:\\next");
        EXPECT_FALSE(fs::exists(backup));
        EXPECT_FALSE(fs::exists(partial));
    }
}

#endif

}  // namespace
}  // namespace corvane::test

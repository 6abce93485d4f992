// The header check and the transfer of image files into the image buffer.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/program.h"
#include "support/temp_dir.h"
#include "vm/image.h"
#include "vm/memory_map.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> header(uint8_t version = 0x12) {
    return {'V', 'R', 'N', version, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
}

class ImageFile : public ::testing::Test {
  protected:
    TempDir temp{"corvane-image"};
    fs::path dir = temp.path();
    std::string write(const std::string& name, const std::vector<uint8_t>& bytes) {
        const fs::path path = dir / name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return path.string();
    }
};

TEST(ImageHeader, AcceptsOnlyVrnWithVersion0x12AndSixteenBytes) {
    struct Case {
        std::vector<uint8_t> bytes;
        bool ok;
        const char* what;
    };
    std::vector<uint8_t> arbitraryTail = header();
    for (int i = 4; i < 16; ++i) arbitraryTail[i] = uint8_t(0xA5 ^ i);
    std::vector<uint8_t> lowerCase = header();
    lowerCase[0] = 'v';
    std::vector<uint8_t> fifteen = header();
    fifteen.pop_back();
    const Case cases[] = {
        {header(), true, "plain header"},
        {arbitraryTail, true, "reserved bytes are not checked"},
        {header(0x11), false, "older version"},
        {header(0x13), false, "newer version"},
        {lowerCase, false, "magic is case-sensitive"},
        {fifteen, false, "15 bytes"},
        {{}, false, "empty"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(checkImageHeader(c.bytes.data(), c.bytes.size()), c.ok) << c.what;
    }
}

TEST_F(ImageFile, CheckGivesTheVerdictWithoutLoading) {
    EXPECT_EQ(checkImageFile(write("ok.vrn", header())), ImageStatus::Ok);
    EXPECT_EQ(checkImageFile(write("short.vrn", {'V', 'R', 'N', 0x12})), ImageStatus::Invalid);
    EXPECT_EQ(checkImageFile(write("v13.vrn", header(0x13))), ImageStatus::Invalid);
    EXPECT_EQ(checkImageFile((dir / "missing.vrn").string()), ImageStatus::CannotOpen);
    std::vector<uint8_t> big = header();
    big.resize(kImageBufferSize + 1);
    EXPECT_EQ(checkImageFile(write("big.vrn", big)), ImageStatus::TooLarge);
}

TEST_F(ImageFile, ReadLoadsTheWholeFileAndRefusesWithoutTouchingTheBuffer) {
    Program p(Code{}.op("EXIT"));
    Machine& m = p.m;
    std::vector<uint8_t> image = header();
    image.push_back(0x40);
    image.push_back(0x77);
    ASSERT_EQ(readImageFile(m, write("ok.vrn", image)), ImageStatus::Ok);
    EXPECT_EQ(m.imageSize, 18u);
    EXPECT_EQ(m.image[17], 0x77);

    std::vector<uint8_t> big = header();
    big.resize(kImageBufferSize + 1, 0xEE);
    EXPECT_EQ(readImageFile(m, write("big.vrn", big)), ImageStatus::TooLarge);
    EXPECT_EQ(readImageFile(m, write("bad.vrn", header(0x11))), ImageStatus::Invalid);
    EXPECT_EQ(m.imageSize, 18u);
    EXPECT_EQ(m.image[17], 0x77);

    // The largest image that fits loads whole.
    std::vector<uint8_t> full = header();
    full.resize(kImageBufferSize, 0x00);
    full.back() = 0x5A;
    ASSERT_EQ(readImageFile(m, write("full.vrn", full)), ImageStatus::Ok);
    EXPECT_EQ(m.imageSize, kImageBufferSize);
    EXPECT_EQ(m.image[kImageBufferSize - 1], 0x5A);
}

TEST(SetImage, ShorterImageClearsWhatTheLongerOneLeft) {
    Program p(Code{}.op("PUSH_B").u8(9).op("PUSH_B").u8(9).op("EXIT"));
    std::vector<uint8_t> small = header();
    small.push_back(0x40);
    ASSERT_EQ(setImage(p.m, small.data(), small.size()), ImageStatus::Ok);
    EXPECT_EQ(p.m.imageSize, 17u);
    EXPECT_EQ(p.m.image[17], 0);
    EXPECT_EQ(p.m.image[18], 0);
}

TEST(SetImage, RefusesOversizeAndInvalid) {
    Program p(Code{}.op("EXIT"));
    std::vector<uint8_t> big = header();
    big.resize(kImageBufferSize + 1);
    EXPECT_EQ(setImage(p.m, big.data(), big.size()), ImageStatus::TooLarge);
    const std::vector<uint8_t> bad = header(0x10);
    EXPECT_EQ(setImage(p.m, bad.data(), bad.size()), ImageStatus::Invalid);
    EXPECT_EQ(p.m.imageSize, 17u);
}

TEST(SetImage, HeaderOnlyImageEndsWithAFaultAtItsFirstFetch) {
    const std::vector<uint8_t> image = header();
    Program p(image, true);
    const RunResult r = p.run();
    EXPECT_EQ(r.stop, RunStop::Ended);
    EXPECT_EQ(r.executed, 0u);
    EXPECT_TRUE(p.m.faulted);
    EXPECT_STREQ(p.m.faultReason, "pc outside the program image at 0x000010");
}

}  // namespace
}  // namespace corvane::test

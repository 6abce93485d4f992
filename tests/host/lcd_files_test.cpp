// LCD screenshots as PBM and PNG files, and PNG round trips of window pictures.

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "host/image_io.h"
#include "support/temp_dir.h"
#include "vm/memory_map.h"

namespace corvane {
namespace {

std::string tempPath(const std::string& name) {
    static const test::TempDir dir("corvane-lcd-files");
    return (dir / name).string();
}

std::array<uint8_t, kBitmapSize> testScreen() {
    std::array<uint8_t, kBitmapSize> screen{};
    screen[0] = 0x80;                       // pixel (0, 0)
    screen[kBitmapSize - 1] = 0x01;         // pixel (159, 79)
    screen[kBitmapStride * 40 + 5] = 0x18;  // pixels (43, 40) and (44, 40)
    return screen;
}

TEST(LcdFiles, PbmIsTheScreenMemoryBehindAHeader) {
    const auto screen = testScreen();
    const std::string path = tempPath("screen.pbm");
    ASSERT_TRUE(writeLcdPbm(path, screen.data()));
    std::ifstream in(path, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const std::string header = "P4\n160 80\n";
    ASSERT_EQ(bytes.size(), header.size() + kBitmapSize);
    EXPECT_EQ(bytes.substr(0, header.size()), header);
    EXPECT_EQ(0, std::memcmp(bytes.data() + header.size(), screen.data(), kBitmapSize));
    in.close();  // Windows removes no file that is still open
    std::filesystem::remove(path);
}

TEST(LcdFiles, PngShowsSetPixelsBlackOnWhite) {
    const auto screen = testScreen();
    const std::string path = tempPath("screen.png");
    ASSERT_TRUE(writeLcdPng(path, screen.data()));
    RgbImage image;
    ASSERT_TRUE(readPng(path, image));
    ASSERT_EQ(image.width, 160);
    ASSERT_EQ(image.height, 80);
    struct Case {
        int x, y;
        uint8_t value;
    };
    for (const Case& c : {Case{0, 0, 0}, Case{1, 0, 255}, Case{159, 79, 0}, Case{158, 79, 255},
                          Case{43, 40, 0}, Case{44, 40, 0}, Case{45, 40, 255}, Case{0, 1, 255}}) {
        EXPECT_EQ(image.at(c.x, c.y)[0], c.value) << c.x << "," << c.y;
        EXPECT_EQ(image.at(c.x, c.y)[2], c.value) << c.x << "," << c.y;
    }
    std::filesystem::remove(path);
}

TEST(LcdFiles, PngRoundTripAndFailures) {
    RgbImage image(7, 3);
    for (size_t i = 0; i < image.rgb.size(); ++i) image.rgb[i] = uint8_t(i * 11);
    const std::string path = tempPath("round.png");
    ASSERT_TRUE(writePng(path, image));
    RgbImage back;
    ASSERT_TRUE(readPng(path, back));
    EXPECT_EQ(back, image);
    std::filesystem::remove(path);

    // A screenshot folder named in Chinese: the name is UTF-8 text, on Windows too.
    const std::filesystem::path folder =
        std::filesystem::path(tempPath("")) / std::filesystem::path(u8"\u622a\u56fe");
    std::filesystem::create_directories(folder);
    const std::u8string named = (folder / std::filesystem::path(u8"\u753b\u9762.png")).u8string();
    const std::string utf8(named.begin(), named.end());
    ASSERT_TRUE(writePng(utf8, image));
    ASSERT_TRUE(readPng(utf8, back));
    EXPECT_EQ(back, image);
    std::filesystem::remove_all(folder);

    EXPECT_FALSE(writePng("/nonexistent-folder/x.png", image));
    EXPECT_FALSE(writeLcdPbm("/nonexistent-folder/x.pbm", testScreen().data()));
    EXPECT_FALSE(readPng("/nonexistent-folder/x.png", back));
    const uint8_t garbage[] = {1, 2, 3, 4};
    EXPECT_FALSE(decodePng(garbage, sizeof garbage, back));
}

}  // namespace
}  // namespace corvane

// Whole listings: labels, data, raw bytes, and the round trip vrnasm(vrndis(image)) == image
// over hand-written and generated programs and over arbitrary bytes.

#include <gtest/gtest.h>

#include <random>

#include "shared/asmtext/text_encoding.h"
#include "shared/disasm/disassembler.h"
#include "tests/tools/asm_helpers.h"
#include "vm/opcodes.h"

namespace corvane::test {
namespace {

std::string listingOf(const Bytes& image) {
    return disassemble(image.data(), image.size());
}

// Assembles the listing of `image` and expects the same bytes back.
void expectRoundTrip(const Bytes& image, const std::string& what) {
    std::string listing = listingOf(image);
    AsmResult again = assemble(listing, "listing.s");
    ASSERT_TRUE(again.ok()) << what << "\n" << again.errorText() << listing;
    ASSERT_EQ(again.image, image) << what << "\n" << listing;
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(Listing, LabelsJumpTargetsThatStartInstructions) {
    Bytes image = assembleOrThrow(
        "top:  JMP top\n"
        "      CALL 0x000011\n"  // inside the JMP: stays a number
        "      JZ 0x100000\n"    // outside the image
        "      EXIT\n");
    std::string listing = listingOf(image);
    EXPECT_TRUE(contains(listing, "L_000010:\n        JMP L_000010")) << listing;
    EXPECT_TRUE(contains(listing, "CALL 0x000011")) << listing;
    EXPECT_TRUE(contains(listing, "JZ 0x100000")) << listing;
    EXPECT_TRUE(contains(listing, "; 000014")) << listing;  // addresses in comments
}

TEST(Listing, ShowsPlainTextUnderTheKeyAndDataAsData) {
    Bytes image = assembleOrThrow(
        "STRKEY 0x41\n"
        "PUSH_STR \"Hello, 世界\"\n"
        "INITDATA 0x2000, 1, 2\n"
        "INITDATA 0x2100\n"
        ".byte \"a longer text for the data block\", 0, 0xFF\n"
        ".enddata\n"
        ".byte 0x60, 0xE0\n");
    std::string listing = listingOf(image);
    EXPECT_TRUE(contains(listing, "PUSH_STR \"Hello, 世界\"")) << listing;
    EXPECT_TRUE(contains(listing, "INITDATA 0x2000, 0x01, 0x02")) << listing;
    EXPECT_TRUE(contains(listing, "INITDATA 0x2100 ")) << listing;
    EXPECT_TRUE(contains(listing, ".byte \"a longer text for the data block\", 0x00, 0xFF"))
        << listing;
    EXPECT_TRUE(contains(listing, ".enddata")) << listing;
    EXPECT_TRUE(contains(listing, ".byte 0x60")) << listing;
    EXPECT_TRUE(contains(listing, ".byte 0xE0")) << listing;
    expectRoundTrip(image, "keyed text and data");
}

TEST(Listing, ShowsBytesOnRequest) {
    Bytes image = assembleOrThrow("PUSH_W 0x1234");
    DisassemblyOptions options;
    options.showBytes = true;
    EXPECT_TRUE(contains(disassemble(image.data(), image.size(), options), "; 000010  02 34 12"));
}

TEST(RoundTrip, HandWrittenPrograms) {
    const char* programs[] = {
        "",
        "EXIT",
        ".header 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12\nNOP",
        // every operand form, keys changing between strings
        "main: SETSP 0x3000\n PUSH_B 1\n PUSH_W -2\n PUSH_D 0x80000000\n LDG_I 0x2000\n"
        " LDLX_C 65535\n ENTER 300, 255\n LINE 16777215\n FUNC 0\n STRKEY 0xFF\n"
        " PUSH_STR \"\\x01\\xFE\\t\\\"q\\\\\"\n STRKEY 0\n PUSH_STR \"\"\n JNZ main\n RET\n",
        // text with GB2312 characters, including in data
        "PUSH_STR \"按任意键继续\"\nINITDATA 0x2000\n.byte \"第一关\", 0\n.enddata\nEXIT",
        // a function built with the helpers, and raw bytes that look like instructions
        ".proc f a\n.var t, 3\n LDL_L a\n RET\n.endproc\n CALL f\n .byte 0x0D, 0x41\n",
        // an INITDATA of 300 bytes
        "INITDATA 0x3000\n.space 300, 7\n.enddata",
    };
    for (const char* source : programs) {
        AsmResult r = assemble(source);
        ASSERT_TRUE(r.ok()) << source << "\n" << r.errorText();
        expectRoundTrip(r.image, source);
    }
}

// Random programs in source form: instructions of every form with random operands, labels,
// keys and strings, INITDATA and raw bytes.
std::string randomProgram(std::mt19937& rng) {
    auto pick = [&](int n) { return int(rng() % uint32_t(n)); };
    std::vector<uint8_t> opcodes;
    for (int op = 0; op < 256; ++op) {
        if (opInfo(uint8_t(op)).name != nullptr) opcodes.push_back(uint8_t(op));
    }
    auto randomBytes = [&](int max, bool noZero) {
        std::string bytes;
        int n = pick(max);
        for (int i = 0; i < n; ++i) {
            char c = char(pick(256));
            if (noZero && c == 0) c = 'z';
            bytes += c;
        }
        return bytes;
    };
    const int labels = 1 + pick(6);
    std::string src;
    if (pick(4) == 0) src += ".header " + std::to_string(pick(256)) + ", 7\n";
    int placed = 0;
    const int count = 20 + pick(120);
    for (int i = 0; i < count; ++i) {
        if (placed < labels && pick(count / labels + 1) == 0) {
            src += "l" + std::to_string(placed++) + ":\n";
        }
        int what = pick(20);
        if (what == 0) {
            src += ".byte " + std::to_string(pick(256)) + "\n";
            continue;
        }
        if (what == 1) {
            src += "INITDATA " + std::to_string(pick(65536)) + "\n.byte " +
                   asmtext::quoteBytes(randomBytes(40, false)) + ", 1\n.enddata\n";
            continue;
        }
        uint8_t op = opcodes[size_t(pick(int(opcodes.size())))];
        const OpInfo& info = opInfo(op);
        std::string line = std::string("    ") + info.name;
        switch (info.operands) {
            case Operands::None:
                break;
            case Operands::U8:
                line += " " + std::to_string(pick(256));
                break;
            case Operands::S16:
                line += " " + std::to_string(pick(65536) - 32768);
                break;
            case Operands::U32:
                line += " " + std::to_string(rng());
                break;
            case Operands::A16:
            case Operands::O16:
            case Operands::U16:
                line += " " + std::to_string(pick(65536));
                break;
            case Operands::C24:
                line += pick(3) == 0 ? " " + std::to_string(pick(1 << 24))
                                     : " l" + std::to_string(pick(labels));
                break;
            case Operands::U24:
                line += " " + std::to_string(pick(1 << 24));
                break;
            case Operands::Enter:
                line += " " + std::to_string(pick(65536)) + ", " + std::to_string(pick(256));
                break;
            case Operands::String:
                line += " " + asmtext::quoteBytes(randomBytes(30, true));
                break;
            case Operands::InitData:
                line += " " + std::to_string(pick(65536)) + ", " + std::to_string(pick(256));
                break;
        }
        src += line + "\n";
    }
    while (placed < labels) src += "l" + std::to_string(placed++) + ": NOP\n";
    return src;
}

TEST(RoundTrip, GeneratedPrograms) {
    std::mt19937 rng(20240611);
    for (int i = 0; i < 300; ++i) {
        std::string source = randomProgram(rng);
        AsmResult r = assemble(source);
        ASSERT_TRUE(r.ok()) << source << "\n" << r.errorText();
        expectRoundTrip(r.image, source);
    }
}

// Any bytes after a header come back unchanged, whatever the linear sweep makes of them.
TEST(RoundTrip, ArbitraryBytes) {
    std::mt19937 rng(7);
    for (int i = 0; i < 300; ++i) {
        Bytes image = {'V', 'R', 'N', 0x12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
        const size_t n = rng() % 400;
        for (size_t k = 0; k < n; ++k) {
            // Favour the bytes that start strings, data and keys, and GB2312 lead bytes.
            static const uint8_t favourites[] = {0x0D, 0x41, 0x43, 0x3B, 0xB0, 0xD6, 0x00};
            image.push_back(rng() % 4 == 0 ? favourites[rng() % 7] : uint8_t(rng()));
        }
        expectRoundTrip(image, "arbitrary bytes #" + std::to_string(i));
    }
}

}  // namespace
}  // namespace corvane::test

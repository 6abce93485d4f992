// Whole-image listings. Two linear sweeps: the first finds where instructions start and which
// of those are jumped to or called, the second writes lines with labels at those places.

#include <cstdio>
#include <set>
#include <vector>

#include "shared/asmtext/text_encoding.h"
#include "shared/disasm/disassembler.h"
#include "vm/image.h"
#include "vm/opcodes.h"

namespace corvane {
namespace {

constexpr size_t kCommentColumn = 40;
constexpr size_t kInlineDataBytes = 8;  // INITDATA this short stays on one line

std::string labelName(uint32_t address) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "L_%06X", address);
    return buf;
}

// Columns a UTF-8 line takes on a terminal: the Chinese characters of listings are two wide.
size_t displayWidth(std::string_view utf8) {
    size_t width = 0;
    for (unsigned char c : utf8) {
        if (c < 0x80) {
            ++width;
        } else if (c >= 0xC0) {
            width += 2;
        }
    }
    return width;
}

std::string hexByte(uint8_t b) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "0x%02X", b);
    return buf;
}

// Length of the text run at the start of `bytes`: printable ASCII, newlines, tabs and GB2312
// characters that survive the round trip through UTF-8.
size_t textRun(std::string_view bytes) {
    size_t i = 0;
    while (i < bytes.size()) {
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        if ((c >= 0x20 && c < 0x7F) || c == '\n' || c == '\t') {
            ++i;
        } else if (c >= 0xA1 && i + 1 < bytes.size() &&
                   asmtext::gb2312PairToUtf8(c, static_cast<unsigned char>(bytes[i + 1]))) {
            i += 2;
        } else {
            break;
        }
    }
    return i;
}

// `.byte` operand lists for data bytes: text runs of four bytes or more as strings, the rest
// as numbers, a handful of items per line.
std::vector<std::string> byteItemLines(std::string_view bytes) {
    std::vector<std::string> lines;
    std::string line;
    size_t items = 0;
    auto add = [&](const std::string& item) {
        if (!line.empty() && (items >= 12 || line.size() + item.size() > 64)) {
            lines.push_back(line);
            line.clear();
            items = 0;
        }
        if (!line.empty()) line += ", ";
        line += item;
        ++items;
    };
    size_t i = 0;
    while (i < bytes.size()) {
        size_t run = textRun(bytes.substr(i, 48));
        if (run >= 4) {
            add(asmtext::quoteBytes(bytes.substr(i, run)));
            i += run;
        } else {
            add(hexByte(static_cast<uint8_t>(bytes[i])));
            ++i;
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

class Listing {
  public:
    Listing(const uint8_t* image, size_t size, const DisassemblyOptions& options)
        : image_(image), size_(size), options_(options) {}

    std::string run() {
        findLabels();
        out_ = "; program image, " + std::to_string(size_) + " bytes\n";
        bool reserved = false;
        for (size_t i = kImageReservedStart; i < kImageHeaderSize; ++i) {
            reserved = reserved || image_[i] != 0;
        }
        if (reserved) {
            std::string items;
            for (size_t i = kImageReservedStart; i < kImageHeaderSize; ++i) {
                items += (i > kImageReservedStart ? ", " : "") + hexByte(image_[i]);
            }
            out_ += "        .header " + items + "\n";
        }
        uint8_t key = 0;
        for (uint32_t at = kImageHeaderSize; at < size_;) {
            DecodedInstruction d = decodeInstruction(image_, size_, at, key);
            if (labels_.count(at) != 0) out_ += labelName(at) + ":\n";
            if (d.valid && d.opcode == op::STRKEY) key = d.newKey;
            writeUnit(d);
            at += d.length;
        }
        return out_;
    }

  private:
    void findLabels() {
        std::set<uint32_t> starts, targets;
        uint8_t key = 0;
        for (uint32_t at = kImageHeaderSize; at < size_;) {
            DecodedInstruction d = decodeInstruction(image_, size_, at, key);
            starts.insert(at);
            if (d.valid && d.opcode == op::STRKEY) key = d.newKey;
            if (d.target) targets.insert(*d.target);
            at += d.length;
        }
        // A target that is not where a line starts stays a number: a label there would move.
        for (uint32_t t : targets) {
            if (starts.count(t) != 0) labels_.insert(t);
        }
    }

    void line(const std::string& text, uint32_t address, uint32_t length) {
        std::string l = "        " + text;
        const size_t width = displayWidth(l);
        if (width < kCommentColumn) l.append(kCommentColumn - width, ' ');
        char buf[16];
        std::snprintf(buf, sizeof buf, " ; %06X", address);
        l += buf;
        if (options_.showBytes) {
            l += " ";
            for (uint32_t i = 0; i < length && i < 8; ++i) {
                std::snprintf(buf, sizeof buf, " %02X", image_[address + i]);
                l += buf;
            }
            if (length > 8) l += " ...";
        }
        out_ += l + "\n";
    }

    void writeUnit(const DecodedInstruction& d) {
        if (!d.valid) {
            // Bytes that are no instruction: an invalid opcode, or one cut short by the end.
            std::string_view raw(reinterpret_cast<const char*>(image_ + d.address), d.length);
            for (const std::string& items : byteItemLines(raw))
                line(".byte " + items, d.address, d.length);
            return;
        }
        std::string text = d.mnemonic;
        if (d.target && labels_.count(*d.target) != 0) {
            text += " " + labelName(*d.target);
        } else if (!d.operands.empty()) {
            text += " " + d.operands;
        }
        if (d.opcode != op::INITDATA) {
            line(text, d.address, d.length);
            return;
        }
        // INITDATA: short data on its own line, longer data as a block up to .enddata.
        if (!d.data.empty() && d.data.size() <= kInlineDataBytes) {
            auto items = byteItemLines(d.data);
            if (items.size() == 1) {
                line(text + ", " + items[0], d.address, d.length);
                return;
            }
        }
        line(text, d.address, d.length);
        for (const std::string& items : byteItemLines(d.data))
            out_ += "        .byte " + items + "\n";
        out_ += "        .enddata\n";
    }

    const uint8_t* image_;
    size_t size_;
    const DisassemblyOptions& options_;
    std::set<uint32_t> labels_;
    std::string out_;
};

}  // namespace

std::string disassemble(const uint8_t* image, size_t size, const DisassemblyOptions& options) {
    if (size < kImageHeaderSize) return "; not a program image: shorter than its 16-byte header\n";
    return Listing(image, size, options).run();
}

}  // namespace corvane

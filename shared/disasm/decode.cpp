#include <cstdio>

#include "shared/asmtext/text_encoding.h"
#include "shared/disasm/disassembler.h"
#include "vm/opcodes.h"

namespace corvane {
namespace {

std::string format(const char* fmt, uint32_t v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, fmt, v);
    return buf;
}

}  // namespace

DecodedInstruction decodeInstruction(const uint8_t* image, size_t size, uint32_t address,
                                     uint8_t strKey) {
    DecodedInstruction d;
    d.address = address;
    if (address >= size) return d;
    d.opcode = image[address];
    const OpInfo& info = opInfo(d.opcode);
    if (info.name == nullptr) return d;

    size_t pos = address + 1;
    const size_t fixed = size_t(operandBytes(info.operands));
    if (pos + fixed > size) {
        d.length = uint32_t(size - address);
        return d;
    }
    auto u8 = [&]() { return uint32_t(image[pos++]); };
    auto u16 = [&]() {
        uint32_t v = image[pos] | (uint32_t(image[pos + 1]) << 8);
        pos += 2;
        return v;
    };
    auto u24 = [&]() {
        uint32_t v =
            image[pos] | (uint32_t(image[pos + 1]) << 8) | (uint32_t(image[pos + 2]) << 16);
        pos += 3;
        return v;
    };
    switch (info.operands) {
        case Operands::None:
            break;
        case Operands::U8: {
            uint32_t v = u8();
            if (d.opcode == op::STRKEY) {
                d.newKey = uint8_t(v);
                d.operands = format("0x%02X", v);
            } else {
                d.operands = std::to_string(v);
            }
            break;
        }
        case Operands::S16:
            d.operands = std::to_string(int16_t(u16()));
            break;
        case Operands::U32: {
            uint32_t v = u16();
            v |= u16() << 16;
            d.operands = v < 0x10000 ? std::to_string(v) : format("0x%08X", v);
            break;
        }
        case Operands::A16:
        case Operands::U16:
            d.operands = format("0x%04X", u16());
            break;
        case Operands::O16:
            d.operands = std::to_string(u16());
            break;
        case Operands::C24: {
            uint32_t v = u24();
            d.target = v;
            d.operands = format("0x%06X", v);
            break;
        }
        case Operands::U24:
            d.operands = std::to_string(u24());
            break;
        case Operands::Enter: {
            uint32_t frame = u16();
            d.operands = std::to_string(frame) + ", " + std::to_string(u8());
            break;
        }
        case Operands::String: {
            // Up to and including the byte that decodes to 0.
            while (pos < size && image[pos] != strKey) d.data += char(image[pos++] ^ strKey);
            if (pos >= size) {
                d.data.clear();
                d.length = uint32_t(size - address);
                return d;
            }
            ++pos;
            d.operands = asmtext::quoteBytes(d.data);
            break;
        }
        case Operands::InitData: {
            uint32_t target = u16();
            uint32_t count = u16();
            if (pos + count > size) {
                d.length = uint32_t(size - address);
                return d;
            }
            d.data.assign(reinterpret_cast<const char*>(image + pos), count);
            pos += count;
            d.operands = format("0x%04X", target);
            break;
        }
    }
    d.valid = true;
    d.mnemonic = info.name;
    d.length = uint32_t(pos - address);
    return d;
}

std::string formatInstruction(const DecodedInstruction& d) {
    std::string line = format("%06X  ", d.address);
    if (!d.valid) {
        line += format(".byte 0x%02X", d.opcode);
        if (d.length > 1) line += "  ; cut off by the end of the image";
        return line;
    }
    line += d.mnemonic;
    if (!d.operands.empty()) line += " " + d.operands;
    if (d.opcode == op::INITDATA) line += ", " + std::to_string(d.data.size()) + " bytes";
    return line;
}

std::string traceInstruction(const uint8_t* image, size_t size, uint32_t address, uint8_t strKey) {
    return formatInstruction(decodeInstruction(image, size, address, strKey));
}

}  // namespace corvane

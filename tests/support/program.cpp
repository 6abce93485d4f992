#include "support/program.h"

#include <stdexcept>
#include <string>

#include "vm/opcodes.h"

namespace corvane::test {

Code& Code::op(std::string_view mnemonic) {
    const auto opcode = opcodeByName(mnemonic);
    if (!opcode) throw std::invalid_argument("unknown mnemonic " + std::string(mnemonic));
    return u8(*opcode);
}

Code& Code::u8(uint32_t v) {
    bytes_.push_back(uint8_t(v));
    return *this;
}
Code& Code::u16(uint32_t v) {
    return u8(v).u8(v >> 8);
}
Code& Code::u24(uint32_t v) {
    return u16(v).u8(v >> 16);
}
Code& Code::u32(uint32_t v) {
    return u16(v).u16(v >> 16);
}
Code& Code::raw(std::initializer_list<uint8_t> bytes) {
    bytes_.insert(bytes_.end(), bytes);
    return *this;
}
Code& Code::raw(std::span<const uint8_t> bytes) {
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    return *this;
}

void Code::patch24(uint32_t at, uint32_t value) {
    const size_t i = at - kImageHeaderSize;
    bytes_.at(i) = uint8_t(value);
    bytes_.at(i + 1) = uint8_t(value >> 8);
    bytes_.at(i + 2) = uint8_t(value >> 16);
}

std::vector<uint8_t> imageWithCode(std::span<const uint8_t> code) {
    std::vector<uint8_t> image = {'V', 'R', 'N', 0x12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    image.insert(image.end(), code.begin(), code.end());
    return image;
}

Program::Program(std::span<const uint8_t> image, bool loaded) {
    m.host = &host;
    if (setImage(m, image.data(), image.size()) != ImageStatus::Ok) {
        throw std::invalid_argument("test image refused");
    }
    m.programLoaded = loaded;
    m.paused = !loaded;
    resetMachine(m);
}

void Program::restart() {
    endProgram(m);
    m.programLoaded = true;
    m.paused = false;
    resetMachine(m);
}

}  // namespace corvane::test

#pragma once
// Test programs from raw bytes: a code builder for little-endian operands, and a machine with a
// FakeHost that has an image loaded and reset, ready to step or run with a budget.

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "support/fake_host.h"
#include "vm/image.h"
#include "vm/interpreter.h"
#include "vm/machine.h"

namespace corvane::test {

// Builds code bytes; addresses are code addresses (offset 16 is the first code byte).
class Code {
  public:
    Code() = default;
    Code(std::initializer_list<uint8_t> bytes) : bytes_(bytes) {}

    Code& op(uint8_t opcode) { return u8(opcode); }
    // By mnemonic, as the opcode map names it ("LDL_L", "printf").
    Code& op(std::string_view mnemonic);
    Code& u8(uint32_t v);
    Code& u16(uint32_t v);
    Code& u24(uint32_t v);
    Code& u32(uint32_t v);
    Code& raw(std::initializer_list<uint8_t> bytes);
    Code& raw(std::span<const uint8_t> bytes);

    // Code address of the next byte to be emitted.
    uint32_t here() const { return kImageHeaderSize + uint32_t(bytes_.size()); }
    // Rewrites the 24-bit operand whose first byte is at code address `at`.
    void patch24(uint32_t at, uint32_t value);

    const std::vector<uint8_t>& bytes() const { return bytes_; }

  private:
    std::vector<uint8_t> bytes_;
};

// A valid 16-byte header followed by `code`.
std::vector<uint8_t> imageWithCode(std::span<const uint8_t> code);

// A machine with a FakeHost, an image loaded, the program-loaded flag set, not paused, and reset.
struct Program {
    FakeHost host;
    std::unique_ptr<Machine> machine = std::make_unique<Machine>();
    Machine& m = *machine;

    explicit Program(const Code& code) : Program(imageWithCode(code.bytes()), true) {}
    // `image` includes its header; it must pass the header check.
    Program(std::span<const uint8_t> image, bool loaded);

    // Restarts the loaded image as the host's reset command does.
    void restart();
    RunResult run(uint64_t budget = 1'000'000) { return corvane::run(m, budget); }

    // The value on top of the operand stack, without popping it.
    uint32_t top() const { return m.slot(uint8_t(m.osp - 4)); }
    // The n-th value below the top (0 = top).
    uint32_t below(int n) const { return m.slot(uint8_t(m.osp - 4 * (n + 1))); }
};

}  // namespace corvane::test

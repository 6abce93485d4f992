#pragma once
// The disassembler: decodes program images into listings that vrnasm reads back to the same
// bytes, and single instructions for the runner's trace.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace corvane {

struct DecodedInstruction {
    uint32_t address = 0;
    uint32_t length = 1;  // bytes taken; at least 1, never past the end of the image
    bool valid = false;   // false: an invalid opcode, or an instruction cut off by the image's end
    uint8_t opcode = 0;
    const char* mnemonic = nullptr;  // null when not valid
    std::string operands;            // in assembler syntax; code addresses as numbers
    std::optional<uint32_t> target;  // the code address operand of JZ, JNZ, JMP and CALL
    std::string data;    // PUSH_STR: the decoded text (no terminator); INITDATA: the bytes copied
    uint8_t newKey = 0;  // STRKEY: the key it sets
};

// Decodes the instruction at `address` of an image of `size` bytes; strings are decoded with
// `strKey`, the key in force there.
DecodedInstruction decodeInstruction(const uint8_t* image, size_t size, uint32_t address,
                                     uint8_t strKey = 0);

// One line for a trace: "000010  PUSH_B 5" (address in hex, mnemonic, operands).
std::string formatInstruction(const DecodedInstruction& instruction);

// decodeInstruction and formatInstruction in one call.
std::string traceInstruction(const uint8_t* image, size_t size, uint32_t address, uint8_t strKey);

struct DisassemblyOptions {
    bool showBytes = false;  // add the instruction's bytes to each line's address comment
};

// A listing of a whole image (header included, at least 16 bytes): valid assembler input that
// gives back the same bytes for every image vrnasm makes.
std::string disassemble(const uint8_t* image, size_t size, const DisassemblyOptions& options = {});

}  // namespace corvane

#pragma once
// The opcode map as data, built from vm/opcode_list.inc: the number of every opcode by name,
// the mnemonic and operand layout of every opcode, and how every system call uses the operand
// stack. The assembler, the disassembler, the compiler and the trace all read it from here.

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string_view>

namespace corvane {

enum class Operands : uint8_t {
    None,      // no operand bytes (all system calls)
    U8,        // PUSH_B, STRKEY
    S16,       // PUSH_W and the immediate operators
    U32,       // PUSH_D
    A16,       // global address
    O16,       // offset from fp
    U16,       // SETSP
    C24,       // code address: JZ, JNZ, JMP, CALL
    U24,       // LINE, FUNC
    String,    // PUSH_STR: bytes up to the one that decodes to 0 with the string key
    Enter,     // ENTER: u16 frame size, u8 argument count
    InitData,  // INITDATA: a16 address, u16 count, count bytes
};

struct OpInfo {
    const char* name;  // nullptr for an invalid opcode
    Operands operands;
};

// Every instruction's opcode under its mnemonic: op::PUSH_B, op::JMP.
namespace op {
#define INSTRUCTION(number, mnemonic, operands, state, handler) \
    inline constexpr uint8_t mnemonic = number;
#include "vm/opcode_list.inc"
}  // namespace op

// Every system call's opcode under the name programs call it by: call::memcpy, call::TextOut.
namespace call {
#define SYSTEM_CALL(number, name, handler, arguments, result) \
    inline constexpr uint8_t name = number;
#include "vm/opcode_list.inc"
}  // namespace call

// System calls take the opcodes from 0x80 up; base instructions lie below.
constexpr uint8_t kFirstSystemCall = 0x80;
constexpr uint8_t kLastSystemCall = std::max({
#define SYSTEM_CALL(number, name, handler, arguments, result) uint8_t(number),
#include "vm/opcode_list.inc"
});

// Information on an opcode; `name` is nullptr for the invalid ones (those not in the list).
const OpInfo& opInfo(uint8_t opcode);

// The opcode with this exact (case-sensitive) mnemonic.
std::optional<uint8_t> opcodeByName(std::string_view name);

// How a system call uses the operand stack: its arguments in push order (names joined by ", ",
// "values..." for the values of a variadic call), its result ("" when it pushes none), the slots
// it pops (kVariadicPops: the count pushed last says how many) and whether it leaves a result.
// getchar and GetWord leave theirs only when the key arrives.
constexpr int8_t kVariadicPops = -1;

struct CallSignature {
    const char* arguments;
    const char* result;
    int8_t pops;
    bool pushes;
};

// Signature of system call `opcode`; for any other opcode, one with no arguments.
const CallSignature& callSignature(uint8_t opcode);

// Fixed bytes an instruction's operands take (PUSH_STR and INITDATA: only their fixed part).
constexpr int operandBytes(Operands form) {
    switch (form) {
        case Operands::None:
        case Operands::String:
            return 0;
        case Operands::U8:
            return 1;
        case Operands::S16:
        case Operands::A16:
        case Operands::O16:
        case Operands::U16:
            return 2;
        case Operands::C24:
        case Operands::U24:
        case Operands::Enter:
            return 3;
        case Operands::U32:
        case Operands::InitData:
            return 4;
    }
    return 0;
}

}  // namespace corvane

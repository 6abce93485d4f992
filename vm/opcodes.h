#pragma once
// The opcode map as data: mnemonic and operand layout of every opcode. The interpreter's handler
// tables, the assembler, the disassembler and the trace all read it from here.

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

constexpr uint8_t kFirstSystemCall = 0x80;
constexpr uint8_t kLastBaseOpcode = 0x53;
constexpr uint8_t kLastSystemCall = 0xD1;

// Information on an opcode; `name` is nullptr for the invalid ones (0x54-0x7F, 0xD2-0xFF).
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

// Signature of system call `opcode` (0x80-0xD1); for any other opcode, one with no arguments.
const CallSignature& callSignature(uint8_t opcode);

// Fixed bytes an instruction's operands take (PUSH_STR and INITDATA: only their fixed part).
int operandBytes(Operands form);

}  // namespace corvane

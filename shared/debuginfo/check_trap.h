#pragma once
// The trap that ends a program compiled with `vrncc -fcheck` when one of its checks fails. The
// machine has no instruction for it, so the program executes the invalid opcode 0xFE with a mark
// on top of the operand stack: the machine ends the program with a fault as for any invalid
// opcode, and the host, reading the mark, names the check and the code that failed it.
//
// The mark is the 32-bit value 0x4B43DDKK: "CK" in the high half, the check's number in the low
// byte KK, and in DD how many frames the trap lies below the failing code: 0 when the trap is in
// the failing function itself (the stack check at a function's entry), 1 when a check routine
// that the failing code called traps (the null-pointer check, the call through a pointer, free),
// 2 when that routine called a helper of its own to trap.

#include <cstdint>
#include <optional>

namespace corvane {

inline constexpr uint8_t kCheckTrapOpcode = 0xFE;
inline constexpr uint32_t kCheckTrapMark = 0x4B430000;

// The checks, by their number in the mark.
enum class Check : uint8_t {
    StackOverflow = 1,
    NullRead = 2,
    NullWrite = 3,
    NotAFunction = 4,
    HeapOverflowFree = 5,
    HeapOverflowMalloc = 6,
    HeapOverflowRealloc = 7,
    DoubleFree = 8,
    FreeNotHeap = 9,
    ReallocNotHeap = 10,
    ReallocFreed = 11,
};

// The mark a trap of `check` carries, `depth` frames below the failing code.
constexpr uint32_t checkTrapMark(Check check, int depth) {
    return kCheckTrapMark | uint32_t(depth) << 8 | uint32_t(check);
}

struct CheckTrap {
    Check check = Check::StackOverflow;
    int depth = 0;
};

// The check a trap's mark names; nothing for a value that is no mark of a known check.
std::optional<CheckTrap> readCheckTrapMark(uint32_t mark);

// What the program's end says about the check: "null pointer write", "double free", ...
const char* checkMessage(Check check);

}  // namespace corvane

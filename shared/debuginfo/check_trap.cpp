#include "shared/debuginfo/check_trap.h"

namespace corvane {

std::optional<CheckTrap> readCheckTrapMark(uint32_t mark) {
    if ((mark & 0xFFFF0000u) != kCheckTrapMark) return std::nullopt;
    const uint32_t number = mark & 0xFF, depth = mark >> 8 & 0xFF;
    if (number < uint32_t(Check::StackOverflow) || number > uint32_t(Check::ReallocFreed) ||
        depth > 2)
        return std::nullopt;
    return CheckTrap{Check(number), int(depth)};
}

const char* checkMessage(Check check) {
    switch (check) {
        case Check::StackOverflow:
            return "stack overflow";
        case Check::NullRead:
            return "null pointer read";
        case Check::NullWrite:
            return "null pointer write";
        case Check::NotAFunction:
            return "call through a pointer that is not a function";
        case Check::HeapOverflowFree:
            return "heap overflow detected by free";
        case Check::HeapOverflowMalloc:
            return "heap overflow detected by malloc";
        case Check::HeapOverflowRealloc:
            return "heap overflow detected by realloc";
        case Check::DoubleFree:
            return "double free";
        case Check::FreeNotHeap:
            return "free of a pointer that malloc did not return";
        case Check::ReallocNotHeap:
            return "realloc of a pointer that malloc did not return";
        case Check::ReallocFreed:
            return "realloc of a freed pointer";
    }
    return "check failed";
}

}  // namespace corvane

#pragma once
// Typed addresses, as the address instructions push them and ASSIGN and the increment and
// decrement instructions take them: bits 0-15 the address, bits 16-22 the width tag (1 char,
// 2 int, anything else long), bit 23 "add fp". The compiler builds them too.

#include <cstdint>

namespace corvane {

constexpr uint32_t kCharTag = 0x00010000;
constexpr uint32_t kIntTag = 0x00020000;
constexpr uint32_t kLongTag = 0x00040000;
constexpr uint32_t kStringTag = 0x00100000;
constexpr uint32_t kFrameRelative = 0x00800000;

}  // namespace corvane

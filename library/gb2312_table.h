#pragma once
// The generated GB2312 <-> Unicode tables behind library/gb2312.h.

#include <cstddef>
#include <cstdint>

namespace corvane {

struct Gb2312Pair {
    uint16_t unicode;
    uint16_t code;  // lead byte << 8 | trail byte
};

constexpr int kGb2312Cells = 94;  // rows and columns, each 0xA1-0xFE

extern const uint16_t kGb2312ToUnicode[kGb2312Cells * kGb2312Cells];
extern const Gb2312Pair kUnicodeToGb2312[];
extern const size_t kUnicodeToGb2312Size;

}  // namespace corvane

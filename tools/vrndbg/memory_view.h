#pragma once
// Views of a snapshot of the data area: bytes in hexadecimal, ints (16-bit) and longs (32-bit)
// in signed decimal, each line headed by the machine address of its first item.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace corvane {

constexpr uint32_t kSnapshotBase = 0x2000;  // the machine address of the snapshot's first byte

// Parses a number as the user types it: decimal, 0x hexadecimal, optional leading '-'.
std::optional<int64_t> parseNumber(const std::string& text);

// `count` items of `width` bytes (1, 2 or 4) from machine address `addr`. An error text instead
// when the range leaves the snapshot.
std::string viewMemory(const std::vector<uint8_t>& snapshot, uint32_t addr, uint32_t count,
                       int width);

}  // namespace corvane

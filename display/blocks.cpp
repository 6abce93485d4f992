// Block transfer and whole-screen calls: WriteBlock, GetBlock, Refresh, ClearScreen and XDraw.

#include <array>
#include <cstring>

#include "display/screen.h"
#include "vm/syscalls.h"

namespace corvane {

namespace {

enum XDrawMode : uint8_t { kShiftLeft = 0, kShiftRight = 1, kMirror = 4, kFlip = 5 };

uint8_t* backBufferRow(Machine& m, uint32_t row) {
    return &m.mem[kGraphicsBuffer + kBitmapStride * row];
}

// Each byte takes the top bit of the byte to its right into its bottom bit.
void shiftRowLeft(uint8_t* row) {
    uint8_t carry = 0;
    for (int i = kBitmapStride - 1; i >= 0; --i) {
        const uint8_t out = row[i] >> 7;
        row[i] = uint8_t((row[i] << 1) | carry);
        carry = out;
    }
}

void shiftRowRight(uint8_t* row) {
    uint8_t carry = 0;
    for (int i = 0; i < kBitmapStride; ++i) {
        const uint8_t out = row[i] & 1;
        row[i] = uint8_t((row[i] >> 1) | (carry << 7));
        carry = out;
    }
}

void mirrorRow(const Machine& m, uint8_t* row) {
    for (int i = 0, j = kBitmapStride - 1; i < j; ++i, --j) {
        const uint8_t left = row[i];
        row[i] = m.bitReverse[row[j]];
        row[j] = m.bitReverse[left];
    }
}

}  // namespace

void sys_WriteBlock(Machine& m) {
    const uint16_t address = popAddress(m);
    const uint8_t type = popByte(m);
    const uint8_t h = popByte(m);
    const uint8_t w = popByte(m);
    const uint8_t y = popByte(m);
    const uint8_t x = popByte(m);
    selectTarget(m, (type & 0x40) != 0);  // bit 6 set: LCD
    m.draw.mirror = (type & 0x20) != 0;
    m.draw.mode = type & 0x0F;
    blockBlit(m, x, y, w, h, address);
}

// Copies whole bytes without clipping: x is rounded down to a multiple of 8, the width is
// truncated to whole bytes, and rows past the bitmap read whatever follows in VmMemory. A height
// of 0 copies 256 rows, as the 8-bit row counter is tested after each row.
void sys_GetBlock(Machine& m) {
    uint16_t dest = popAddress(m);
    const uint8_t type = popByte(m);
    const uint8_t h = popByte(m);
    const uint8_t w = popByte(m);
    const uint8_t y = popByte(m);
    const uint8_t x = popByte(m);
    selectTarget(m, (type & 0x40) != 0);  // bit 6 set: LCD
    const uint32_t rowBytes = w / 8;
    const uint32_t rows = h == 0 ? 256 : h;
    uint16_t source = pixelAddress(m, x, y);
    for (uint32_t j = 0; j < rows; ++j) {
        for (uint32_t i = 0; i < rowBytes; ++i)
            m.mem[uint16_t(dest + i)] = m.mem[uint16_t(source + i)];
        source = uint16_t(source + kBitmapStride);
        dest = uint16_t(dest + rowBytes);
    }
}

void sys_Refresh(Machine& m) {
    std::memcpy(&m.mem[kLcdScreen], &m.mem[kGraphicsBuffer], kBitmapSize);
}

void sys_ClearScreen(Machine& m) {
    std::memset(&m.mem[kGraphicsBuffer], 0, kBitmapSize);
}

void sys_XDraw(Machine& m) {
    const uint8_t mode = popByte(m);
    switch (mode) {
        case kShiftLeft:
            for (int y = 0; y < kScreenHeight; ++y) shiftRowLeft(backBufferRow(m, y));
            break;
        case kShiftRight:
            for (int y = 0; y < kScreenHeight; ++y) shiftRowRight(backBufferRow(m, y));
            break;
        case kMirror:
            for (int y = 0; y < kScreenHeight; ++y) mirrorRow(m, backBufferRow(m, y));
            break;
        case kFlip: {
            std::array<uint8_t, kBitmapStride> swap;
            for (int y = 0; y < kScreenHeight / 2; ++y) {
                uint8_t* top = backBufferRow(m, y);
                uint8_t* bottom = backBufferRow(m, kScreenHeight - 1 - y);
                std::memcpy(swap.data(), top, kBitmapStride);
                std::memcpy(top, bottom, kBitmapStride);
                std::memcpy(bottom, swap.data(), kBitmapStride);
            }
            break;
        }
        default:
            break;  // other modes change nothing
    }
}

}  // namespace corvane

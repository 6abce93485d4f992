#pragma once
// Fixed regions of VmMemory that the machine itself uses.

#include <cstdint>

namespace corvane {

constexpr uint32_t kVmMemorySize = 0x10000;
constexpr uint16_t kGlyphStaging = 0x0180;  // 32 bytes
constexpr uint16_t kTextBuffer = 0x01C0;    // 156 bytes
constexpr uint16_t kTextBufferSize = 156;
constexpr uint16_t kLcdScreen = 0x18C0;  // 1,600 bytes
constexpr uint16_t kDataArea = 0x2000;   // 20,480 bytes
constexpr uint16_t kDataAreaSize = 0x5000;
constexpr uint16_t kStringArea = 0x7000;  // 768 bytes
constexpr uint16_t kStringAreaEnd = 0x7300;
constexpr uint16_t kOperandRing = 0x7600;  // 256 bytes
constexpr uint32_t kOperandRingSize = 256;
constexpr uint16_t kGraphicsBuffer = 0x79C0;  // 1,600 bytes
constexpr uint16_t kBitmapSize = 1600;
constexpr uint16_t kBitmapStride = 20;
constexpr int kScreenWidth = 160;
constexpr int kScreenHeight = 80;

constexpr uint32_t kImageBufferSize = 0x80000;  // 524,288 bytes
// Bytes the image buffer holds past the largest image (zero until an image lies there), so that
// a 24-bit code address at the very end of an image is read with one 32-bit load.
constexpr uint32_t kImageReadSlack = 1;

}  // namespace corvane

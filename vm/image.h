#pragma once
// Program images (.vrn): the header check, loading into the image buffer, and the machine reset.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace corvane {

struct Machine;

// Every image starts with a header: the magic "VRN" and the format version, then bytes the
// machine does not read. Code starts right after it.
constexpr uint32_t kImageHeaderSize = 16;
constexpr std::array<uint8_t, 3> kImageMagic = {'V', 'R', 'N'};
constexpr uint8_t kImageVersion = 0x12;
// Where the reserved bytes start, after magic and version; they run to the end of the header.
constexpr uint32_t kImageReservedStart = kImageMagic.size() + 1;

// The header as the assembler and the compiler write it: magic, version, and zeros.
constexpr std::array<uint8_t, kImageHeaderSize> kImageHeader = {kImageMagic[0], kImageMagic[1],
                                                                kImageMagic[2], kImageVersion};

enum class ImageStatus : uint8_t {
    Ok,
    CannotOpen,  // the file cannot be opened for reading
    Invalid,     // shorter than 16 bytes, or the magic and version are not "VRN" 0x12
    TooLarge,    // larger than the image buffer
};

// True when the image is at least a header long and starts with the magic and the version.
bool checkImageHeader(const uint8_t* bytes, size_t size);

// Checks a file's header without loading it. Paths here are host paths in UTF-8.
ImageStatus checkImageFile(const std::string& path);

// Reads a checked file whole into the image buffer (the caller closes a running program first).
ImageStatus readImageFile(Machine& m, const std::string& path);

// Puts an image held in memory into the image buffer, as readImageFile does with a file.
ImageStatus setImage(Machine& m, const uint8_t* bytes, size_t size);

// The machine reset run after every load and by the host's reset command.
void resetMachine(Machine& m);

}  // namespace corvane

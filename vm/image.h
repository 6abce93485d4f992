#pragma once
// Program images (.vrn): the header check, loading into the image buffer, and the machine reset.

#include <cstddef>
#include <cstdint>
#include <string>

namespace corvane {

struct Machine;

enum class ImageStatus : uint8_t {
    Ok,
    CannotOpen,  // the file cannot be opened for reading
    Invalid,     // shorter than 16 bytes, or the magic and version are not "VRN" 0x12
    TooLarge,    // larger than the image buffer
};

// True when the first 16 bytes are a valid header.
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

// Program images: the header check and the transfer of a file into the image buffer.

#include "vm/image.h"

#include <cstdio>
#include <cstring>

#include "shared/real_path.h"
#include "vm/machine.h"

namespace corvane {
namespace {

// Size of an open file, found by seeking to its end; -1 when it cannot be found.
long fileSize(std::FILE* f) {
    if (std::fseek(f, 0, SEEK_END) != 0) return -1;
    const long size = std::ftell(f);
    std::rewind(f);
    return size;
}

struct FileCloser {
    std::FILE* f;
    ~FileCloser() {
        if (f != nullptr) std::fclose(f);
    }
};

// Opens and checks a candidate file; on Ok, `size` holds its length and the stream stands at 0.
ImageStatus openChecked(const std::string& path, FileCloser& file, long& size) {
    file.f = openHostFile(path, "rb");
    if (file.f == nullptr) return ImageStatus::CannotOpen;
    uint8_t header[kImageHeaderSize];
    const size_t got = std::fread(header, 1, sizeof header, file.f);
    if (!checkImageHeader(header, got)) return ImageStatus::Invalid;
    size = fileSize(file.f);
    if (size < 0) return ImageStatus::CannotOpen;
    if (size > long(kImageBufferSize)) return ImageStatus::TooLarge;
    return ImageStatus::Ok;
}

// Clears what a previous, longer image left behind the new one.
void clearTail(Machine& m, uint32_t newSize) {
    if (m.imageSize > newSize) std::memset(&m.image[newSize], 0, m.imageSize - newSize);
}

}  // namespace

bool checkImageHeader(const uint8_t* bytes, size_t size) {
    return size >= kImageHeaderSize &&
           std::memcmp(bytes, kImageMagic.data(), kImageMagic.size()) == 0 &&
           bytes[kImageMagic.size()] == kImageVersion;
}

ImageStatus checkImageFile(const std::string& path) {
    FileCloser file{nullptr};
    long size = 0;
    return openChecked(path, file, size);
}

// A read that comes up short is not an error: the image is what could be read.
ImageStatus readImageFile(Machine& m, const std::string& path) {
    FileCloser file{nullptr};
    long size = 0;
    const ImageStatus status = openChecked(path, file, size);
    if (status != ImageStatus::Ok) return status;
    m.decoded.invalidate();
    const size_t got = std::fread(m.image.get(), 1, size_t(size), file.f);
    clearTail(m, uint32_t(got));
    m.imageSize = uint32_t(got);
    return ImageStatus::Ok;
}

ImageStatus setImage(Machine& m, const uint8_t* bytes, size_t size) {
    m.decoded.invalidate();
    if (!checkImageHeader(bytes, size)) return ImageStatus::Invalid;
    if (size > kImageBufferSize) return ImageStatus::TooLarge;
    std::memcpy(m.image.get(), bytes, size);
    clearTail(m, uint32_t(size));
    m.imageSize = uint32_t(size);
    return ImageStatus::Ok;
}

}  // namespace corvane

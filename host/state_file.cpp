#include "host/state_file.h"

#include <cstring>

namespace corvane {

void ByteSink::u16(uint32_t v) {
    u8(v);
    u8(v >> 8);
}

void ByteSink::u32(uint32_t v) {
    u16(v);
    u16(v >> 16);
}

void ByteSink::u64(uint64_t v) {
    u32(uint32_t(v));
    u32(uint32_t(v >> 32));
}

void ByteSink::text(std::string_view s) {
    if (s.size() > 0xFFFF) s = s.substr(0, 0xFFFF);
    u16(uint32_t(s.size()));
    raw(reinterpret_cast<const uint8_t*>(s.data()), s.size());
}

uint8_t ByteSource::u8() {
    if (pos_ >= bytes_.size()) {
        ok_ = false;
        return 0;
    }
    return bytes_[pos_++];
}

uint16_t ByteSource::u16() {
    const uint16_t lo = u8();
    return uint16_t(lo | (u8() << 8));
}

uint32_t ByteSource::u32() {
    const uint32_t lo = u16();
    return lo | (uint32_t(u16()) << 16);
}

uint64_t ByteSource::u64() {
    const uint64_t lo = u32();
    return lo | (uint64_t(u32()) << 32);
}

bool ByteSource::raw(uint8_t* out, size_t size) {
    if (bytes_.size() - pos_ < size) {
        ok_ = false;
        std::memset(out, 0, size);
        pos_ = bytes_.size();
        return false;
    }
    std::memcpy(out, bytes_.data() + pos_, size);
    pos_ += size;
    return true;
}

std::string ByteSource::text() {
    const uint16_t size = u16();
    std::string s(size, '\0');
    if (size != 0) raw(reinterpret_cast<uint8_t*>(s.data()), size);
    return ok_ ? s : std::string();
}

StateWriter::StateWriter() {
    ByteSink head;
    head.raw(reinterpret_cast<const uint8_t*>(kStateMagic), sizeof kStateMagic);
    head.u32(kStateVersion);
    file_ = head.bytes();
}

void StateWriter::section(std::string_view tag, const ByteSink& payload) {
    section(tag, payload.bytes().data(), payload.bytes().size());
}

void StateWriter::section(std::string_view tag, const uint8_t* payload, size_t size) {
    ByteSink head;
    for (size_t i = 0; i < 4; ++i) head.u8(i < tag.size() ? uint8_t(tag[i]) : ' ');
    head.u32(uint32_t(size));
    file_.insert(file_.end(), head.bytes().begin(), head.bytes().end());
    file_.insert(file_.end(), payload, payload + size);
}

const std::vector<uint8_t>* StateSections::find(std::string_view tag) const {
    auto it = sections.find(std::string(tag));
    return it == sections.end() ? nullptr : &it->second;
}

std::optional<StateSections> parseStateFile(const std::vector<uint8_t>& file) {
    constexpr size_t kHead = sizeof kStateMagic + 4;
    if (file.size() < kHead || std::memcmp(file.data(), kStateMagic, sizeof kStateMagic) != 0)
        return std::nullopt;
    StateSections out;
    ByteSource version(file);
    uint8_t skip[sizeof kStateMagic];
    version.raw(skip, sizeof skip);
    out.version = version.u32();
    size_t pos = kHead;
    while (pos < file.size()) {
        if (file.size() - pos < 8) return std::nullopt;
        const std::string tag(reinterpret_cast<const char*>(&file[pos]), 4);
        const uint32_t size = uint32_t(file[pos + 4]) | uint32_t(file[pos + 5]) << 8 |
                              uint32_t(file[pos + 6]) << 16 | uint32_t(file[pos + 7]) << 24;
        pos += 8;
        if (file.size() - pos < size) return std::nullopt;
        out.sections[tag].assign(file.begin() + long(pos), file.begin() + long(pos + size));
        pos += size;
    }
    return out;
}

}  // namespace corvane

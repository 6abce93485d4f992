#pragma once
// The container of a save state: a magic, a format version, then tagged sections (a four-letter
// tag, a 32-bit little-endian length, the payload). A reader skips the tags it does not know and
// gives the missing ones their defaults, so a later build reads the states of an earlier one.
// Values inside a payload are little-endian; texts are a 16-bit length and the bytes.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace corvane {

inline constexpr char kStateMagic[8] = {'C', 'O', 'R', 'V', 'S', 'A', 'V', 'E'};
constexpr uint32_t kStateVersion = 1;

// Builds one payload.
class ByteSink {
  public:
    void u8(uint32_t v) { bytes_.push_back(uint8_t(v)); }
    void u16(uint32_t v);
    void u32(uint32_t v);
    void u64(uint64_t v);
    void raw(const uint8_t* data, size_t size) { bytes_.insert(bytes_.end(), data, data + size); }
    void text(std::string_view s);  // at most 65,535 bytes; longer texts are cut
    const std::vector<uint8_t>& bytes() const { return bytes_; }

  private:
    std::vector<uint8_t> bytes_;
};

// Reads one payload. Reading past its end yields zeros and clears ok(), so a short or damaged
// section is noticed once, after all its fields were read.
class ByteSource {
  public:
    explicit ByteSource(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}
    uint8_t u8();
    uint16_t u16();
    uint32_t u32();
    uint64_t u64();
    bool raw(uint8_t* out, size_t size);
    std::string text();
    bool ok() const { return ok_; }
    bool atEnd() const { return pos_ == bytes_.size(); }

  private:
    const std::vector<uint8_t>& bytes_;
    size_t pos_ = 0;
    bool ok_ = true;
};

class StateWriter {
  public:
    StateWriter();
    // Room for `bytes` of sections, so that a large state is not copied as the file grows.
    void reserve(size_t bytes) { file_.reserve(file_.size() + bytes); }
    // `tag` is four ASCII letters.
    void section(std::string_view tag, const ByteSink& payload);
    void section(std::string_view tag, const uint8_t* payload, size_t size);
    // The whole file: magic, version, sections in the order they were added. A writer that is
    // done with hands its file over without a copy.
    std::vector<uint8_t> finish() const& { return file_; }
    std::vector<uint8_t> finish() && { return std::move(file_); }

  private:
    std::vector<uint8_t> file_;  // magic and version, then the sections
};

struct StateSections {
    uint32_t version = 0;
    std::map<std::string, std::vector<uint8_t>> sections;  // by tag; a repeated tag: the last

    const std::vector<uint8_t>* find(std::string_view tag) const;
};

// Splits a file into its sections; nothing when the magic is wrong or a section runs past the
// end. The version is returned as found: whether it can be read is the caller's decision.
std::optional<StateSections> parseStateFile(const std::vector<uint8_t>& file);

}  // namespace corvane

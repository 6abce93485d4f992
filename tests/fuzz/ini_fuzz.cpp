// The vorn.ini reader and writer on any file contents: reading the keys the simulator uses, then
// setting one and reading it back. A set value must read back as written, and every other key the
// simulator reads must keep its value.

#include <fuzzer/FuzzedDataProvider.h>
#include <strings.h>  // strcasecmp

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>

#include "fuzz_support.h"
#include "host/config.h"

namespace {

using namespace corvane;

struct Key {
    const char* section;
    const char* name;
};
constexpr Key kKeys[] = {
    {"ROM", "Directory"}, {"CPU", "Frequency"}, {"rom", "DIRECTORY"}, {"Other", "Key"}};

// A value the writer can store so that the reader gives it back: one line, no blanks at either
// end (the reader trims them) and not wrapped in quotes (the reader takes one pair off).
std::string storable(std::string value) {
    for (char& c : value) {
        if (c == '\n' || c == '\r' || c == '\0') c = '_';
    }
    while (!value.empty() && std::isspace(static_cast<unsigned char>(value.back())))
        value.pop_back();
    size_t start = 0;
    while (start < value.size() && std::isspace(static_cast<unsigned char>(value[start]))) ++start;
    value.erase(0, start);
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value.back() = '_';
    return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static fuzz::ScratchDir* dir = new fuzz::ScratchDir("ini");
    FuzzedDataProvider in(data, size);
    const Key& target = kKeys[in.ConsumeIntegralInRange<size_t>(0, std::size(kKeys) - 1)];
    const std::string value = storable(in.ConsumeRandomLengthString(64));
    const std::string contents = in.ConsumeRemainingBytesAsString();

    const std::filesystem::path path = dir->path() / "vorn.ini";
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(contents.data(), std::streamsize(contents.size()));
    }
    const ProfileFile ini(path);
    std::string before[std::size(kKeys)];
    for (size_t i = 0; i < std::size(kKeys); ++i)
        before[i] = ini.getString(kKeys[i].section, kKeys[i].name, "\x01missing");
    (void)ini.getUnsigned("CPU", "Frequency", 0);

    if (!ini.setString(target.section, target.name, value)) fuzz::fail("vorn.ini was not written");
    const std::string after = ini.getString(target.section, target.name, "\x01missing");
    if (after != value) fuzz::fail("a value set does not read back", value + " / " + after);
    for (size_t i = 0; i < std::size(kKeys); ++i) {
        const bool sameKey = strcasecmp(kKeys[i].section, target.section) == 0 &&
                             strcasecmp(kKeys[i].name, target.name) == 0;
        if (sameKey) continue;
        if (ini.getString(kKeys[i].section, kKeys[i].name, "\x01missing") != before[i])
            fuzz::fail("setting one key changed another", kKeys[i].name);
    }
    return 0;
}

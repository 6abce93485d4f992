// The assembler on any source text. What assembles must come back byte for byte when its
// disassembly is assembled again: the disassembler's listings are meant to be sources.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "fuzz_support.h"
#include "shared/disasm/disassembler.h"
#include "tools/vrnasm/assembler.h"

namespace {

using namespace corvane;

// The demos' own sources, read once, are what .include finds: the seeds are the demos, and they
// include each other. Nothing else is read from the disk.
std::map<std::string, std::string> demoSources() {
    std::map<std::string, std::string> files;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(CORVANE_SOURCE_DIR "/demos", ec)) {
        std::ifstream in(entry.path(), std::ios::binary);
        files[entry.path().filename().string()] = {std::istreambuf_iterator<char>(in), {}};
    }
    return files;
}

AsmOptions options() {
    AsmOptions o;
    // Macro sources that expand each other many times over stay cheap to reject.
    o.maxLines = 20'000;
    o.readFile = [files = demoSources()](const std::string& path) -> std::optional<std::string> {
        const auto it = files.find(std::filesystem::path(path).filename().string());
        if (it == files.end()) return std::nullopt;
        return it->second;
    };
    return o;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const AsmOptions opts = options();
    const std::string_view source(reinterpret_cast<const char*>(data), size);
    const AsmResult first = assemble(source, "fuzz.s", opts);
    if (!first.ok()) {
        if (!first.image.empty()) fuzz::fail("an assembly with errors produced an image");
        return 0;
    }
    const std::string listing = disassemble(first.image.data(), first.image.size());
    const AsmResult second = assemble(listing, "listing.s", opts);
    if (!second.ok())
        fuzz::fail("the disassembly of an image does not assemble",
                   second.errorText() + "\n--- listing\n" + listing);
    if (second.image != first.image)
        fuzz::fail("the disassembly assembles to other bytes", "--- listing\n" + listing);
    return 0;
}

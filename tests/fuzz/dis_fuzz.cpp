// The disassembler on any bytes after a valid magic: every instruction decodes within the image,
// the trace line of every address formats, and the listing assembles back to the same image.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "shared/disasm/disassembler.h"
#include "tools/vrnasm/assembler.h"

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> image = {'V', 'R', 'N', 0x12};
    image.insert(image.end(), data, data + size);
    if (image.size() < 16) image.resize(16, 0);

    // Decoding from every address, not only where the linear sweep starts instructions: the
    // runner's trace decodes wherever a jump lands.
    const uint8_t key = size > 0 ? data[0] : 0;
    for (uint32_t at = 16; at < image.size(); ++at) {
        const DecodedInstruction d = decodeInstruction(image.data(), image.size(), at, key);
        if (d.length == 0 || d.address != at || at + d.length > image.size())
            fuzz::fail("an instruction decoded outside the image", std::to_string(at));
        if (d.valid && d.mnemonic == nullptr) fuzz::fail("a valid instruction has no mnemonic");
        (void)formatInstruction(d);
    }

    const std::string listing = disassemble(image.data(), image.size());
    (void)disassemble(image.data(), image.size(), DisassemblyOptions{true});
    AsmOptions options;
    options.readFile = [](const std::string&) { return std::optional<std::string>(); };
    const AsmResult back = assemble(listing, "listing.s", options);
    if (!back.ok())
        fuzz::fail("a listing does not assemble", back.errorText() + "\n--- listing\n" + listing);
    if (back.image != image) fuzz::fail("a listing assembles to other bytes", listing);
    return 0;
}

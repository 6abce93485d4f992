#include "tools/vrndbg/memory_view.h"

#include <cstdio>
#include <cstdlib>

namespace corvane {

std::optional<int64_t> parseNumber(const std::string& text) {
    if (text.empty()) return std::nullopt;
    size_t i = 0;
    const bool negative = text[0] == '-';
    if (negative) ++i;
    int base = 10;
    if (text.size() > i + 1 && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= text.size() || text.size() - i > 10) return std::nullopt;
    char* end = nullptr;
    const long long v = std::strtoll(text.c_str() + i, &end, base);
    if (end != text.c_str() + text.size()) return std::nullopt;
    return negative ? -v : v;
}

std::string viewMemory(const std::vector<uint8_t>& snapshot, uint32_t addr, uint32_t count,
                       int width) {
    const uint64_t end = uint64_t(addr) + uint64_t(count) * uint64_t(width);
    if (addr < kSnapshotBase || end > kSnapshotBase + snapshot.size()) {
        char msg[96];
        std::snprintf(msg, sizeof msg, "outside the data area 0x%04X-0x%04zX\n", kSnapshotBase,
                      kSnapshotBase + snapshot.size() - 1);
        return msg;
    }
    const uint32_t perLine = 16 / uint32_t(width);
    std::string out;
    char item[32];
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t at = addr + i * uint32_t(width);
        if (i % perLine == 0) {
            if (i != 0) out += '\n';
            std::snprintf(item, sizeof item, "0x%04X:", at);
            out += item;
        }
        const uint8_t* p = &snapshot[at - kSnapshotBase];
        if (width == 1) {
            std::snprintf(item, sizeof item, " %02X", p[0]);
        } else if (width == 2) {
            std::snprintf(item, sizeof item, " %d", int(int16_t(p[0] | p[1] << 8)));
        } else {
            const uint32_t v =
                uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
            std::snprintf(item, sizeof item, " %d", int(int32_t(v)));
        }
        out += item;
    }
    if (count != 0) out += '\n';
    return out;
}

}  // namespace corvane

#include "host/source_map.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "shared/debuginfo/check_trap.h"
#include "shared/host_path.h"
#include "vm/machine.h"
#include "vm/memory_map.h"

namespace corvane {

namespace {
constexpr uint8_t kLineOpcode = 0x52;
}

bool debugInfoMatches(const DebugInfo& info, const uint8_t* image, uint32_t imageSize) {
    // A line marker with this value at this address.
    auto markerAt = [&](uint32_t address, uint32_t value) {
        if (address >= imageSize || imageSize - address < 4) return false;
        const uint8_t* p = image + address;
        return p[0] == kLineOpcode && (p[1] | uint32_t(p[2]) << 8 | uint32_t(p[3]) << 16) == value;
    };
    for (const DebugLine& l : info.lines)
        if (!markerAt(l.address, l.value)) return false;
    for (const DebugMark& k : info.marks)
        if (!markerAt(k.address, k.value)) return false;
    for (const DebugFunction& f : info.functions)
        if (f.start > f.end || f.end > imageSize) return false;
    return true;
}

std::optional<DebugInfo> loadDebugInfoFor(const std::string& imagePath, const uint8_t* image,
                                          uint32_t imageSize, std::string* problem) {
    const std::string path = debugInfoPath(imagePath);
    std::ifstream in(hostFsPath(path), std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    std::string error;
    std::optional<DebugInfo> info = readDebugInfo(text.str(), &error);
    if (!info) {
        if (problem) *problem = path + ": " + error;
        return std::nullopt;
    }
    if (!debugInfoMatches(*info, image, imageSize)) {
        if (problem) *problem = path + ": does not match the program image (rebuild with -g)";
        return std::nullopt;
    }
    return info;
}

std::optional<SourcePlace> sourcePlaceAt(const DebugInfo& info, uint32_t address) {
    const DebugFunction* f = info.functionAt(address);
    if (f == nullptr) return std::nullopt;
    // The last line marker or place at or before the address, inside the function.
    uint32_t bestAddress = 0, bestValue = 0;
    for (const DebugLine& l : info.lines) {
        if (l.address > address) break;
        if (l.address >= f->start) {
            bestAddress = l.address;
            bestValue = l.value;
        }
    }
    for (const DebugPlace& p : info.places) {
        if (p.address > address) break;
        if (p.address >= f->start && (bestValue == 0 || p.address > bestAddress)) {
            bestAddress = p.address;
            bestValue = p.value;
        }
    }
    SourcePlace place;
    place.function = f->name;
    if (bestValue != 0) {
        place.file = info.fileName(lineFile(bestValue));
        place.line = lineNumber(bestValue);
    } else {
        // Before the function's first statement: its opening line.
        place.file = info.fileName(f->file);
        place.line = f->line;
    }
    return place;
}

bool explainCheckTrap(Machine& m) {
    unsigned opcode = 0, at = 0;
    if (!m.faulted || std::sscanf(m.faultReason, "invalid opcode 0x%X at 0x%X", &opcode, &at) != 2)
        return false;
    if (opcode != kCheckTrapOpcode || at >= m.imageSize || m.image[at] != kCheckTrapOpcode)
        return false;
    const uint8_t top = uint8_t(m.osp - 4);
    uint32_t mark = 0;
    for (int b = 0; b < 4; ++b) mark |= uint32_t(m.mem[kOperandRing + uint8_t(top + b)]) << 8 * b;
    const std::optional<CheckTrap> trap = readCheckTrapMark(mark);
    if (!trap) return false;
    uint32_t pc = at;
    for (int d = 0; d < trap->depth; ++d) {
        const uint16_t frame = m.fp;
        pc = m.read16(frame) | uint32_t(m.read8(uint16_t(frame + 2))) << 16;
        m.sp = frame;
        m.fp = uint16_t(m.read16(uint16_t(frame + 3)));
        if (m.debug.functionDepth > 0)
            m.debug.currentFunction = m.debug.functionStack[--m.debug.functionDepth];
    }
    if (trap->depth > 0) pc -= 4;  // the return address follows the 4-byte CALL
    m.pc = pc;
    std::snprintf(m.faultReason, sizeof m.faultReason, "%s at 0x%06X", checkMessage(trap->check),
                  unsigned(pc));
    return true;
}

std::string describePlace(const SourcePlace& place) {
    return place.file + ":" + std::to_string(place.line) + " in " + place.function;
}

std::string faultMessageWithPlace(const std::string& reason, const DebugInfo* info) {
    if (info == nullptr) return reason;
    const size_t at = reason.find(" at 0x");
    if (at == std::string::npos) return reason;
    char* end = nullptr;
    const unsigned long address = std::strtoul(reason.c_str() + at + 6, &end, 16);
    if (end == reason.c_str() + at + 6) return reason;
    const std::optional<SourcePlace> place = sourcePlaceAt(*info, uint32_t(address));
    if (!place) return reason;
    return reason + " (" + describePlace(*place) + ")";
}

}  // namespace corvane

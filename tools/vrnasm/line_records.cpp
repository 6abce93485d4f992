#include "tools/vrnasm/line_records.h"

namespace corvane {

DebugInfo asmLineRecords(const AsmResult& result, const std::string& dir) {
    DebugInfo info;
    info.dir = dir;
    info.files = result.files;
    for (const AsmLineMark& mark : result.lineMarks) {
        // The marker's value as the image holds it, once every expression is known.
        const uint8_t* p = result.image.data() + mark.address;
        const uint32_t value = p[1] | uint32_t(p[2]) << 8 | uint32_t(p[3]) << 16;
        info.marks.push_back({mark.address, value, mark.file});
    }
    return info;
}

}  // namespace corvane

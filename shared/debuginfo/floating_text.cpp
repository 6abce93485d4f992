#include "shared/debuginfo/floating_text.h"

#include <cstdio>
#include <cstdlib>

#include "shared/bit_cast.h"

namespace corvane {

std::string floatingText(uint64_t bits, bool isDouble) {
    const double v = isDouble ? bitCast<double>(bits) : double(bitCast<float>(uint32_t(bits)));
    char text[40];
    // The fewest digits that read back as the same value: up to 17 for a double, 9 for a float.
    for (int digits = isDouble ? 15 : 6; digits <= (isDouble ? 17 : 9); ++digits) {
        std::snprintf(text, sizeof text, "%.*g", digits, v);
        const double back = std::strtod(text, nullptr);
        if (isDouble ? back == v : float(back) == float(v)) break;
    }
    return text;
}

}  // namespace corvane

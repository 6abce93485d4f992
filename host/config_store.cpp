#include "host/config_store.h"

#include <cctype>

namespace corvane {

uint32_t profileUnsigned(const std::string& value) {
    size_t at = 0;
    while (at < value.size() && std::isspace(static_cast<unsigned char>(value[at]))) ++at;
    uint64_t result = 0;
    for (; at < value.size(); ++at) {
        const char c = value[at];
        if (c < '0' || c > '9') break;
        result = result * 10 + uint64_t(c - '0');
        if (result > 0xFFFFFFFFu) return 0xFFFFFFFFu;
    }
    return uint32_t(result);
}

uint32_t ConfigStore::getUnsigned(const std::string& section, const std::string& key,
                                  uint32_t fallback) const {
    // A marker no real value can hold tells a missing key from an empty one.
    static const std::string kMissing("\x01missing");
    const std::string value = getString(section, key, kMissing);
    if (value == kMissing) return fallback;
    return profileUnsigned(value);
}

}  // namespace corvane

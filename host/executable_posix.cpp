#include <system_error>

#include "host/paths.h"

namespace corvane {

std::filesystem::path executablePath() {
    std::error_code ec;
    std::filesystem::path p = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return {};
    return p;
}

}  // namespace corvane

// The input-log reader on any text. Whatever the bytes, reading must end without a crash; a log
// it accepts must write back out as a log that reads the same (so nothing the reader let in is
// lost or changed on the way to a replay).

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "host/input_log.h"

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::string error;
    const std::optional<InputLog> log = readInputLog(text, error);
    if (!log) {
        if (error.empty()) std::abort();  // a refusal always says why
        return 0;
    }
    const std::string written = writeInputLog(*log);
    const std::optional<InputLog> again = readInputLog(written, error);
    if (!again || writeInputLog(*again) != written) std::abort();
    return 0;
}

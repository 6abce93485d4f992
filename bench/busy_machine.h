#pragma once
// A machine as the state benchmarks measure it: a loaded 64 KiB image to hash and memory full of
// varied bytes, so that neither encoding nor comparing finds long runs of equal bytes.

#include <cstdint>
#include <memory>

#include "vm/machine.h"

namespace corvane {

inline std::unique_ptr<Machine> busyMachine() {
    auto m = std::make_unique<Machine>();
    m->imageSize = 65536;
    for (uint32_t i = 0; i < m->imageSize; ++i) m->image[i] = uint8_t(i * 13);
    for (size_t i = 0; i < m->mem.size(); ++i) m->mem[i] = uint8_t(i * 7 + 1);
    m->rootDir = "/tmp/";
    m->currentDir = "/tmp/";
    m->programLoaded = true;
    return m;
}

}  // namespace corvane

#include "support/build_paths.h"

namespace corvane::test {

const char* sourceDir() {
    return CORVANE_SOURCE_DIR;
}
const char* binDir() {
    return CORVANE_BIN_DIR;
}

}  // namespace corvane::test

// The C compiler as the playground page calls it: one source file of the module's file system in,
// a program image and the diagnostics out. The page writes the source, compiles, and reads the
// image from the file system; the headers and the runtime library lie in /vrncc, the examples'
// shared headers in /examples (both loaded with the module).

#include <emscripten.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "tools/vrncc/compiler.h"

namespace {

constexpr const char* kLibraryDir = "/vrncc";
constexpr const char* kExampleDir = "/examples";

// The last compilation's diagnostics, kept for the page to read.
std::string lastDiagnostics;

}  // namespace

extern "C" {

// Compiles `source` into `image` (removed first, so a failed compilation leaves none). 1 when
// the image was written; the diagnostics, errors and warnings alike, from vrncc_diagnostics().
EMSCRIPTEN_KEEPALIVE int vrncc_compile(const char* source, const char* image) {
    std::remove(image);
    corvane::CcOptions options;
    options.libraryDir = kLibraryDir;
    options.includeDirs = {kExampleDir};
    const corvane::CcResult result = corvane::compileC({source}, options);
    lastDiagnostics = result.diagnostics;
    if (!result.ok()) return 0;
    std::ofstream out(image, std::ios::binary);
    out.write(reinterpret_cast<const char*>(result.image.data()),
              std::streamsize(result.image.size()));
    out.close();
    if (!out) {
        lastDiagnostics += std::string("vrncc: error: cannot write ") + image + "\n";
        return 0;
    }
    return 1;
}

EMSCRIPTEN_KEEPALIVE const char* vrncc_diagnostics() {
    return lastDiagnostics.c_str();
}

}  // extern "C"

// The C compiler as the playground page calls it: one source file of the module's file system in,
// a program image and the diagnostics out. The page writes the source, compiles, and reads the
// image from the file system; the headers and the runtime library lie in /vrncc, the examples'
// shared headers in /examples (both loaded with the module).

#include <emscripten.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "shared/debuginfo/debug_info.h"
#include "tools/vrncc/compiler.h"

namespace {

constexpr const char* kLibraryDir = "/vrncc";
constexpr const char* kExampleDir = "/examples";

// The last compilation's diagnostics, kept for the page to read.
std::string lastDiagnostics;

}  // namespace

extern "C" {

// Compiles `source` into `image` (removed first, with its debug information, so a failed
// compilation leaves neither). `checked`: as `vrncc -g`, the checked mode with the debug
// information beside the image (IMAGE.dbg), so a failed check names its source line. 1 when the
// image was written; the diagnostics, errors and warnings alike, from vrncc_diagnostics().
EMSCRIPTEN_KEEPALIVE int vrncc_compile(const char* source, const char* image, int checked) {
    const std::string debugFile = corvane::debugInfoPath(image);
    std::remove(image);
    std::remove(debugFile.c_str());
    corvane::CcOptions options;
    options.libraryDir = kLibraryDir;
    options.includeDirs = {kExampleDir};
    options.debug = checked != 0;
    options.check = checked != 0;
    const corvane::CcResult result = corvane::compileC({source}, options);
    lastDiagnostics = result.diagnostics;
    if (!result.ok()) return 0;
    const auto write = [](const std::string& path, const char* bytes, size_t size) {
        std::ofstream out(path, std::ios::binary);
        out.write(bytes, std::streamsize(size));
        out.close();
        if (!out) lastDiagnostics += "vrncc: error: cannot write " + path + "\n";
        return bool(out);
    };
    if (!write(image, reinterpret_cast<const char*>(result.image.data()), result.image.size()))
        return 0;
    if (options.debug && !write(debugFile, result.debugInfo.data(), result.debugInfo.size()))
        return 0;
    return 1;
}

EMSCRIPTEN_KEEPALIVE const char* vrncc_diagnostics() {
    return lastDiagnostics.c_str();
}

}  // extern "C"

#include "tools/vrncc/compiler.h"

#include <algorithm>
#include <filesystem>

#include "tools/vrncc/codegen.h"
#include "tools/vrncc/parser.h"
#include "tools/vrncc/preprocessor.h"

#ifndef VRNCC_LIBRARY_DIR
#define VRNCC_LIBRARY_DIR ""
#endif

namespace corvane {

namespace fs = std::filesystem;

std::string defaultCcLibraryDir() {
    std::error_code ec;
    // Installed: <prefix>/share/corvane/vrncc beside <prefix>/bin.
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        fs::path installed = exe.parent_path().parent_path() / "share" / "corvane" / "vrncc";
        if (fs::is_directory(installed / "include", ec)) return installed.string();
    }
    return VRNCC_LIBRARY_DIR;
}

CcResult compileC(const std::vector<std::string>& sources, const CcOptions& options) {
    using namespace cc;
    Diagnostics diag;
    Program prog;
    const std::string lib = options.libraryDir.empty() ? defaultCcLibraryDir() : options.libraryDir;
    PreprocessOptions po;
    po.includeDirs = options.includeDirs;
    po.systemDirs = {(fs::path(lib) / "include").string()};
    po.defines = options.defines;
    po.readFile = options.readFile;
    std::vector<std::string> files = sources;
    if (options.runtime) {
        std::error_code ec;
        std::vector<std::string> runtime;
        for (const auto& e : fs::directory_iterator(fs::path(lib) / "runtime", ec))
            if (e.path().extension() == ".c") runtime.push_back(e.path().string());
        std::sort(runtime.begin(), runtime.end());
        files.insert(files.end(), runtime.begin(), runtime.end());
    }
    int fileId = 0;
    for (const std::string& f : files) {
        std::vector<Token> toks = preprocess(f, po, diag);
        if (diag.tooMany()) break;
        Parser parser(prog, diag, std::move(toks), ++fileId);
        parser.translationUnit();
    }
    CcResult r;
    if (diag.errorCount() == 0) r.image = generate(prog, diag);
    if (diag.errorCount() != 0) r.image.clear();
    r.diagnostics = diag.text();
    return r;
}

}  // namespace corvane

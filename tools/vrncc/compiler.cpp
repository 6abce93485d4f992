#include "tools/vrncc/compiler.h"

#include <algorithm>
#include <filesystem>
#include <iterator>

#include "library/path.h"
#include "shared/process.h"
#include "tools/vrncc/codegen.h"
#include "tools/vrncc/debug_record.h"
#include "tools/vrncc/parser.h"
#include "tools/vrncc/preprocessor.h"

#ifndef VRNCC_LIBRARY_DIR
#define VRNCC_LIBRARY_DIR ""
#endif

namespace corvane {

namespace fs = std::filesystem;

std::string defaultCcLibraryDir() {
    std::error_code ec;
    const fs::path exeDir = executablePath().parent_path();
    if (!exeDir.empty()) {
        // Installed: <prefix>/share/corvane/vrncc beside <prefix>/bin.
        fs::path installed = exeDir.parent_path() / "share" / "corvane" / "vrncc";
        if (fs::is_directory(installed / "include", ec)) return hostPathText(installed);
        // A portable copy (the Windows download): vrncc/ beside the executable.
        fs::path beside = exeDir / "vrncc";
        if (fs::is_directory(beside / "include", ec)) return hostPathText(beside);
    }
    return VRNCC_LIBRARY_DIR;
}

namespace {

bool isInsideFolder(const std::string& file, const std::string& folder) {
    const fs::path f = hostFsPath(file).lexically_normal(),
                   d = hostFsPath(folder).lexically_normal();
    // Whole path parts, whichever separators the two were written with; a trailing separator
    // of the folder is an empty last part.
    auto [di, fi] = std::mismatch(d.begin(), d.end(), f.begin(), f.end());
    if (di != d.end() && !(di->empty() && std::next(di) == d.end())) return false;
    return fi != f.end();
}

// The C files of the runtime library: those of each folder below the library folder, each
// folder's in name order, the folders in the order given.
std::vector<std::string> runtimeSources(const std::string& lib,
                                        const std::vector<std::string>& folders) {
    std::vector<std::string> all;
    for (const std::string& folder : folders) {
        std::error_code ec;
        std::vector<std::string> files;
        for (const auto& e : fs::directory_iterator(hostFsPath(lib) / folder, ec))
            if (e.path().extension() == ".c") files.push_back(hostPathText(e.path()));
        std::sort(files.begin(), files.end());
        all.insert(all.end(), files.begin(), files.end());
    }
    return all;
}

}  // namespace

CcResult compileC(const std::vector<std::string>& sources, const CcOptions& options) {
    using namespace cc;
    Diagnostics diag;
    Program prog;
    const std::string lib = options.libraryDir.empty() ? defaultCcLibraryDir() : options.libraryDir;
    diag.setWarnings(
        {options.warnAll, options.warnExtra, options.warningsAsErrors, options.noWarnings});
    // Warnings are for the program: the shipped headers and runtime library show none.
    diag.setSystemFiles([lib](const std::string& path) { return isInsideFolder(path, lib); });
    PreprocessOptions po;
    po.includeDirs = options.includeDirs;
    po.systemDirs = {hostPathText(hostFsPath(lib) / "include")};
    po.defines = options.defines;
    // The runtime library builds its checked heap under this name.
    if (options.check) po.defines.emplace_back("__VRNCC_CHECK__", "1");
    po.readFile = options.readFile;
    std::vector<std::string> files = sources;
    if (options.runtime) {
        const std::vector<std::string> runtime = runtimeSources(lib, {"runtime", "libm"});
        files.insert(files.end(), runtime.begin(), runtime.end());
    }
    int fileId = 0;
    for (const std::string& f : files) {
        // The runtime's floating-point code (its helpers, printf's %f %e %g) is compiled only
        // for a program that has an expression of a floating type: every other program keeps
        // the image it had before floating point existed, to the byte, and compiles as fast.
        if (size_t(fileId) == sources.size() && prog.usesFloating)
            po.defines.emplace_back("__VRNCC_FLOAT__", "1");
        std::vector<Token> toks = preprocess(f, po, diag);
        if (diag.tooMany()) break;
        const bool library = size_t(fileId) >= sources.size();
        Parser parser(prog, diag, std::move(toks), ++fileId, library);
        parser.translationUnit();
    }
    CcResult r;
    // The shipped headers and runtime carry no line markers: stepping stays in the program.
    DebugRecorder recorder([lib](const std::string& path) { return !isInsideFolder(path, lib); });
    DebugRecorder* debug = options.debug ? &recorder : nullptr;
    if (diag.errorCount() == 0) r.image = generate(prog, diag, Layout{}, debug, options.check);
    if (diag.errorCount() != 0) r.image.clear();
    if (debug && !r.image.empty()) r.debugInfo = writeDebugInfo(recorder.info());
    r.diagnostics = diag.text();
    return r;
}

}  // namespace corvane

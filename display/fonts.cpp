// Reading the font data file: four glyph tables stored back to back, no header.

#include "display/fonts.h"

#include <cstdio>
#include <filesystem>
#include <memory>

#include "shared/host_path.h"
#include "shared/real_path.h"

namespace corvane {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

bool loadFontFile(const std::string& path, FontTables& fonts) {
    // Some systems open a directory for reading; it is no font file.
    std::error_code error;
    if (std::filesystem::is_directory(hostFsPath(path), error)) return false;
    std::unique_ptr<std::FILE, FileCloser> file(openHostFile(path, "rb"));
    if (!file) return false;

    // Whatever a short file does not cover stays zero and draws as blank cells, so start clean
    // even when the tables held an earlier file.
    fonts = FontTables{};

    uint8_t* const tables[] = {fonts.smallAscii.data(), fonts.largeAscii.data(),
                               fonts.smallHanzi.data(), fonts.largeHanzi.data()};
    const size_t sizes[] = {fonts.smallAscii.size(), fonts.largeAscii.size(),
                            fonts.smallHanzi.size(), fonts.largeHanzi.size()};
    size_t total = 0;
    for (size_t i = 0; i < 4; ++i) {
        const size_t got = std::fread(tables[i], 1, sizes[i], file.get());
        total += got;
        if (got < sizes[i]) break;  // end of file: later tables keep their zeros
    }

    // A file that cannot be read at all counts as one that cannot be opened; an empty file is
    // a (blank) font file.
    return total > 0 || !std::ferror(file.get());
}

}  // namespace corvane

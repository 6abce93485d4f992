// Reading the font data file: four glyph tables stored back to back, no header.

#include "display/fonts.h"

#include <cstdio>
#include <memory>

namespace corvane {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

bool loadFontFile(const std::string& path, FontTables& fonts) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
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

    // Opening a directory succeeds on some systems but no byte can be read from it; that is no
    // font file, so report it as one that cannot be opened. An empty file is a (blank) font file.
    if (total == 0 && std::ferror(file.get())) return false;
    return true;
}

}  // namespace corvane

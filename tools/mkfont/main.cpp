// mkfont: writes the font data file duzezi.dat from free fonts, or draws a preview of one.
//
//   mkfont [--out FILE] [--small-ascii FONT] [--large-ascii FONT]
//          [--small-hanzi FONT] [--large-hanzi FONT] [--verbose]
//   mkfont --preview FONTFILE PICTURE.png [--scale N] TEXT...

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "display/fonts.h"
#include "gb2312_cells.h"
#include "preview.h"
#include "tables.h"

#ifndef CORVANE_VERSION
#define CORVANE_VERSION "0"
#endif

namespace fs = std::filesystem;
using namespace corvane;
using namespace corvane::mkfont;

namespace {

struct SourceFont {
    const char* option;
    std::string path;
    const char* package;  // the Debian package that installs the default file
};

const char* kUsage =
    "usage: mkfont [--out FILE] [--small-ascii FONT] [--large-ascii FONT]\n"
    "              [--small-hanzi FONT] [--large-hanzi FONT] [--verbose]\n"
    "       mkfont --preview FONTFILE PICTURE.png [--scale N] TEXT...\n"
    "Renders free fonts into the font data file (default duzezi.dat), or draws TEXT with the\n"
    "fonts of a font data file into a picture.\n"
    "  --help, --version\n";

int usage() {
    std::fputs(kUsage, stderr);
    return 2;
}

// Writes through a temporary file, so an interrupted build never leaves a short font file that
// looks up to date.
bool writeFile(const std::string& path, const FontTables& tables) {
    const std::string temp = path + ".tmp";
    std::FILE* file = std::fopen(temp.c_str(), "wb");
    if (!file) return false;
    bool ok = std::fwrite(tables.smallAscii.data(), tables.smallAscii.size(), 1, file) == 1 &&
              std::fwrite(tables.largeAscii.data(), tables.largeAscii.size(), 1, file) == 1 &&
              std::fwrite(tables.smallHanzi.data(), tables.smallHanzi.size(), 1, file) == 1 &&
              std::fwrite(tables.largeHanzi.data(), tables.largeHanzi.size(), 1, file) == 1;
    ok = std::fclose(file) == 0 && ok;
    std::error_code ec;
    if (ok) fs::rename(temp, path, ec);
    if (!ok || ec) {
        fs::remove(temp, ec);
        return false;
    }
    return true;
}

void printReport(const TableReport& report, bool verbose) {
    if (verbose)
        std::printf("mkfont: %s: %d of %d characters drawn, %d moved into the cell, %d cut\n",
                    report.name.c_str(), report.drawn, report.characters, report.moved, report.cut);
    if (report.missing.empty()) return;
    std::fprintf(stderr,
                 "mkfont: warning: %s font has no glyph for %zu characters:", report.name.c_str(),
                 report.missing.size());
    for (char32_t cp : report.missing) std::fprintf(stderr, " U+%04X", static_cast<unsigned>(cp));
    std::fprintf(stderr, "\n");
}

int preview(int argc, char** argv) {
    int next = 4;
    int scale = 4;
    if (argc > next + 1 && std::strcmp(argv[next], "--scale") == 0) {
        scale = std::atoi(argv[next + 1]);
        next += 2;
    }
    if (argc <= next || scale < 1 || scale > 32) return usage();
    std::vector<std::string> lines;
    for (int i = next; i < argc; ++i) lines.push_back(utf8ToGb2312(argv[i]));
    static FontTables tables;
    if (!loadFontFile(argv[2], tables)) {
        std::fprintf(stderr, "mkfont: cannot open %s\n", argv[2]);
        return 1;
    }
    if (!writePreview(tables, lines, scale, argv[3])) {
        std::fprintf(stderr, "mkfont: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("mkfont %s\n", CORVANE_VERSION);
        return 0;
    }
    if (argc >= 2 && std::strcmp(argv[1], "--preview") == 0) return preview(argc, argv);

    std::string out = "duzezi.dat";
    bool verbose = false;
    SourceFont fonts[] = {
        {"--small-ascii", "/usr/share/fonts/X11/misc/6x12.pcf.gz", "xfonts-base"},
        {"--large-ascii", "/usr/share/fonts/opentype/unifont/unifont.otf",
         "fonts-unifont (installed with unifont)"},
        {"--small-hanzi", "/usr/share/fonts/X11/misc/wenquanyi_9pt.pcf", "xfonts-wqy"},
        {"--large-hanzi", "/usr/share/fonts/opentype/unifont/unifont.otf",
         "fonts-unifont (installed with unifont)"},
    };
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--verbose") == 0) {
            verbose = true;
            continue;
        }
        if (i + 1 >= argc) return usage();
        if (std::strcmp(arg, "--out") == 0) {
            out = argv[++i];
            continue;
        }
        bool known = false;
        for (SourceFont& font : fonts) {
            if (std::strcmp(arg, font.option) == 0) {
                font.path = argv[++i];
                font.package = nullptr;  // a file of the user's choice: no package to name
                known = true;
            }
        }
        if (!known) return usage();
    }

    for (const SourceFont& font : fonts) {
        if (fs::is_regular_file(font.path)) continue;
        if (font.package)
            std::fprintf(stderr, "mkfont: %s not found; install the Debian package %s\n",
                         font.path.c_str(), font.package);
        else
            std::fprintf(stderr, "mkfont: %s not found\n", font.path.c_str());
        return 1;
    }

    static FontTables tables;  // 420 KiB: kept off the stack
    std::vector<TableReport> reports;
    std::string error;
    const FontSources sources{fonts[0].path, fonts[1].path, fonts[2].path, fonts[3].path};
    if (!buildFontTables(sources, tables, reports, error)) {
        std::fprintf(stderr, "mkfont: %s\n", error.c_str());
        return 1;
    }
    for (const TableReport& report : reports) printReport(report, verbose);
    if (!writeFile(out, tables)) {
        std::fprintf(stderr, "mkfont: cannot write %s\n", out.c_str());
        return 1;
    }
    return 0;
}

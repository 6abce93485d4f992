// vrndis: lists a program image as assembler source.
//
//   vrndis IMAGE.vrn [-o OUT.s] [--bytes]

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "library/path.h"
#include "shared/disasm/disassembler.h"
#include "shared/process.h"
#include "tools/common/output_file.h"
#include "vm/image.h"

#ifndef CORVANE_VERSION
#define CORVANE_VERSION "0"
#endif

namespace {

void usageTo(std::FILE* to) {
    std::fprintf(to,
                 "usage: vrndis IMAGE.vrn [-o OUT.s] [--bytes]\n"
                 "  -o OUT    write the listing to OUT instead of standard output\n"
                 "  --bytes   show each instruction's bytes beside its address\n"
                 "  --help, --version\n");
}

int usage() {
    usageTo(stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    corvane::Utf8Arguments utf8(argc, argv);
    argc = utf8.count();
    argv = utf8.values();
    std::string input, output;
    corvane::DisassemblyOptions options;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "-h" || arg == "--help") {
            usageTo(stdout);
            return 0;
        } else if (arg == "--version") {
            std::printf("%s %s\n", "vrndis", CORVANE_VERSION);
            return 0;
        } else if (arg == "--bytes") {
            options.showBytes = true;
        } else if (arg == "-o") {
            if (i + 1 >= argc) return usage();
            output = argv[++i];
        } else if (arg.size() > 1 && arg[0] == '-') {
            std::fprintf(stderr, "vrndis: unknown option %s\n", arg.c_str());
            return usage();
        } else if (input.empty()) {
            input = arg;
        } else {
            return usage();
        }
    }
    if (input.empty()) return usage();

    std::ifstream in(corvane::hostFsPath(input), std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "vrndis: cannot open %s\n", input.c_str());
        return 1;
    }
    std::vector<uint8_t> image((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
    if (!corvane::checkImageHeader(image.data(), image.size())) {
        std::fprintf(stderr, "vrndis: %s is not a program image (no \"%.3s\" 0x%02X header)\n",
                     input.c_str(), reinterpret_cast<const char*>(corvane::kImageMagic.data()),
                     unsigned(corvane::kImageVersion));
        return 1;
    }
    std::string listing = corvane::disassemble(image.data(), image.size(), options);
    if (output.empty()) {
        std::fwrite(listing.data(), 1, listing.size(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    if (!corvane::writeOutputFile(output, listing)) {
        std::fprintf(stderr, "vrndis: cannot write %s\n", output.c_str());
        return 1;
    }
    return 0;
}

// Names that a Windows file system would take somewhere else than the component check of
// resolveProgramPath sees: drives, network and device namespaces, the reserved device names,
// alternate data streams, and the trailing dots and spaces that Windows drops from a name.

#include <array>
#include <string_view>

#include "library/path.h"

namespace corvane {
namespace {

char asciiUpper(char c) {
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

bool equalsUpper(std::string_view name, std::string_view upper) {
    if (name.size() != upper.size()) return false;
    for (size_t i = 0; i < name.size(); ++i) {
        if (asciiUpper(name[i]) != upper[i]) return false;
    }
    return true;
}

// CON, NUL, COM1 and the others name a device in every folder, with any extension ("con.txt")
// and with spaces before it ("nul .txt"), in any letter case.
bool isReservedDeviceName(std::string_view component) {
    std::string_view base = component.substr(0, component.find('.'));
    while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
    static constexpr std::array<std::string_view, 6> kPlain = {"CON", "PRN",    "AUX",
                                                               "NUL", "CONIN$", "CONOUT$"};
    for (std::string_view reserved : kPlain) {
        if (equalsUpper(base, reserved)) return true;
    }
    if (base.size() == 4 && base[3] >= '1' && base[3] <= '9') {
        const std::string_view stem = base.substr(0, 3);
        return equalsUpper(stem, "COM") || equalsUpper(stem, "LPT");
    }
    return false;
}

// One component between separators; "." and ".." are resolved by the component check.
bool componentFitsWindows(std::string_view component) {
    if (component.empty() || component == "." || component == "..") return true;
    for (char c : component) {
        const unsigned char u = static_cast<unsigned char>(c);
        // ':' is a drive ("C:x") or a stream ("name:stream"); the others are wildcards,
        // redirections or control characters that no Windows file name holds.
        if (u < 0x20 || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' || c == '>' ||
            c == '|') {
            return false;
        }
    }
    // Windows drops trailing dots and spaces: "a." would open "a", "... " the folder itself.
    if (component.back() == '.' || component.back() == ' ') return false;
    return !isReservedDeviceName(component);
}

}  // namespace

bool fitsWindowsNames(std::string_view name) {
    // "//server/share", "//?/" and "//./" leave the drive for the network or the device
    // namespace; a single leading separator is the program's root.
    if (name.size() >= 2 && name[0] == '/' && name[1] == '/') return false;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find('/', start);
        if (end == std::string_view::npos) end = name.size();
        if (!componentFitsWindows(name.substr(start, end - start))) return false;
        start = end + 1;
    }
    return true;
}

}  // namespace corvane

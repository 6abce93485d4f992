#include "tools/vrndbg/command_line_win32.h"

#include <windows.h>

namespace corvane {

std::wstring widenUtf8(const std::string& s) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), int(s.size()), nullptr, 0);
    std::wstring out(size_t(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(CP_UTF8, 0, s.data(), int(s.size()), out.data(), n);
    return out;
}

namespace {

// Quoted when it is empty or has blanks or quotes; a quote is escaped by a backslash, and
// backslashes are doubled only where a quote follows them.
void appendQuoted(std::wstring& line, const std::wstring& arg) {
    if (!line.empty()) line += L' ';
    if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) {
        line += arg;
        return;
    }
    line += L'"';
    size_t slashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++slashes;
            continue;
        }
        line.append(c == L'"' ? slashes * 2 + 1 : slashes, L'\\');
        slashes = 0;
        line += c;
    }
    line.append(slashes * 2, L'\\');
    line += L'"';
}

}  // namespace

std::wstring windowsCommandLine(const std::string& program, const std::vector<std::string>& args,
                                bool wholeLine) {
    std::wstring line;
    appendQuoted(line, widenUtf8(program));
    for (const std::string& a : args) {
        if (wholeLine)
            line += L' ' + widenUtf8(a);
        else
            appendQuoted(line, widenUtf8(a));
    }
    return line;
}

}  // namespace corvane

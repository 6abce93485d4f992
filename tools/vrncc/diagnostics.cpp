#include "tools/vrncc/diagnostics.h"

namespace corvane::cc {

std::string SourceFile::line(int n) const {
    n -= lineShift;
    if (n < 1 || size_t(n) > lineStarts.size()) return {};
    const size_t start = lineStarts[size_t(n) - 1];
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    if (end > start && text[end - 1] == '\r') --end;
    return text.substr(start, end - start);
}

const SourceFile* Diagnostics::addFile(const std::string& path, std::string text, int lineShift) {
    auto f = std::make_unique<SourceFile>();
    f->path = path;
    f->text = std::move(text);
    f->system = isSystem_ && isSystem_(path);
    f->lineShift = lineShift;
    f->lineStarts.push_back(0);
    for (size_t i = 0; i < f->text.size(); ++i)
        if (f->text[i] == '\n' && i + 1 < f->text.size()) f->lineStarts.push_back(i + 1);
    files_.push_back(std::move(f));
    return files_.back().get();
}

void Diagnostics::report(const Loc& loc, const char* kind, const std::string& message) {
    if (!loc.file) {
        text_ += std::string("vrncc: ") + kind + ": " + message + "\n";
        return;
    }
    text_ += loc.file->path + ":" + std::to_string(loc.line) + ":" + std::to_string(loc.column) +
             ": " + kind + ": " + message + "\n";
    const std::string src = loc.file->line(loc.line);
    text_ += src + "\n";
    // The caret keeps the tabs of the line so it stands under the column in any tab width.
    std::string caret;
    for (int i = 1; i < loc.column && size_t(i) <= src.size(); ++i)
        caret += src[size_t(i) - 1] == '\t' ? '\t' : ' ';
    text_ += caret + "^\n";
}

void Diagnostics::error(const Loc& loc, const std::string& message) {
    ++errors_;
    if (errors_ <= kMaxErrors) report(loc, "error", message);
    if (errors_ == kMaxErrors) text_ += "vrncc: too many errors; giving up\n";
}

void Diagnostics::warning(const Loc& loc, const std::string& message, Warn group,
                          const char* flag) {
    if (warnings_.none || (loc.file && loc.file->system)) return;
    if ((group == Warn::All && !warnings_.all) || (group == Warn::Extra && !warnings_.extra))
        return;
    const std::string text = flag ? message + " [-W" + flag + "]" : message;
    if (warnings_.asErrors) {
        ++promoted_;
        error(loc, text + " [-Werror]");
    } else {
        report(loc, "warning", text);
    }
}

void Diagnostics::error(const std::string& message) {
    ++errors_;
    report(Loc{}, "error", message);
}

}  // namespace corvane::cc

#pragma once
// Source files held in memory and the diagnostics that point into them: "file:line:column:",
// the source line and a caret under the column.

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace corvane::cc {

struct SourceFile {
    std::string path;
    std::string text;
    std::vector<size_t> lineStarts;  // offset of each line's first byte
    std::string line(int n) const;   // line n (1-based) without its end of line
};

struct Loc {
    const SourceFile* file = nullptr;
    int line = 0;
    int column = 0;
};

// Thrown to abandon the construct being read; the reader resynchronises and carries on.
struct CompileError {};

class Diagnostics {
  public:
    const SourceFile* addFile(const std::string& path, std::string text);
    void error(const Loc& loc, const std::string& message);
    void warning(const Loc& loc, const std::string& message);
    // An error with no place in the source (a missing file, a program that does not fit).
    void error(const std::string& message);

    int errorCount() const { return errors_; }
    bool tooMany() const { return errors_ >= kMaxErrors; }
    const std::string& text() const { return text_; }

    static constexpr int kMaxErrors = 25;

  private:
    void report(const Loc& loc, const char* kind, const std::string& message);
    std::vector<std::unique_ptr<SourceFile>> files_;
    std::string text_;
    int errors_ = 0;
};

}  // namespace corvane::cc

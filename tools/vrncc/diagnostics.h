#pragma once
// Source files held in memory and the diagnostics that point into them: "file:line:column:",
// the source line and a caret under the column.

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace corvane::cc {

struct SourceFile {
    std::string path;
    bool system = false;  // a shipped header or the runtime library: its warnings are not shown
    int lineShift = 0;    // after #line: line n of the messages is line n - lineShift of text
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

// The option that turns a warning on: always (unless -w), -Wall (on by default) or -Wextra.
enum class Warn { Always, All, Extra };

struct WarningOptions {
    bool all = true;        // -Wall, on unless -Wno-all
    bool extra = false;     // -Wextra
    bool asErrors = false;  // -Werror
    bool none = false;      // -w
};

class Diagnostics {
  public:
    const SourceFile* addFile(const std::string& path, std::string text, int lineShift = 0);
    void error(const Loc& loc, const std::string& message);
    // A warning of `group`, shown as "[-W<flag>]" after the message when a flag is given.
    void warning(const Loc& loc, const std::string& message, Warn group = Warn::Always,
                 const char* flag = nullptr);
    void setWarnings(const WarningOptions& w) { warnings_ = w; }
    // Files for which `isSystem` holds are marked system files when they are added.
    void setSystemFiles(std::function<bool(const std::string&)> isSystem) {
        isSystem_ = std::move(isSystem);
    }
    // An error with no place in the source (a missing file, a program that does not fit).
    void error(const std::string& message);

    int errorCount() const { return errors_; }
    // The errors that are not warnings made errors by -Werror: what the parser had to skip.
    int mistakeCount() const { return errors_ - promoted_; }
    bool tooMany() const { return errors_ >= kMaxErrors; }
    const std::string& text() const { return text_; }

    static constexpr int kMaxErrors = 25;

  private:
    void report(const Loc& loc, const char* kind, const std::string& message);
    std::vector<std::unique_ptr<SourceFile>> files_;
    std::string text_;
    int errors_ = 0;
    int promoted_ = 0;  // warnings reported as errors
    WarningOptions warnings_;
    std::function<bool(const std::string&)> isSystem_;
};

}  // namespace corvane::cc

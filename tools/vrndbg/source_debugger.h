#pragma once
// The source level of vrndbg, for an image compiled with `vrncc -g`: the source line at each
// stop, breakpoints on lines and functions, step, next, finish, print, bt and info locals.
//
// A stop carries only a line value, the function identifier and fp with the data area, and a
// resume request only a stop value. So each command picks the stop value that brings the
// program nearest to where it should stop, and the stops on the way that are not the one the
// user asked for (a deeper frame during next, another breakpoint's line) are resumed at once.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "shared/debuginfo/debug_info.h"
#include "tools/vrndbg/source_values.h"

namespace corvane {

class SourceDebugger {
  public:
    // `baseDir`: the folder of the debug-information file, where sources are also looked for.
    SourceDebugger(DebugInfo info, std::string baseDir);

    // A stop arrived. Returns the stop value to resume with at once when it is not a stop to
    // show; otherwise `out` receives what the stop shows.
    std::optional<int32_t> stop(uint32_t line, uint32_t dataWord,
                                const std::vector<uint8_t>& snapshot, std::string& out);

    // A command line. False when it is none of the source commands (the caller's own then).
    // `stopped`: whether the program is at a stop. `resume`: set when the program goes on.
    bool command(const std::string& line, bool stopped, std::string& out,
                 std::optional<int32_t>& resume);

    static const char* help();

  private:
    enum class Mode { None, Continue, Step, Next, Finish };

    std::string where(const Frame& f, bool withArgs);
    std::string sourceLine(uint32_t value);
    const std::vector<std::string>* sourceOf(int file);
    std::optional<uint32_t> resolve(const std::string& place, std::string& error);
    int32_t continueValue() const;
    bool leavesFunction(uint32_t value, const DebugFunction* f) const;
    bool isBreakpoint(uint32_t value) const;

    DebugInfo info_;
    std::string baseDir_;
    std::map<int, std::vector<std::string>> sources_;
    std::map<int, std::string> missing_;   // files that could not be read: said once
    std::map<int, uint32_t> breakpoints_;  // number -> line value
    int nextBreakpoint_ = 1;

    // The stop being shown.
    std::vector<uint8_t> snapshot_;
    StopState stop_;
    std::vector<Frame> frames_;
    size_t selected_ = 0;
    bool haveStop_ = false;
    uint32_t shownFunction_ = 0;
    uint16_t shownFp_ = 0;

    // What the program was resumed for.
    Mode mode_ = Mode::None;
    uint16_t fromFp_ = 0;
    uint32_t fromFunction_ = 0;
    int32_t resumeValue_ = -1;
};

}  // namespace corvane

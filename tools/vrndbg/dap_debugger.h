#pragma once
// vrndbg over the debug server: gdb's commands on a program that corvane-run (or the desktop
// app) runs with the whole machine at hand. Breakpoints with conditions, temporary ones and
// watchpoints; run, step, next, finish and their reverse-* counterparts; print with gdb's formats,
// x/FMT anywhere in the 64 KiB, set var, list, bt, up, down, frame, info locals, args, registers
// and breakpoints; Ctrl+C pauses the program.
//
// Commands come from a terminal or a pipe. From a pipe each line waits until the program is
// stopped (or has ended) and is echoed after the prompt, so a script's output reads as the
// session it was; from a terminal a line runs at once.

#include <cstdint>
#include <cstdio>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "shared/debuginfo/debug_info.h"
#include "tools/vrndbg/command_input.h"
#include "tools/vrndbg/console_reader.h"
#include "tools/vrndbg/dap_breakpoints.h"
#include "tools/vrndbg/dap_client.h"
#include "tools/vrndbg/examine.h"

namespace corvane {

struct DapLaunch {
    std::string image;
    std::vector<std::string> runnerArgs;  // further corvane-run options (--keys ...)
};

class DapDebugger {
  public:
    // `info`: the image's debug information, when vrndbg could read it (parameter names, list,
    // file names); the server reads its own copy.
    DapDebugger(DapClient& client, const DebugInfo* info, std::string sourceDir, std::FILE* out,
                bool interactive);

    // Launches the program and runs the user's commands until quit or the end of the input.
    // The program's exit status (0 when it did not end by itself), or -1 when the server could
    // not be used.
    int run(const DapLaunch& launch);

  private:
    enum class State { Configuring, Running, Stopped, Ended };
    struct Frame {
        int id = 0;
        std::string name;
        int line = 0;
        std::string path;  // the source file, "" without one
        std::string file;  // its name as shown
        uint32_t pc = 0;
    };
    // What a stop shows first, before its line.
    enum class Header { IfMoved, Always };

    bool start(const DapLaunch& launch);
    void handleEvent(const nlohmann::json& e);
    void stopped(const nlohmann::json& body);
    bool command(const std::string& line);
    void quit(bool endProgram);
    void print(const std::string& text);

    // Run control (dap_debugger.cpp).
    void go(const std::string& request, const nlohmann::json& arguments);
    void runProgram();
    void resume(const std::string& word, const std::string& arg);
    bool needStop();

    // What a stop and the frames show (dap_frames.cpp).
    bool loadFrames();
    std::string frameLine(size_t index, bool withPc);
    // The frame's line of source; with `pcInside`, the code address first when the frame is not
    // at the start of its line (as after stepi).
    std::string sourceLine(const Frame& f, bool pcInside = false);
    bool atLineStart(uint32_t pc) const;
    std::string locals(size_t index, bool args);
    std::vector<std::pair<std::string, std::string>> frameVariables(size_t index);
    void showFrame(size_t index);
    void backtrace(const std::string& arg);
    void selectFrame(const std::string& word, const std::string& arg);
    const std::vector<std::string>* sourceLines(const std::string& path);
    std::string sourcePath(int file) const;
    // The number of a source file named by a path, whole or as recorded (0: none).
    int fileOf(const std::string& path) const;
    void list(const std::string& arg);

    // Looking at data (dap_print.cpp).
    void printExpression(const std::string& format, const std::string& expr);
    void setVariable(const std::string& assignment);
    void examine(const std::string& formatText, const std::string& expr);
    void registers(const std::string& which);
    std::optional<std::string> evaluate(const std::string& expr, std::string& error,
                                        nlohmann::json* body = nullptr);

    // Breakpoints (dap_commands.cpp).
    void breakCommand(const std::string& arg, bool temporary);
    void watchCommand(const std::string& arg);
    std::vector<int> numbers(const std::string& arg);
    void help();

    DapClient& client_;
    const DebugInfo* info_;
    std::string sourceDir_;
    std::FILE* out_;
    bool interactive_;
    CommandInput input_;
    ConsoleReader console_;
    DapBreakpoints breakpoints_;
    State state_ = State::Configuring;
    bool prompted_ = false;
    std::string lastLine_;
    int exitCode_ = 0;

    // The stop being shown.
    std::vector<Frame> frames_;
    size_t selected_ = 0;
    std::map<size_t, std::vector<std::pair<std::string, std::string>>> variables_;
    std::string shownFunction_;
    size_t shownDepth_ = 0;
    Header nextHeader_ = Header::IfMoved;
    bool reversing_ = false;  // a reverse request is under way: its "entry" is the run's start
    int repeat_ = 0;          // steps still to make of "step N"
    std::string repeatRequest_;
    nlohmann::json repeatArguments_;

    // list: the file and the line the next plain "list" starts at.
    std::string listPath_;
    int listNext_ = 0;
    int listFirst_ = 0;
    std::map<std::string, std::vector<std::string>> sources_;

    // x: the last format and the address after what it showed.
    ExamineFormat examineFormat_;
    uint32_t examineNext_ = 0;
};

}  // namespace corvane

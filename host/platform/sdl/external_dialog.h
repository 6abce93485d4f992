#pragma once
// The desktop's own file chooser (zenity or kdialog), run as a child process so that the window
// keeps being handled while the user chooses. The command lines and the reading of the answer
// live here; the waiting belongs to the platform, which also handles window events meanwhile.

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

#include "host/platform.h"

namespace corvane {

enum class DialogTool { Window, Zenity, Kdialog };

// The chooser to use: $CORVANE_FILE_DIALOG ("zenity", "kdialog" or "window") when set, else the
// first of zenity and kdialog found on $PATH, else the chooser drawn in the window.
DialogTool chooseDialogTool();

// Whether an executable of that name lies on $PATH.
bool onPath(const std::string& name);

// The argument vector that shows the dialog of `request` with `tool` (not Window).
std::vector<std::string> dialogCommand(DialogTool tool, const OpenFileRequest& request);

// The path the user confirmed, from what the tool printed: its first line, made absolute against
// the request's folder, with the default extension added when the name has none and no file of
// that name exists. Nothing when the output names no file.
std::optional<std::string> chosenPath(const std::string& output, const OpenFileRequest& request);

// A dialog process whose standard output is collected.
class ChildDialog {
  public:
    ChildDialog() = default;
    ~ChildDialog();
    ChildDialog(const ChildDialog&) = delete;
    ChildDialog& operator=(const ChildDialog&) = delete;

    // Starts the program; false when it cannot be started.
    bool start(const std::vector<std::string>& argv);
    // The descriptor to wait on for output or the end of the program.
    int descriptor() const { return out_; }
    // Reads what is there. True when the program has closed its output and ended.
    bool collect();
    // The exit status once collect() returned true (-1 for a killed program).
    int status() const { return status_; }
    const std::string& output() const { return output_; }
    // Ends a program that is still running.
    void stop();

  private:
    pid_t pid_ = -1;
    int out_ = -1;
    int status_ = -1;
    std::string output_;
};

}  // namespace corvane

#pragma once
// Loading, closing and restarting programs: the Open command with its dialog, the start-up load
// named on the command line, Close, Reset, the end of a program by itself and Exit, together with
// the state the window shows around them: the splash state, the menu's Close and Reset items, and
// the working directory (the last folder in use, where the open dialog starts).

#include <cstdint>
#include <string>

#include "host/texts.h"

namespace corvane {

struct Machine;
class Platform;
struct OpenFileRequest;

// The open-file dialog for a program image: its title, the two filters, starting in `dir` with
// `name` as the last choice.
OpenFileRequest programOpenRequest(const std::string& dir, const std::string& name);

// When the splash image covers the LCD area: in states Idle and Ended.
enum class SplashState : uint8_t {
    Idle = 0,    // nothing opened through the dialog yet, or closed by the user
    Opened = 1,  // a program opened through the dialog is loaded
    Ended = 2,   // the last program ended by itself
};

enum class LoadResult : uint8_t {
    Loaded,
    Cancelled,   // the dialog was cancelled: nothing changed
    CannotOpen,  // the file cannot be opened for reading (message shown)
    Invalid,     // the file is not a program image, or too large (message shown)
};

// How the last program stopped.
enum class ProgramEnd : uint8_t {
    None,      // none has stopped yet
    ByItself,  // EXIT or the exit call
    Fault,     // ended by a fault; the reason was shown
    Closed,    // Close, Exit or a newly opened image
};

class Loader {
  public:
    Loader(Machine& machine, Platform& platform);

    // Command 40002: the open dialog, then the checks, the load and the start.
    LoadResult open();
    // What the dialog does with its choice, for a file chosen another way (dropped on the
    // window): the working directory moves to its folder, then the checks, the load, the start.
    LoadResult openChosen(const std::string& chosen);

    // The image named on the command line: loaded and started without changing the splash state.
    // The caller ends the process when this fails (the message has been shown).
    LoadResult loadAtStartup(const std::string& path);

    // Command 40003: closes a loaded program; the splash image returns.
    void closeCommand();

    // The run loop found the program-loaded flag cleared by the program itself (or a fault).
    void endByItself();

    // Command 40004 and F8: ends the program and restarts the image in the buffer. Does nothing
    // before any image was loaded; works while the menu item is greyed.
    void reset();

    // Command 40001: closes a loaded program; the caller then ends the message loop.
    void exit();

    SplashState splashState() const { return splash_; }
    // The menu's Close and Reset items (both change together).
    bool closeResetEnabled() const { return itemsEnabled_; }
    ProgramEnd lastEnd() const { return lastEnd_; }
    bool imageLoaded() const { return imageLoaded_; }

    // Why the last load failed, in plain words and naming the file ("x.vrn: is a directory");
    // empty after a load that succeeded. The message box keeps the program's own short text.
    const std::string& loadProblem() const { return loadProblem_; }

    // True once after a change that needs the whole window painted again (a Close).
    bool takeRepaint();

    // The working directory: where the open dialog starts, what a relative command-line path is
    // looked up in, what is saved as "ROM"/"Directory" at the end. A host path ending with '/'.
    const std::string& workingDir() const { return workingDir_; }
    void setWorkingDir(const std::string& dir);
    // A program's ChDir moves the working directory too; the machine reset does not. Called by
    // the host after the machine has run.
    void noteMachineDirectory();

    // The image file last loaded into the buffer (empty before any).
    const std::string& imagePath() const { return imagePath_; }
    // How many images have been loaded into the buffer: a change says another program (or the
    // same file again, perhaps rebuilt) took the place of the one there was.
    uint64_t loads() const { return loads_; }
    // A save state was put into the machine over the image in the buffer: the menu items follow
    // whether it holds a running program.
    void resumedFromState();

    // The open dialog's initial file name: the last choice without its extension.
    const std::string& dialogFileName() const { return dialogFileName_; }

  private:
    LoadResult loadFile(const std::string& path, TextId invalidMessage);
    void close();
    void restart();

    Machine& m_;
    Platform& platform_;
    SplashState splash_ = SplashState::Idle;
    bool itemsEnabled_ = false;
    bool imageLoaded_ = false;
    bool repaint_ = false;
    ProgramEnd lastEnd_ = ProgramEnd::None;
    std::string workingDir_;
    std::string seenMachineDir_;
    std::string dialogFileName_;
    std::string loadProblem_;
    std::string imagePath_;
    uint64_t loads_ = 0;
};

}  // namespace corvane

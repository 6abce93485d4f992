#pragma once
// The terminal corvane-run --tty plays in: raw mode for the keys, the alternate screen for the
// drawing, and the way back. Whatever ends the run (the quit key, a signal, a fault, an exit from
// anywhere) leaves the terminal as it was found: the saved settings are put back by the owner's
// destructor, by an exit handler, and by handlers of the fatal signals, which then let the signal
// take its course.

#include <cstdint>
#include <string>
#include <string_view>

namespace corvane {

// Rows and columns of character cells.
struct TerminalSize {
    int columns = 0;
    int rows = 0;
};

// The size of the terminal on `fd`; 0 x 0 when it is none.
TerminalSize terminalSize(int fd);

class Terminal {
  public:
    // Takes over the terminal on `inFd` (keys) and `outFd` (drawing). Check ok() afterwards.
    Terminal(int inFd, int outFd);
    ~Terminal();
    Terminal(const Terminal&) = delete;
    Terminal& operator=(const Terminal&) = delete;

    // False when either descriptor is not a terminal or its settings could not be changed;
    // error() then says why and the terminal is untouched.
    bool ok() const { return ok_; }
    const std::string& error() const { return error_; }

    // The size now (it changes when the user resizes the window).
    TerminalSize size() const;

    // Writes all of `bytes` (retrying short writes).
    void write(std::string_view bytes) const;

    // Bytes typed so far, without waiting; empty when none.
    std::string readAvailable() const;

    // Puts the terminal back as it was found (also done by the destructor); idempotent.
    void restore();

    int inFd() const { return inFd_; }

  private:
    int inFd_;
    int outFd_;
    bool ok_ = false;
    std::string error_;
};

// What a terminal can show, from the environment: 24-bit colour, the 256-colour palette, or none
// (NO_COLOR set, or a terminal named "dumb").
enum class ColorDepth : uint8_t { None, Palette256, TrueColor };
ColorDepth colorDepthFromEnvironment(const char* term, const char* colorTerm, const char* noColor);

}  // namespace corvane

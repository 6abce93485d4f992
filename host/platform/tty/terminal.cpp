#include "host/platform/tty/terminal.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

namespace corvane {

namespace {

// Leaves the alternate screen, shows the cursor and resets colours: the way back, written by the
// signal handlers too, so it is a plain constant.
constexpr char kLeave[] = "\x1b[0m\x1b[?25h\x1b[?1049l";
constexpr char kEnter[] = "\x1b[?1049h\x1b[?25l\x1b[0m\x1b[2J";

// The settings found, kept where the exit and signal handlers reach them. Only one terminal is
// taken over per process.
struct termios gSaved {};
volatile sig_atomic_t gTaken = 0;
int gInFd = -1;
int gOutFd = -1;
bool gHandlersInstalled = false;

// Async-signal-safe: tcsetattr and write only.
void putBack() {
    if (!gTaken) return;
    gTaken = 0;
    tcsetattr(gInFd, TCSAFLUSH, &gSaved);
    [[maybe_unused]] ssize_t n = ::write(gOutFd, kLeave, sizeof kLeave - 1);
}

constexpr int kFatalSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGQUIT};

void onFatal(int signal) {
    putBack();
    // The default action now: the process ends (or stops) as it would have.
    ::signal(signal, SIG_DFL);
    raise(signal);
}

void installHandlers() {
    if (gHandlersInstalled) return;
    gHandlersInstalled = true;
    std::atexit(putBack);
    struct sigaction sa {};
    sa.sa_handler = onFatal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESETHAND;
    for (int signal : kFatalSignals) sigaction(signal, &sa, nullptr);
}

}  // namespace

Terminal::Terminal(int inFd, int outFd) : inFd_(inFd), outFd_(outFd) {
    if (!isatty(inFd) || !isatty(outFd)) {
        error_ = "--tty needs a terminal: standard input and output are not one";
        return;
    }
    if (tcgetattr(inFd, &gSaved) != 0) {
        error_ = std::string("cannot read the terminal's settings: ") + std::strerror(errno);
        return;
    }
    struct termios raw = gSaved;
    // Raw: every byte as typed, no echo, no signals from Ctrl+C or Ctrl+Z (the keys arrive as
    // bytes and the run decides), no flow control, no CR-to-LF translation either way.
    raw.c_iflag &= ~tcflag_t(BRKINT | ICRNL | INPCK | ISTRIP | IXON);
    raw.c_oflag &= ~tcflag_t(OPOST);
    raw.c_cflag |= CS8;
    raw.c_lflag &= ~tcflag_t(ECHO | ICANON | IEXTEN | ISIG);
    raw.c_cc[VMIN] = 0;
    raw.c_cc[VTIME] = 0;
    gInFd = inFd;
    gOutFd = outFd;
    installHandlers();
    gTaken = 1;
    if (tcsetattr(inFd, TCSAFLUSH, &raw) != 0) {
        gTaken = 0;
        error_ = std::string("cannot put the terminal in raw mode: ") + std::strerror(errno);
        return;
    }
    write(kEnter);
    ok_ = true;
}

Terminal::~Terminal() {
    restore();
}

void Terminal::restore() {
    if (ok_) putBack();
    ok_ = false;
}

TerminalSize terminalSize(int fd) {
    struct winsize ws {};
    if (ioctl(fd, TIOCGWINSZ, &ws) != 0) return {};
    return {ws.ws_col, ws.ws_row};
}

TerminalSize Terminal::size() const {
    return terminalSize(outFd_);
}

void Terminal::write(std::string_view bytes) const {
    while (!bytes.empty()) {
        const ssize_t n = ::write(outFd_, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;  // the terminal is gone: nothing more can be shown
        bytes.remove_prefix(size_t(n));
    }
}

std::string Terminal::readAvailable() const {
    std::string bytes;
    char buffer[256];
    for (;;) {
        const ssize_t n = ::read(inFd_, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        bytes.append(buffer, size_t(n));
        if (size_t(n) < sizeof buffer) break;
    }
    return bytes;
}

ColorDepth colorDepthFromEnvironment(const char* term, const char* colorTerm, const char* noColor) {
    const std::string_view t = term ? term : "";
    const std::string_view c = colorTerm ? colorTerm : "";
    if ((noColor && *noColor) || t.empty() || t == "dumb") return ColorDepth::None;
    if (c == "truecolor" || c == "24bit" || t.find("direct") != std::string_view::npos)
        return ColorDepth::TrueColor;
    if (t.find("256") != std::string_view::npos) return ColorDepth::Palette256;
    return ColorDepth::None;
}

}  // namespace corvane

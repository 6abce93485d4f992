#pragma once
// The Platform of corvane-run --tty: the LCD drawn in a terminal, the keys read from it, real
// time. It translates and decides nothing: the window image the host composes is sampled at the
// LCD's pixels (so the palette, the splash and whatever the host draws over the LCD show as in
// the window) and turned into character cells; terminal keys become the host's key codes.
//
// No window system is there: no file dialog (a program's FileList gets a cancelled dialog), no
// dragging, no debugger window. Message boxes go to the status line under the drawing and are
// said again on stderr once the terminal is given back.

#include <cstdint>
#include <string>
#include <vector>

#include "host/desktop_platform.h"
#include "host/platform/tty/cells.h"
#include "host/platform/tty/keys.h"
#include "host/platform/tty/terminal.h"
#include "host/virtual_date.h"

namespace corvane {

struct TtyOptions {
    bool autoMode = true;  // half-blocks when the terminal is large enough, else braille
    CellMode mode = CellMode::HalfBlocks;
    ColorDepth depth = ColorDepth::None;
    int wakeFd = -1;  // readable: every wait ends at once (the interrupt signals' pipe)
};

// The LCD's pixels in a window image composed by the host (435 x 585, or scaled by a view).
void sampleLcd(const RgbImage& window, LcdPixels& pixels);

class TtyPlatform : public DesktopPlatform {
  public:
    TtyPlatform(Terminal& terminal, const TtyOptions& options);

    // Whether the user asked to end the run (Ctrl+C or Ctrl+Q).
    bool quitKey() const { return quitKey_; }
    // Message boxes shown during the run, in order.
    const std::vector<std::string>& messages() const { return messages_; }

    // --- RunClock ---
    uint64_t nowNs() override;

    // --- Platform ---
    LocalTime localTime() override;
    void setLocalTime(const LocalTime& time) override;
    bool createWindow(const std::string& title, int width, int height,
                      const std::vector<std::pair<int, int>>& outline) override;
    void beginDrag(int, int) override {}
    std::optional<std::string> openFileDialog(const OpenFileRequest&) override {
        return std::nullopt;
    }
    bool debugConnect(uint32_t) override { return false; }
    void debugSend(uint32_t, uint32_t, uint32_t, const uint8_t*, uint32_t) override {}
    void messageBox(const std::string& text) override;

  protected:
    void fetchEvents() override;
    void sleepUntil(uint64_t deadlineNs) override;
    void keysDown(std::array<uint8_t, 256>& down) override;
    void uploadRows(const RgbImage& image, int first, int rows, bool whole) override;
    void showMessageBox(const std::string&) override {}

  private:
    // Draws `pixels` as cells, the changed ones only unless the terminal's size changed.
    void draw();
    void drawStatus();
    void take(const std::vector<TerminalKey>& keys);

    Terminal& terminal_;
    TtyOptions options_;
    KeyDecoder decoder_;
    HeldKeys held_;
    VirtualDate date_;
    uint64_t startNs_ = 0;
    bool quitKey_ = false;
    LcdPixels pixels_{};
    bool havePixels_ = false;
    CellFrame shownCells_;
    TerminalSize shownSize_;
    int originRow_ = 0;
    int originColumn_ = 0;
    bool tooSmall_ = false;
    std::vector<std::string> messages_;
};

}  // namespace corvane

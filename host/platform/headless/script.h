#pragma once
// Scripted input of the runner: key presses, clicks and menu commands, each bound to a frame. The
// events of frame F take effect just before that frame's keyboard scan.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "host/platform.h"

namespace corvane {

// A key name of a script: a letter, a digit, "space", "enter", "esc", "up", "down", "left",
// "right", "pgup", "pgdn", "shift", "del", "period", "f1"-"f6", "f8", or "vkNN" (hex virtual key).
std::optional<uint8_t> scriptKey(const std::string& name);

class Script {
  public:
    // "F:KEY" taps KEY (down at F, up at F + 2), "F:+KEY" presses it, "F:-KEY" releases it;
    // several separated by blanks. False (with `error` set) when anything does not parse.
    bool addKeys(const std::string& text, std::string& error);
    // "F:X,Y": button down at F, up at F + 2, window coordinates.
    bool addClick(const std::string& text, bool right, std::string& error);
    // "F:ID": a menu command.
    bool addCommand(const std::string& text, std::string& error);
    // "F:PATH": a file dropped on the window.
    bool addDrop(const std::string& text, std::string& error);

    void add(uint64_t frame, const PlatformEvent& event);

    // Takes the events of frames up to `frame`, in frame order, then in the order given.
    std::vector<PlatformEvent> take(uint64_t frame);

    bool empty() const { return events_.empty(); }
    uint64_t lastFrame() const { return events_.empty() ? 0 : events_.rbegin()->first; }

  private:
    std::map<uint64_t, std::vector<PlatformEvent>> events_;
};

// "F:REST" with F a frame number (1 or more): the frame and REST. Nothing when there is no frame.
std::optional<std::pair<uint64_t, std::string>> splitFrame(const std::string& text);

// A whole decimal number, nothing when it is not one.
std::optional<uint64_t> parseCount(const std::string& text);

}  // namespace corvane

#pragma once
// A message box drawn in the window, for a desktop whose own boxes cannot be placed over the
// window (SDL's on X11 is placed by the window's offset from its parent, which puts it far off
// without a window manager): the caption "Tivex", an exclamation sign, the text wrapped to the
// room there is and an OK button, centred on the part of the window the screen shows. Drawn with
// the handheld's own fonts, like the pop-up menu and the file chooser.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "host/image_io.h"
#include "shared/face/face_layout.h"

namespace corvane {

struct FontTables;

class MessagePanel {
  public:
    // The box for `utf8` within `visible` (window coordinates: the part of the window the screen
    // shows), kept on the face clear of the outline's notches. Lines that do not fit its height
    // are left out, the last one shown ending in "...".
    MessagePanel(std::string_view utf8, const KeyRect& visible);

    const KeyRect& rect() const { return rect_; }
    const KeyRect& okButton() const { return ok_; }
    // The text's lines as drawn, in GB2312.
    const std::vector<std::string>& lines() const { return lines_; }

    // Whether a key (virtual-key code) closes the box, as it would a desktop's: Enter, Space or
    // Esc. A left click closes it on the OK button only.
    static bool closesOn(uint8_t vk);
    bool clickCloses(int x, int y) const;

    void draw(RgbImage& window, const FontTables& fonts) const;

  private:
    std::vector<std::string> lines_;
    KeyRect rect_;
    KeyRect ok_;
};

}  // namespace corvane

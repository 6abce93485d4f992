#pragma once
// The window's pixels, 435 x 585 RGB, kept exactly as the real window would hold them. A paint
// draws the face (keys up), the LCD and, in splash states 0 and 2, the splash image; a frame
// redraws only the LCD area; a face key is drawn pressed or released from the matching face
// image; the open pop-up menu is drawn on top. The platform only uploads image().
//
// The window owns the skin (face keys, keyboard scan), the LCD presentation and the menu, and
// routes pointer input to the menu while it is open and to the face keys otherwise.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "host/image_io.h"
#include "host/lcd.h"
#include "host/menu.h"
#include "host/skin.h"
#include "vm/memory_map.h"

namespace corvane {

struct Machine;
struct FontTables;

// The three pictures of the skin. Face images are at least 435 x 585 (only the top-left
// 435 x 585 is used); the splash image is 377 x 160.
struct SkinArt {
    RgbImage faceUp;
    RgbImage faceDown;
    RgbImage splash;
};

// The artwork drawn by mkskin and built into the program, decoded once on first use.
const SkinArt& builtinSkinArt();

// Where a window takes its artwork from when it first needs it.
using SkinArtSource = const SkinArt& (*)();

// What a pointer event asks of the host.
struct WindowEvent {
    enum class Kind {
        None,     // handled here (or nothing to do)
        Drag,     // left press on the body: move the window while the button is down
        Command,  // a menu command was chosen: carry it out
    };
    Kind kind = Kind::None;
    uint16_t command = kCmdNone;
};

class Window {
  public:
    // The window image starts black until the first paint. `art` must outlive the window.
    explicit Window(const SkinArt& art, const FontTables* fonts = nullptr);
    // The same, with the artwork asked of `source` only when the window's pixels are first
    // looked at (image(), capturedImage(), a face key drawn, something drawn over the face):
    // decoding the face costs more than a short program's whole run, and a run that never shows
    // the window need not pay it. Until then only the LCD area is drawn; what the face and the
    // splash owe is put in, exactly as a paint would have left it, when first looked at.
    explicit Window(SkinArtSource source = builtinSkinArt, const FontTables* fonts = nullptr);

    // The handheld's fonts, used to draw the menu texts.
    void setFonts(const FontTables* fonts);

    // What the window shows now, the open menu included.
    const RgbImage& image() const;
    // The face and the LCD alone, without what the app draws over them (notice, mode signs,
    // menu): what recordings and screenshots take.
    const RgbImage& capturedImage() const;

    // Counts every change of image(); the platform uploads when it differs from the last upload.
    uint64_t version() const { return version_; }

    Skin& skin() { return skin_; }
    Lcd& lcd() { return lcd_; }
    Menu& menu() { return menu_; }
    const Skin& skin() const { return skin_; }
    const Lcd& lcd() const { return lcd_; }
    const Menu& menu() const { return menu_; }

    // Whole repaint: face (keys up) at (0, 0), the LCD presented, and the splash image at (22, 43)
    // when `splashState` is 0 or 2.
    void paint(const Machine& machine, int splashState);

    // Frame of the run loop: present the LCD into the LCD area only.
    void frame(const Machine& machine);

    // Redraw a face key from the keys-down or keys-up face: the key rectangle widened by 3 pixels
    // to the left and to the top. An empty rectangle draws nothing.
    void drawKey(const KeyRect& rect, bool pressed);

    // Pointer input, window coordinates. While the menu is open every event goes to the menu.
    // Otherwise a left press on a face key draws it pressed and holds its virtual key for the
    // keyboard scan (press elsewhere: Drag); a left release, wherever the pointer is, releases
    // and redraws the held key; a right press opens the menu at the pointer.
    WindowEvent leftButtonDown(int x, int y);
    WindowEvent leftButtonUp(int x, int y);
    WindowEvent rightButtonDown(int x, int y);
    WindowEvent pointerMove(int x, int y);

    // Keys while the menu is open (arrows, Enter, Esc); ignored when it is closed.
    WindowEvent menuKey(uint8_t vk);

    // Commands 40047 (interlaced scanning) and 40048 (black-and-white): the menu's check mark
    // says the current state; the command flips it and the LCD mode with it. The change shows at
    // the next frame or paint.
    void displayCommand(uint16_t command);

    // A short notice over the face (a saved state, a recording), until cleared or replaced.
    void setNotice(const std::string& utf8);
    void clearNotice();
    const std::string& notice() const { return notice_; }

    // The running modes' signs (UTF-8), drawn left to right on the bezel under the LCD.
    void setSigns(const std::vector<std::string>& signs);
    const std::vector<std::string>& signs() const { return signs_; }

  private:
    void menuChanged();
    void drawNotice();
    void drawSigns();
    bool overlaid() const { return menu_.isOpen() || !notice_.empty() || !signs_.empty(); }
    WindowEvent fromMenu(uint16_t command);
    // The artwork, asked of its source the first time.
    const SkinArt& art() const;
    // Puts into base_ what the last paint still owes it: the face around the LCD area, the
    // splash.
    void settle() const;

    SkinArtSource source_ = nullptr;
    mutable const SkinArt* art_ = nullptr;  // null until first needed
    const FontTables* fonts_;
    Skin skin_;
    Lcd lcd_;
    Menu menu_;
    mutable RgbImage base_;  // the window without the menu (settle() completes it)
    RgbImage shown_;         // base_ with the notice and the open menu drawn on top
    std::string notice_;
    std::vector<std::string> signs_;
    uint64_t version_ = 0;
    // What the LCD area shows, so a frame whose LCD bytes and display modes did not change costs
    // a comparison instead of a conversion (a program waiting for a key keeps the app near idle).
    std::array<uint8_t, kBitmapSize> presentedLcd_{};
    bool presentedInterlaced_ = false;
    bool presentedBlackWhite_ = false;
    bool lcdCurrent_ = false;  // false after a paint, which may cover the LCD with the splash
    // Owed by a paint made before the artwork was needed: the face (keys up) everywhere outside
    // the LCD area, and the splash over the LCD area until a frame presents the LCD there.
    mutable bool faceOwed_ = false;
    mutable bool splashOwed_ = false;
};

}  // namespace corvane

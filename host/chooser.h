#pragma once
// The file chooser drawn inside the window, for a front end without a chooser of its own (a
// desktop without zenity or kdialog): a panel over the face listing the folder's entries (folders
// first, then the files the current filter lets through), driven by the arrow keys, Page Up/Down,
// Enter, Backspace, Tab (next filter) and Esc, or by the mouse (click selects, double click
// opens, the wheel scrolls). Drawn with the handheld's own 12-pixel fonts, like the pop-up menu.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "host/image_io.h"
#include "host/platform.h"

namespace corvane {

struct FontTables;

class Chooser {
  public:
    enum class Outcome { Open, Chosen, Cancelled };

    struct Entry {
        std::string name;  // UTF-8, as the host names it
        bool folder = false;
    };

    explicit Chooser(const OpenFileRequest& request);

    // Keys (virtual-key codes) and pointer input, window coordinates.
    Outcome keyDown(uint8_t key);
    Outcome click(int x, int y, bool twice);
    void scroll(int rows);

    // The confirmed file (after Outcome::Chosen).
    const std::string& chosen() const { return chosen_; }

    const std::filesystem::path& folder() const { return folder_; }
    const std::vector<Entry>& entries() const { return entries_; }
    int selected() const { return selected_; }
    int firstShown() const { return top_; }
    size_t filterIndex() const { return filter_; }

    // Draws the panel over `window`; `fonts` null draws it without text.
    void draw(RgbImage& window, const FontTables* fonts) const;

    // Rows the list shows at once.
    static constexpr int kRows = 28;

  private:
    void list(const std::filesystem::path& folder, const std::string& select);
    Outcome activate();
    void moveTo(int index);

    OpenFileRequest request_;
    std::filesystem::path folder_;
    std::vector<Entry> entries_;  // ".." first when the folder has a parent
    size_t filter_ = 0;
    int selected_ = 0;
    int top_ = 0;
    std::string chosen_;
};

// Whether a file name matches a dialog pattern ("*.*" and "*" match everything; "*.ext" matches
// the extension regardless of case).
bool matchesPattern(const std::string& name, const std::string& pattern);

}  // namespace corvane

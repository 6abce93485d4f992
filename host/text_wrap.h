#pragma once
// Long message texts wrapped to a width, so a box the window system sizes by its longest line
// (the About box, with its folder paths) is no wider than the window it belongs to.

#include <string>
#include <string_view>

namespace corvane {

// The columns a UTF-8 character takes: two for the wide ones (Chinese, Japanese, Korean,
// full-width forms), one for the others.
int displayColumns(char32_t c);

// `utf8` with every line broken to at most `columns` columns: at a space (dropped), after a
// path's separator, or next to a wide character; a run with none of these is cut where it
// reaches the width. Line ends already there stay.
std::string wrapText(std::string_view utf8, int columns);

// The columns of a message box as wide as `widthPx` pixels: about 7 pixels a column in the
// desktop's message font, less about 60 pixels of frame and margins; never below 30.
int messageColumns(int widthPx);

}  // namespace corvane

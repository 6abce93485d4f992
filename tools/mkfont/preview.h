#pragma once
// A picture of text drawn with the glyph tables, for judging the fonts by eye.

#include <string>
#include <vector>

#include "display/fonts.h"

namespace corvane::mkfont {

// Draws each GB2312 string of `lines` in the small and then the large font, enlarged `scale`
// times, into the PNG file `path`. Alternate character cells get a faint tint so that the
// placement of each glyph inside its cell can be judged. False when the file cannot be written.
bool writePreview(const FontTables& tables, const std::vector<std::string>& lines, int scale,
                  const std::string& path);

}  // namespace corvane::mkfont

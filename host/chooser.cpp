#include "host/chooser.h"

#include <algorithm>
#include <cctype>
#include <system_error>

#include "host/virtual_keys.h"
#include "host/window_text.h"
#include "shared/face/face_layout.h"

namespace corvane {
namespace fs = std::filesystem;

namespace {

// Panel geometry, window coordinates: inside the face's panel area, a pixel short of the hinge
// notch on the right, so the window's shape cuts nothing of it.
constexpr int kLeft = 12, kTop = 30, kWidth = kPanelArea.left + kPanelArea.width - 1 - kLeft;
constexpr int kRowHeight = 14;
constexpr int kListTop = kTop + 40;
constexpr int kListBottom = kListTop + Chooser::kRows * kRowHeight;
constexpr int kHeight = kListBottom + 22 - kTop;
constexpr int kTextLeft = kLeft + 8;
constexpr int kTextWidth = kWidth - 16;

constexpr Rgb kPaper{255, 255, 255};
constexpr Rgb kInk{0, 0, 0};
constexpr Rgb kFolderInk{0, 0, 128};

// Draws a UTF-8 text of the list or the headings, cut to the panel's width.
void drawText(RgbImage& img, int y, const std::string& utf8, const FontTables& fonts, Rgb c,
              bool keepEnd = false) {
    drawGbText(img, kTextLeft, y, fitGbText(gbDisplayText(utf8), kTextWidth, keepEnd), fonts, c);
}

std::string lower(std::string s) {
    for (char& ch : s) ch = char(std::tolower(static_cast<unsigned char>(ch)));
    return s;
}

}  // namespace

bool matchesPattern(const std::string& name, const std::string& pattern) {
    if (pattern == "*" || pattern == "*.*" || pattern.empty()) return true;
    if (pattern.rfind("*.", 0) == 0) {
        const std::string ext = lower(pattern.substr(1));
        const std::string n = lower(name);
        return n.size() > ext.size() && n.compare(n.size() - ext.size(), ext.size(), ext) == 0;
    }
    return lower(name) == lower(pattern);
}

Chooser::Chooser(const OpenFileRequest& request) : request_(request) {
    fs::path start = request.initialDir.empty() ? fs::path(".") : fs::path(request.initialDir);
    std::string select;
    if (!request.initialName.empty()) {
        fs::path name(request.initialName);
        if (name.is_absolute()) start = name.parent_path();
        select = name.filename().string();
    }
    std::error_code ec;
    if (!fs::is_directory(start, ec)) start = fs::current_path(ec);
    list(fs::absolute(start, ec).lexically_normal(), select);
}

void Chooser::list(const fs::path& folder, const std::string& select) {
    folder_ = folder;
    if (folder_.has_filename() == false && folder_ != folder_.root_path())
        folder_ = folder_.parent_path();
    entries_.clear();
    std::vector<Entry> folders, files;
    std::error_code ec;
    for (fs::directory_iterator it(folder_, fs::directory_options::skip_permission_denied, ec), end;
         !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.empty() || name[0] == '.') continue;
        std::error_code typeEc;
        if (it->is_directory(typeEc)) {
            folders.push_back({name, true});
        } else if (request_.filters.empty() ||
                   matchesPattern(name, request_.filters[filter_].pattern)) {
            files.push_back({name, false});
        }
    }
    auto byName = [](const Entry& a, const Entry& b) { return a.name < b.name; };
    std::sort(folders.begin(), folders.end(), byName);
    std::sort(files.begin(), files.end(), byName);
    if (folder_ != folder_.root_path()) entries_.push_back({"..", true});
    entries_.insert(entries_.end(), folders.begin(), folders.end());
    entries_.insert(entries_.end(), files.begin(), files.end());

    // The offered name matches a file without its extension too (the last choice is kept so).
    int found = 0;
    for (size_t i = 0; i < entries_.size() && !select.empty(); ++i) {
        const Entry& e = entries_[i];
        if (e.name == select || (!e.folder && fs::path(e.name).stem().string() == select)) {
            found = int(i);
            break;
        }
    }
    top_ = 0;
    moveTo(found);
}

void Chooser::moveTo(int index) {
    const int count = int(entries_.size());
    selected_ = count == 0 ? 0 : std::clamp(index, 0, count - 1);
    if (selected_ < top_) top_ = selected_;
    if (selected_ >= top_ + kRows) top_ = selected_ - kRows + 1;
}

void Chooser::scroll(int rows) {
    const int maxTop = std::max(0, int(entries_.size()) - kRows);
    top_ = std::clamp(top_ + rows, 0, maxTop);
}

Chooser::Outcome Chooser::activate() {
    if (entries_.empty()) return Outcome::Open;
    const Entry& e = entries_[size_t(selected_)];
    if (e.folder) {
        const std::string from = folder_.filename().string();
        if (e.name == "..")
            list(folder_.parent_path(), from);
        else
            list(folder_ / e.name, "");
        return Outcome::Open;
    }
    chosen_ = (folder_ / e.name).string();
    return Outcome::Chosen;
}

Chooser::Outcome Chooser::keyDown(uint8_t key) {
    switch (key) {
        case vk::kUp:
            moveTo(selected_ - 1);
            break;
        case vk::kDown:
            moveTo(selected_ + 1);
            break;
        case vk::kPageUp:
            moveTo(selected_ - kRows);
            break;
        case vk::kPageDown:
            moveTo(selected_ + kRows);
            break;
        case vk::kHome:
            moveTo(0);
            break;
        case vk::kEnd:
            moveTo(int(entries_.size()) - 1);
            break;
        case vk::kEnter:
        case vk::kRight:
            return activate();
        case vk::kBackspace:
        case vk::kLeft:
            if (folder_ != folder_.root_path())
                list(folder_.parent_path(), folder_.filename().string());
            break;
        case vk::kTab:
            if (!request_.filters.empty()) {
                filter_ = (filter_ + 1) % request_.filters.size();
                list(folder_, "");
            }
            break;
        case vk::kEscape:
            return Outcome::Cancelled;
        default:
            break;
    }
    return Outcome::Open;
}

Chooser::Outcome Chooser::click(int x, int y, bool twice) {
    if (x < kLeft || x >= kLeft + kWidth || y < kTop || y >= kTop + kHeight)
        return Outcome::Cancelled;  // a click beside the panel dismisses it, as beside a menu
    if (y < kListTop || y >= kListBottom) return Outcome::Open;
    const int index = top_ + (y - kListTop) / kRowHeight;
    if (index >= int(entries_.size())) return Outcome::Open;
    moveTo(index);
    return twice ? activate() : Outcome::Open;
}

void Chooser::draw(RgbImage& img, const FontTables* fonts) const {
    fillRect(img, kLeft, kTop, kWidth, kHeight, kPanelFace);
    frameRect(img, kLeft, kTop, kWidth, kHeight, kInk);
    fillRect(img, kLeft + 4, kListTop - 2, kWidth - 8, kListBottom - kListTop + 4, kPaper);
    frameRect(img, kLeft + 4, kListTop - 2, kWidth - 8, kListBottom - kListTop + 4, kPanelShadow);
    for (int row = 0; row < kRows; ++row) {
        const int index = top_ + row;
        if (index >= int(entries_.size())) break;
        const int y = kListTop + row * kRowHeight;
        const bool lit = index == selected_;
        if (lit) fillRect(img, kLeft + 5, y, kWidth - 10, kRowHeight, kPanelHighlight);
        if (!fonts) continue;
        const Entry& e = entries_[size_t(index)];
        const Rgb ink = lit ? kPanelHighlightText : (e.folder ? kFolderInk : kInk);
        drawText(img, y + 1, e.folder ? e.name + "/" : e.name, *fonts, ink);
    }
    if (!fonts) return;
    drawText(img, kTop + 6, request_.title, *fonts, kInk);
    drawText(img, kTop + 22, folder_.string(), *fonts, kPanelShadow, true);
    if (!request_.filters.empty())
        drawText(img, kListBottom + 6, request_.filters[filter_].name, *fonts, kInk);
}

}  // namespace corvane

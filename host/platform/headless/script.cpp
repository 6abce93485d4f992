#include "host/platform/headless/script.h"

#include <cctype>
#include <sstream>

#include "host/virtual_keys.h"

namespace corvane {

namespace {

struct NamedKey {
    const char* name;
    uint8_t vk;
};

constexpr NamedKey kNamedKeys[] = {
    {"space", vk::kSpace}, {"enter", vk::kEnter}, {"esc", vk::kEscape},
    {"up", vk::kUp},       {"down", vk::kDown},   {"left", vk::kLeft},
    {"right", vk::kRight}, {"pgup", vk::kPageUp}, {"pgdn", vk::kPageDown},
    {"shift", vk::kShift}, {"del", vk::kDelete},  {"period", vk::kFullStop},
    {"f1", vk::kF1},       {"f2", vk::kF2},       {"f3", vk::kF3},
    {"f4", vk::kF4},       {"f5", vk::kF5},       {"f6", vk::kF6},
    {"f8", vk::kF8},
};

std::string lower(std::string s) {
    for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool parseInt(const std::string& text, int& value) {
    if (text.empty() || text.size() > 6) return false;
    size_t i = text[0] == '-' ? 1 : 0;
    if (i == text.size()) return false;
    int v = 0;
    for (; i < text.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
        v = v * 10 + (text[i] - '0');
    }
    value = text[0] == '-' ? -v : v;
    return true;
}

}  // namespace

std::optional<uint64_t> parseCount(const std::string& text) {
    if (text.empty() || text.size() > 19) return std::nullopt;
    uint64_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + uint64_t(c - '0');
    }
    return v;
}

std::optional<std::pair<uint64_t, std::string>> splitFrame(const std::string& text) {
    size_t colon = text.find(':');
    if (colon == std::string::npos) return std::nullopt;
    auto frame = parseCount(text.substr(0, colon));
    if (!frame || *frame == 0) return std::nullopt;
    return std::make_pair(*frame, text.substr(colon + 1));
}

std::optional<uint8_t> scriptKey(const std::string& name) {
    std::string n = lower(name);
    if (n.size() == 1 && n[0] >= 'a' && n[0] <= 'z') return uint8_t(n[0] - 'a' + 'A');
    if (n.size() == 1 && n[0] >= '0' && n[0] <= '9') return uint8_t(n[0]);
    for (const NamedKey& k : kNamedKeys)
        if (n == k.name) return k.vk;
    if (n.size() >= 3 && n.size() <= 4 && n.rfind("vk", 0) == 0) {
        unsigned value = 0;
        for (size_t i = 2; i < n.size(); ++i) {
            char c = n[i];
            if (!std::isxdigit(static_cast<unsigned char>(c))) return std::nullopt;
            value = value * 16 +
                    unsigned(std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : c - 'a' + 10);
        }
        return uint8_t(value);
    }
    return std::nullopt;
}

void Script::add(uint64_t frame, const PlatformEvent& event) {
    events_[frame].push_back(event);
}

bool Script::addKeys(const std::string& text, std::string& error) {
    std::istringstream in(text);
    std::string item;
    while (in >> item) {
        auto split = splitFrame(item);
        if (!split) {
            error = "bad key event '" + item + "' (expected F:KEY, F:+KEY or F:-KEY)";
            return false;
        }
        auto [frame, rest] = *split;
        char action = 't';
        if (!rest.empty() && (rest[0] == '+' || rest[0] == '-')) {
            action = rest[0];
            rest = rest.substr(1);
        }
        auto vk = scriptKey(rest);
        if (!vk) {
            error = "unknown key '" + rest + "'";
            return false;
        }
        PlatformEvent down{PlatformEvent::Type::KeyDown, 0, 0, *vk, 0};
        PlatformEvent up{PlatformEvent::Type::KeyUp, 0, 0, *vk, 0};
        if (action == '+' || action == 't') add(frame, down);
        if (action == '-') add(frame, up);
        if (action == 't') add(frame + 2, up);
    }
    return true;
}

bool Script::addClick(const std::string& text, bool right, std::string& error) {
    auto split = splitFrame(text);
    int x = 0, y = 0;
    size_t comma = split ? split->second.find(',') : std::string::npos;
    if (!split || comma == std::string::npos || !parseInt(split->second.substr(0, comma), x) ||
        !parseInt(split->second.substr(comma + 1), y)) {
        error = "bad click '" + text + "' (expected F:X,Y)";
        return false;
    }
    const uint64_t frame = split->first;
    if (right) {
        add(frame, {PlatformEvent::Type::RightDown, x, y, 0, 0});
    } else {
        add(frame, {PlatformEvent::Type::PointerMove, x, y, 0, 0});
        add(frame, {PlatformEvent::Type::LeftDown, x, y, 0, 0});
        add(frame + 2, {PlatformEvent::Type::LeftUp, x, y, 0, 0});
    }
    return true;
}

bool Script::addCommand(const std::string& text, std::string& error) {
    auto split = splitFrame(text);
    auto id = split ? parseCount(split->second) : std::nullopt;
    if (!split || !id || *id > 0xFFFF) {
        error = "bad command '" + text + "' (expected F:ID)";
        return false;
    }
    add(split->first, {PlatformEvent::Type::Command, 0, 0, uint32_t(*id), 0});
    return true;
}

bool Script::addDrop(const std::string& text, std::string& error) {
    auto split = splitFrame(text);
    if (!split || split->second.empty()) {
        error = "bad drop '" + text + "' (expected F:PATH)";
        return false;
    }
    PlatformEvent e;
    e.type = PlatformEvent::Type::DropFile;
    e.path = split->second;
    add(split->first, e);
    return true;
}

std::vector<PlatformEvent> Script::take(uint64_t frame) {
    std::vector<PlatformEvent> out;
    while (!events_.empty() && events_.begin()->first <= frame) {
        auto& list = events_.begin()->second;
        out.insert(out.end(), list.begin(), list.end());
        events_.erase(events_.begin());
    }
    return out;
}

}  // namespace corvane

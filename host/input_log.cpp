#include "host/input_log.h"

#include <cinttypes>
#include <cstdio>
#include <sstream>

#include "host/input_map.h"
#include "host/virtual_date.h"
#include "vm/machine.h"
#include "vm/memory_map.h"

namespace corvane {

namespace {

using Type = PlatformEvent::Type;

struct EventName {
    Type type;
    const char* name;
    int numbers;  // 1: code; 2: x y; 0: none; -1: the path after it
};

constexpr EventName kEvents[] = {
    {Type::KeyDown, "key-down", 1},    {Type::KeyUp, "key-up", 1},
    {Type::PointerMove, "pointer", 2}, {Type::LeftDown, "left-down", 2},
    {Type::LeftUp, "left-up", 2},      {Type::RightDown, "right-down", 2},
    {Type::PadDown, "pad-down", 1},    {Type::PadUp, "pad-up", 1},
    {Type::Command, "command", 1},     {Type::DropFile, "drop", -1},
    {Type::Quit, "quit", 0},
};

// The largest code of each kind: a key, a gamepad button, a menu command.
uint32_t maxCode(Type type) {
    if (type == Type::Command) return 0xFFFF;
    if (type == Type::PadDown || type == Type::PadUp) return 63;
    return 0xFF;
}

constexpr int64_t kMaxCoordinate = 1'000'000;
constexpr size_t kMaxLine = 8192;

std::string hash16(uint64_t v) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "%016" PRIx64, v);
    return buf;
}

bool parseUnsigned(const std::string& s, uint64_t& out, int base = 10) {
    if (s.empty() || s.size() > 20) return false;
    uint64_t v = 0;
    for (char c : s) {
        int d = -1;
        if (c >= '0' && c <= '9') d = c - '0';
        if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
        if (d < 0 || d >= base) return false;
        if (v > (~uint64_t(0) - uint64_t(d)) / uint64_t(base)) return false;  // too large
        v = v * uint64_t(base) + uint64_t(d);
    }
    out = v;
    return true;
}

bool parseSigned(const std::string& s, int64_t& out) {
    const bool negative = !s.empty() && s[0] == '-';
    uint64_t v = 0;
    if (!parseUnsigned(negative ? s.substr(1) : s, v) || v > uint64_t(kMaxCoordinate)) return false;
    out = negative ? -int64_t(v) : int64_t(v);
    return true;
}

// The line's words; the text after the first `keep` words stays whole as the last one.
std::vector<std::string> words(const std::string& line, size_t keep) {
    std::vector<std::string> out;
    size_t i = 0;
    while (i < line.size()) {
        if (out.size() == keep) {
            out.push_back(line.substr(i));
            break;
        }
        const size_t space = line.find(' ', i);
        out.push_back(line.substr(i, space == std::string::npos ? std::string::npos : space - i));
        if (space == std::string::npos) break;
        i = space + 1;
    }
    return out;
}

std::string dateText(const LocalTime& t) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d", t.year, t.month, t.day, t.hour,
                  t.minute, t.second);
    return buf;
}

// A text that ends its line: no line break inside, nothing that vanishes at the line's end.
bool oneLine(const std::string& s) {
    return !s.empty() && s.find_first_of("\r\n") == std::string::npos;
}

}  // namespace

bool loggedEvent(PlatformEvent::Type type) {
    for (const EventName& e : kEvents)
        if (e.type == type) return true;
    return false;
}

void holdInput(const PlatformEvent& e, std::array<uint8_t, 256>& keys, uint32_t& pads) {
    if (e.type == Type::KeyDown) keys[e.code & 0xFF] = 0x80;
    if (e.type == Type::KeyUp) keys[e.code & 0xFF] = 0;
    if (e.type == Type::PadDown && e.code < uint32_t(kPadButtons)) pads |= 1u << e.code;
    if (e.type == Type::PadUp && e.code < uint32_t(kPadButtons)) pads &= ~(1u << e.code);
}

uint64_t lcdHash(const Machine& m) {
    uint64_t h = 0xcbf29ce484222325u;
    for (uint32_t i = 0; i < kBitmapSize; ++i) {
        h ^= m.mem[kLcdScreen + i];
        h *= 0x100000001b3u;
    }
    return h;
}

std::string writeInputLog(const InputLog& log) {
    std::string out = "corvane-input-log " + std::to_string(kInputLogVersion) + "\n";
    out += "image " + std::to_string(log.image.size) + " " + hash16(log.image.hash) + " " +
           log.imageName + "\n";
    out += "clock " + std::to_string(log.instructionsPerSecond) + " " + dateText(log.date) + "\n";
    if (log.view) {
        out += "view " + std::to_string(log.view->mode.scale) + " " +
               std::to_string(log.view->screenWidth) + "x" + std::to_string(log.view->screenHeight);
        if (log.view->mode.fullscreen)
            out += std::string(" ") + contentName(log.view->mode.content);
        out += "\n";
    }
    for (const InputRecord& r : log.records) {
        std::string line = std::to_string(r.instructions) + " " + std::to_string(r.frame) + " ";
        if (r.kind == InputRecord::Kind::Dialog) {
            line += "dialog " + r.text;
        } else if (r.kind == InputRecord::Kind::Loaded) {
            line += "loaded " + std::to_string(r.image.size) + " " + hash16(r.image.hash);
        } else {
            for (const EventName& e : kEvents) {
                if (e.type != r.event.type) continue;
                line += e.name;
                if (e.numbers == 1) line += " " + std::to_string(r.event.code);
                if (e.numbers == 2)
                    line += " " + std::to_string(r.event.x) + " " + std::to_string(r.event.y);
                if (e.numbers == -1) line += " " + r.event.path;
            }
        }
        out += line + "\n";
    }
    if (log.end) {
        out += "end " + std::to_string(log.end->instructions) + " " +
               std::to_string(log.end->frames) + " " + std::to_string(log.end->status) + " " +
               hash16(log.end->lcdHash) + (log.end->atCount ? " count" : "") + "\n";
    }
    return out;
}

std::optional<InputLog> readInputLog(const std::string& text, std::string& error) {
    if (text.size() > kInputLogMaxBytes) {
        error = "the input log is larger than 64 MiB";
        return std::nullopt;
    }
    InputLog log;
    std::istringstream in(text);
    std::string line;
    int number = 0;
    auto fail = [&](const std::string& why) {
        error = "line " + std::to_string(number) + ": " + why;
        return std::nullopt;
    };
    bool haveImage = false, haveClock = false;
    uint64_t lastCount = 0, lastFrame = 0;
    while (std::getline(in, line)) {
        ++number;
        if (line.size() > kMaxLine) return fail("a line longer than 8192 bytes");
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (number == 1) {
            const std::vector<std::string> w = words(line, 2);
            uint64_t version = 0;
            if (w.size() != 2 || w[0] != "corvane-input-log" || !parseUnsigned(w[1], version))
                return fail("not an input log (it starts with \"corvane-input-log 1\")");
            if (version != uint64_t(kInputLogVersion))
                return fail("an input log of version " + w[1] + "; this build reads version " +
                            std::to_string(kInputLogVersion));
            continue;
        }
        if (line.empty()) continue;
        if (log.end) return fail("a record after the end record");
        if (line.rfind("image ", 0) == 0) {
            const std::vector<std::string> w = words(line, 3);
            uint64_t size = 0, hash = 0;
            if (haveImage || w.size() < 3 || !parseUnsigned(w[1], size) || size > 0xFFFFFFFFu ||
                w[2].size() != 16 || !parseUnsigned(w[2], hash, 16))
                return fail("expected \"image SIZE HASH NAME\" once");
            log.image = {uint32_t(size), hash};
            log.imageName = w.size() > 3 ? w[3] : "";
            haveImage = true;
            continue;
        }
        if (line.rfind("clock ", 0) == 0) {
            const std::vector<std::string> w = words(line, 3);
            uint64_t ips = 0;
            std::optional<LocalTime> date = w.size() == 3 ? parseDateTime(w[2]) : std::nullopt;
            if (haveClock || w.size() != 3 || !parseUnsigned(w[1], ips) || ips == 0 ||
                ips > 1'000'000'000'000u || !date)
                return fail("expected \"clock IPS YYYY-MM-DDTHH:MM:SS\" once");
            log.instructionsPerSecond = ips;
            log.date = *date;
            haveClock = true;
            continue;
        }
        if (!haveImage || !haveClock) return fail("the image and clock records come first");
        if (line.rfind("view ", 0) == 0) {
            const std::vector<std::string> w = words(line, 4);
            uint64_t scale = 0, width = 0, height = 0;
            const size_t x = w.size() >= 3 ? w[2].find('x') : std::string::npos;
            LoggedView view;
            const std::optional<FullscreenContent> content =
                w.size() == 4 ? contentFromName(w[3]) : std::nullopt;
            if (log.view || !log.records.empty() || w.size() < 3 || w.size() > 4 ||
                !parseUnsigned(w[1], scale) || scale < 1 || scale > 4 || x == std::string::npos ||
                !parseUnsigned(w[2].substr(0, x), width) ||
                !parseUnsigned(w[2].substr(x + 1), height) || width < 1 || width > 16384 ||
                height < 1 || height > 16384 || (w.size() == 4 && !content))
                return fail(
                    "expected \"view SCALE WIDTHxHEIGHT [face|lcd]\" once, before the input");
            view.mode.scale = int(scale);
            view.mode.fullscreen = content.has_value();
            if (content) view.mode.content = *content;
            view.screenWidth = int(width);
            view.screenHeight = int(height);
            log.view = view;
            continue;
        }
        if (line.rfind("end ", 0) == 0) {
            const std::vector<std::string> w = words(line, 6);
            InputLogEnd end;
            uint64_t status = 0;
            end.atCount = w.size() == 6 && w[5] == "count";
            if ((w.size() != 5 && !end.atCount) || !parseUnsigned(w[1], end.instructions) ||
                !parseUnsigned(w[2], end.frames) || !parseUnsigned(w[3], status) || status > 255 ||
                w[4].size() != 16 || !parseUnsigned(w[4], end.lcdHash, 16))
                return fail("expected \"end COUNT FRAMES STATUS LCDHASH [count]\"");
            if (end.instructions < lastCount || end.frames < lastFrame)
                return fail("the end lies before the last record");
            end.status = int(status);
            log.end = end;
            continue;
        }
        const std::vector<std::string> w = words(line, 3);
        InputRecord r;
        if (w.size() < 3 || !parseUnsigned(w[0], r.instructions) || !parseUnsigned(w[1], r.frame))
            return fail("expected \"COUNT FRAME KIND ...\"");
        if (r.frame == 0) return fail("frames count from 1");
        if (r.frame < lastFrame || (r.frame == lastFrame && r.instructions < lastCount) ||
            r.instructions < lastCount)
            return fail("a record before the one above it");
        const std::string kind = w[2];
        const std::string rest = w.size() > 3 ? w[3] : "";
        if (kind == "dialog") {
            if (!oneLine(rest)) return fail("a dialog record needs the answer");
            r.kind = InputRecord::Kind::Dialog;
            r.text = rest;
        } else if (kind == "loaded") {
            const std::vector<std::string> a = words(rest, 2);
            uint64_t size = 0, hash = 0;
            if (a.size() != 2 || !parseUnsigned(a[0], size) || size > 0xFFFFFFFFu ||
                a[1].size() != 16 || !parseUnsigned(a[1], hash, 16))
                return fail("expected \"loaded SIZE HASH\"");
            r.kind = InputRecord::Kind::Loaded;
            r.image = {uint32_t(size), hash};
        } else {
            const EventName* e = nullptr;
            for (const EventName& candidate : kEvents)
                if (kind == candidate.name) e = &candidate;
            if (!e) return fail("unknown record \"" + kind + "\"");
            r.event.type = e->type;
            if (e->numbers == -1) {
                if (!oneLine(rest)) return fail("a drop record needs the file's path");
                r.event.path = rest;
            } else {
                const std::vector<std::string> a =
                    rest.empty() ? std::vector<std::string>{} : words(rest, 3);
                if (a.size() != size_t(e->numbers))
                    return fail(std::string("\"") + e->name + "\" takes " +
                                std::to_string(e->numbers) + " number(s)");
                if (e->numbers == 1) {
                    uint64_t code = 0;
                    if (!parseUnsigned(a[0], code) || code > maxCode(e->type))
                        return fail("code out of range for \"" + kind + "\"");
                    r.event.code = uint32_t(code);
                }
                if (e->numbers == 2) {
                    int64_t x = 0, y = 0;
                    if (!parseSigned(a[0], x) || !parseSigned(a[1], y))
                        return fail("coordinates out of range");
                    r.event.x = int(x);
                    r.event.y = int(y);
                }
            }
        }
        lastCount = r.instructions;
        lastFrame = r.frame;
        log.records.push_back(std::move(r));
    }
    if (number == 0) {
        error = "not an input log (it is empty)";
        return std::nullopt;
    }
    if (!haveImage || !haveClock) return fail("the image or clock record is missing");
    return log;
}

}  // namespace corvane

#include "host/platform/tty/keys.h"

#include <cstdlib>

#include "host/virtual_keys.h"

namespace corvane {

namespace {

constexpr char kEsc = 0x1b;

// The key of a plain byte, 0 when it is none of the keys the handheld or the desktop knows.
uint8_t plainKey(unsigned char c) {
    if (c >= 'a' && c <= 'z') return uint8_t('A' + (c - 'a'));
    if (c >= 'A' && c <= 'Z') return c;
    if (c >= '0' && c <= '9') return c;
    switch (c) {
        case '\r':
        case '\n':
            return vk::kEnter;
        case ' ':
            return vk::kSpace;
        case '\t':
            return vk::kTab;
        case 0x7f:
        case 0x08:
            return vk::kBackspace;
        case '.':
            return vk::kFullStop;
        case ',':
            return vk::kComma;
        case '-':
            return vk::kMinus;
        case '=':
            return vk::kEquals;
        case ';':
            return vk::kSemicolon;
        case '/':
            return vk::kSlash;
        default:
            return 0;
    }
}

// "ESC [ n ~" keys by n.
uint8_t tildeKey(int n) {
    switch (n) {
        case 1:
        case 7:
            return vk::kHome;
        case 2:
            return vk::kInsert;
        case 3:
            return vk::kDelete;
        case 4:
        case 8:
            return vk::kEnd;
        case 5:
            return vk::kPageUp;
        case 6:
            return vk::kPageDown;
        case 11:
        case 12:
        case 13:
        case 14:
        case 15:
            return uint8_t(vk::kF1 + (n - 11));
        case 17:
        case 18:
        case 19:
        case 20:
        case 21:
            return uint8_t(vk::kF1 + 5 + (n - 17));
        case 23:
        case 24:
            return uint8_t(vk::kF1 + 10 + (n - 23));
        default:
            return 0;
    }
}

// The final letter of "ESC [ ... X" or "ESC O X".
uint8_t letterKey(char c) {
    switch (c) {
        case 'A':
            return vk::kUp;
        case 'B':
            return vk::kDown;
        case 'C':
            return vk::kRight;
        case 'D':
            return vk::kLeft;
        case 'H':
            return vk::kHome;
        case 'F':
            return vk::kEnd;
        case 'P':
        case 'Q':
        case 'R':
        case 'S':
            return uint8_t(vk::kF1 + (c - 'P'));
        case 'M':
            return vk::kEnter;  // the keypad's Enter in application mode
        default:
            return 0;
    }
}

// Length of the escape sequence at the start of `s` (which begins with ESC), 0 when it is not
// complete yet. `key` gets its key, 0 for a sequence that is none.
size_t sequence(std::string_view s, uint8_t& key) {
    key = 0;
    if (s.size() < 2) return 0;
    if (s[1] == 'O') {
        if (s.size() < 3) return 0;
        key = letterKey(s[2]);
        return 3;
    }
    if (s[1] != '[') {
        // Alt with a key: the key.
        if (s[1] == kEsc) return 0;  // handled by the caller: Esc, then a new start
        key = plainKey(static_cast<unsigned char>(s[1]));
        return 2;
    }
    // The Linux console's F1-F5: ESC [ [ A..E.
    if (s.size() >= 3 && s[2] == '[') {
        if (s.size() < 4) return 0;
        if (s[3] >= 'A' && s[3] <= 'E') key = uint8_t(vk::kF1 + (s[3] - 'A'));
        return 4;
    }
    // CSI: parameter bytes ('0'-'?'), intermediate bytes (' '-'/'), one final byte ('@'-'~').
    size_t i = 2;
    while (i < s.size() && s[i] >= '0' && s[i] <= '?') ++i;
    const size_t parametersEnd = i;
    while (i < s.size() && s[i] >= ' ' && s[i] <= '/') ++i;
    if (i >= s.size()) return 0;
    const char final = s[i];
    if (final < '@' || final > '~') return i;  // not a sequence: the bytes after ESC [ go on
    const std::string_view parameters = s.substr(2, parametersEnd - 2);
    if (parametersEnd != i || parameters.find_first_of("<=>?") != std::string_view::npos)
        return i + 1;  // a private or intermediate sequence: no key
    if (final == '~')
        key = tildeKey(std::atoi(std::string(parameters).c_str()));
    else
        key = letterKey(final);
    return i + 1;
}

}  // namespace

std::vector<TerminalKey> KeyDecoder::feed(std::string_view bytes, uint64_t nowNs) {
    if (pending_.empty()) pendingSinceNs_ = nowNs;
    pending_.append(bytes);
    std::vector<TerminalKey> keys;
    std::string_view s = pending_;
    while (!s.empty()) {
        const unsigned char c = static_cast<unsigned char>(s[0]);
        if (c == 0x03 || c == 0x11) {
            keys.push_back({TerminalKey::Kind::Quit, 0});
            s.remove_prefix(1);
            continue;
        }
        if (c != kEsc) {
            if (const uint8_t key = plainKey(c)) keys.push_back({TerminalKey::Kind::Key, key});
            s.remove_prefix(1);
            continue;
        }
        if (s.size() >= 2 && s[1] == kEsc) {
            keys.push_back({TerminalKey::Kind::Key, vk::kEscape});
            s.remove_prefix(1);
            continue;
        }
        uint8_t key = 0;
        const size_t length = sequence(s, key);
        if (length == 0) break;  // incomplete: wait for the rest, or for the Esc's time
        if (key != 0) keys.push_back({TerminalKey::Kind::Key, key});
        s.remove_prefix(length);
    }
    pending_.erase(0, pending_.size() - s.size());
    return keys;
}

std::vector<TerminalKey> KeyDecoder::flush(uint64_t nowNs) {
    std::vector<TerminalKey> keys;
    if (pending_.empty() || nowNs < pendingSinceNs_ + kEscapeWaitNs) return keys;
    // What never completed: a lone Esc is the Esc key; the rest of a cut sequence is dropped.
    if (pending_ == std::string(1, kEsc)) keys.push_back({TerminalKey::Kind::Key, vk::kEscape});
    pending_.clear();
    return keys;
}

bool HeldKeys::press(uint8_t vk, uint64_t nowNs) {
    const bool fresh = until_[vk] == 0;
    until_[vk] = nowNs + kReleaseAfterNs;
    if (until_[vk] == 0) until_[vk] = 1;
    return fresh;
}

std::vector<uint8_t> HeldKeys::expire(uint64_t nowNs) {
    std::vector<uint8_t> released;
    for (size_t vk = 0; vk < until_.size(); ++vk) {
        if (until_[vk] != 0 && until_[vk] <= nowNs) {
            until_[vk] = 0;
            released.push_back(uint8_t(vk));
        }
    }
    return released;
}

uint64_t HeldKeys::deadline() const {
    uint64_t next = 0;
    for (uint64_t t : until_)
        if (t != 0 && (next == 0 || t < next)) next = t;
    return next;
}

}  // namespace corvane

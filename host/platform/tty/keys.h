#pragma once
// Keys from a terminal. A terminal sends bytes: letters and digits as themselves, Enter as CR,
// the arrows, F1-F12 and the editing keys as escape sequences (both the xterm and the Linux
// console forms). They become the host's virtual-key codes, the same the desktop window gives,
// so the handheld's keys and the desktop's shortcuts work alike. Ctrl+C and Ctrl+Q end the run.
//
// A lone Esc and the start of a sequence begin with the same byte: an Esc that nothing follows
// within kEscapeWaitNs is the Esc key.
//
// Terminals report presses only, never releases. A key counts as held from its press until
// kReleaseAfterNs after the last time the terminal reported it; a held key's auto-repeat keeps
// it down once the repeats begin, and a tap reads as one press of that length. Before the
// auto-repeat starts (a quarter to half a second) a held key reads as a second press, as typing
// it twice would.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

constexpr uint64_t kEscapeWaitNs = 30'000'000;
constexpr uint64_t kReleaseAfterNs = 150'000'000;

struct TerminalKey {
    enum class Kind : uint8_t { Key, Quit };
    Kind kind = Kind::Key;
    uint8_t vk = 0;
    bool operator==(const TerminalKey&) const = default;
};

class KeyDecoder {
  public:
    // Decodes `bytes` read at `nowNs`; a trailing incomplete sequence waits for more.
    std::vector<TerminalKey> feed(std::string_view bytes, uint64_t nowNs);
    // A pending lone Esc once kEscapeWaitNs have passed without more bytes.
    std::vector<TerminalKey> flush(uint64_t nowNs);
    // When flush has something to give, or 0 when nothing waits.
    uint64_t deadline() const { return pending_.empty() ? 0 : pendingSinceNs_ + kEscapeWaitNs; }

  private:
    std::string pending_;
    uint64_t pendingSinceNs_ = 0;
};

// Which keys count as held, from the presses alone.
class HeldKeys {
  public:
    // A press (or an auto-repeat) of `vk`: true when the key was not held before.
    bool press(uint8_t vk, uint64_t nowNs);
    // The keys whose time is up at `nowNs`, no longer held.
    std::vector<uint8_t> expire(uint64_t nowNs);
    // The next moment a key's time is up, or 0 when none is held.
    uint64_t deadline() const;
    bool held(uint8_t vk) const { return until_[vk] != 0; }

  private:
    std::array<uint64_t, 256> until_{};
};

}  // namespace corvane

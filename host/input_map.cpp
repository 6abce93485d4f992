// Key and gamepad bindings, their names in vorn.ini, and the keys a dialog kept.

#include "host/input_map.h"

#include <cctype>
#include <utility>

#include "host/config_store.h"
#include "host/virtual_keys.h"

namespace corvane {

namespace {

struct KeyName {
    uint8_t vk;
    const char* name;
};

// Keys other than letters, digits and F1-F12, by the names their caps carry.
constexpr KeyName kKeyNames[] = {
    {vk::kBackspace, "Backspace"},
    {vk::kTab, "Tab"},
    {vk::kEnter, "Enter"},
    {vk::kShift, "Shift"},
    {vk::kControl, "Ctrl"},
    {vk::kAlt, "Alt"},
    {vk::kEscape, "Esc"},
    {vk::kSpace, "Space"},
    {vk::kPageUp, "PageUp"},
    {vk::kPageDown, "PageDown"},
    {vk::kEnd, "End"},
    {vk::kHome, "Home"},
    {vk::kLeft, "Left"},
    {vk::kUp, "Up"},
    {vk::kRight, "Right"},
    {vk::kDown, "Down"},
    {vk::kInsert, "Insert"},
    {vk::kDelete, "Delete"},
    {vk::kSemicolon, "Semicolon"},
    {vk::kEquals, "Equals"},
    {vk::kComma, "Comma"},
    {vk::kMinus, "Minus"},
    {vk::kFullStop, "Period"},
    {vk::kSlash, "Slash"},
    {vk::kBackquote, "Backquote"},
    {vk::kLeftBracket, "LeftBracket"},
    {vk::kBackslash, "Backslash"},
    {vk::kRightBracket, "RightBracket"},
    {vk::kQuote, "Quote"},
};

constexpr const char* kActionNames[] = {"None",      "Reset",     "Pause",  "FastForward",
                                        "SaveState", "LoadState", "Record", "Rewind"};

constexpr const char* kPadNames[kPadButtons] = {"A",
                                                "B",
                                                "X",
                                                "Y",
                                                "Back",
                                                "Guide",
                                                "Start",
                                                "LeftStick",
                                                "RightStick",
                                                "LeftShoulder",
                                                "RightShoulder",
                                                "DPadUp",
                                                "DPadDown",
                                                "DPadLeft",
                                                "DPadRight",
                                                "StickUp",
                                                "StickDown",
                                                "StickLeft",
                                                "StickRight"};

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(uint8_t(a[i])) != std::tolower(uint8_t(b[i]))) return false;
    }
    return true;
}

// Other names the same keys go by.
constexpr KeyName kTargetAliases[] = {{vk::kEscape, "Escape"}, {vk::kEnter, "Return"}};

// The shortcut keys of the run controls (Tab and Backspace act while held, F12 is the
// screenshot); they are taken out of the keyboard state the program sees.
const Binding kDefaultKeyActions[] = {
    {vk::kTab, HostAction::FastForward}, {vk::kF7, HostAction::SaveState},
    {vk::kF8, HostAction::Reset},        {vk::kF9, HostAction::Pause},
    {vk::kF10, HostAction::LoadState},   {vk::kF11, HostAction::Record},
    {vk::kBackspace, HostAction::Rewind}};

}  // namespace

PadButtons stickDirections(int x, int y) {
    // A third of the way: far enough that a resting stick never drifts onto an arrow.
    constexpr int kThreshold = 32768 / 3;
    PadButtons b = 0;
    if (x <= -kThreshold) b |= padBit(PadButton::StickLeft);
    if (x >= kThreshold) b |= padBit(PadButton::StickRight);
    if (y <= -kThreshold) b |= padBit(PadButton::StickUp);
    if (y >= kThreshold) b |= padBit(PadButton::StickDown);
    return b;
}

uint8_t layoutKey(uint8_t positionVk, uint32_t character) {
    if (character >= 'a' && character <= 'z') return uint8_t(character - 'a' + 'A');
    if (character >= 'A' && character <= 'Z') return uint8_t(character);
    if (character >= '0' && character <= '9') return uint8_t(character);
    // The digit row stays the digits where they take Shift (AZERTY).
    if (positionVk >= '0' && positionVk <= '9') return positionVk;
    static constexpr std::pair<char, uint8_t> kPunctuation[] = {
        {';', vk::kSemicolon},    {'=', vk::kEquals},      {',', vk::kComma},
        {'-', vk::kMinus},        {'.', vk::kFullStop},    {'/', vk::kSlash},
        {'`', vk::kBackquote},    {'[', vk::kLeftBracket}, {'\\', vk::kBackslash},
        {']', vk::kRightBracket}, {'\'', vk::kQuote}};
    for (const auto& [c, vk] : kPunctuation)
        if (character == uint32_t(uint8_t(c))) return vk;
    // Another script's letter keeps the key's place; other signs at a letter's place are not
    // that letter (AZERTY's comma sits where M is elsewhere).
    if (character == 0 || character >= 0x80) return positionVk;
    return (positionVk >= 'A' && positionVk <= 'Z') ? 0 : positionVk;
}

std::string_view keyName(uint8_t vk) {
    static const std::array<std::string, 256> names = [] {
        std::array<std::string, 256> n;
        for (int c = 'A'; c <= 'Z'; ++c) n[size_t(c)] = std::string(1, char(c));
        for (int c = '0'; c <= '9'; ++c) n[size_t(c)] = std::string(1, char(c));
        for (int f = 1; f <= 12; ++f) n[size_t(vk::kF1 + f - 1)] = "F" + std::to_string(f);
        for (int d = 0; d <= 9; ++d) n[size_t(vk::kNumpad0 + d)] = "Numpad" + std::to_string(d);
        for (const KeyName& k : kKeyNames) n[k.vk] = k.name;
        return n;
    }();
    return names[vk];
}

std::optional<uint8_t> keyFromName(std::string_view name) {
    if (name.empty()) return std::nullopt;
    for (int vk = 1; vk < 256; ++vk) {
        if (sameName(keyName(uint8_t(vk)), name)) return uint8_t(vk);
    }
    for (const KeyName& k : kTargetAliases) {
        if (sameName(k.name, name)) return k.vk;
    }
    return std::nullopt;
}

std::string_view actionName(HostAction action) {
    return kActionNames[size_t(action)];
}

std::string_view padButtonName(PadButton button) {
    return kPadNames[size_t(button)];
}

std::optional<Binding> bindingFromName(std::string_view name) {
    for (size_t a = 0; a < std::size(kActionNames); ++a) {
        if (sameName(kActionNames[a], name)) return Binding{0, HostAction(a)};
    }
    if (const std::optional<uint8_t> vk = keyFromName(name)) return Binding{*vk, HostAction::None};
    return std::nullopt;
}

std::string bindingName(const Binding& b) {
    if (b.action != HostAction::None) return std::string(actionName(b.action));
    if (b.vk == 0) return "None";
    const std::string_view name = keyName(b.vk);
    return name.empty() ? "None" : std::string(name);
}

InputMap::InputMap() {
    for (int vk = 0; vk < 256; ++vk) keys_[size_t(vk)] = {uint8_t(vk), HostAction::None};
    keys_[0] = {};
    for (const Binding& a : kDefaultKeyActions) keys_[a.vk] = {0, a.action};
    bindPad(PadButton::A, {vk::kEnter, HostAction::None});
    bindPad(PadButton::B, {vk::kEscape, HostAction::None});
    bindPad(PadButton::X, {vk::kSpace, HostAction::None});
    bindPad(PadButton::DPadUp, {vk::kUp, HostAction::None});
    bindPad(PadButton::DPadDown, {vk::kDown, HostAction::None});
    bindPad(PadButton::DPadLeft, {vk::kLeft, HostAction::None});
    bindPad(PadButton::DPadRight, {vk::kRight, HostAction::None});
    bindPad(PadButton::StickUp, {vk::kUp, HostAction::None});
    bindPad(PadButton::StickDown, {vk::kDown, HostAction::None});
    bindPad(PadButton::StickLeft, {vk::kLeft, HostAction::None});
    bindPad(PadButton::StickRight, {vk::kRight, HostAction::None});
}

std::vector<std::string> InputMap::load(const ConfigStore& ini) {
    std::vector<std::string> ignored;
    // A value no name can have: tells a missing line from an empty one.
    const std::string absent = "\x01";
    auto apply = [&](const char* section, const std::string& name, Binding& slot) {
        const std::string value = ini.getString(section, name, absent);
        if (value == absent) return;
        if (const std::optional<Binding> b = bindingFromName(value)) {
            slot = *b;
        } else {
            ignored.push_back(std::string(section) + ": " + name + "=" + value);
        }
    };
    for (int vk = 1; vk < 256; ++vk) {
        const std::string_view name = keyName(uint8_t(vk));
        if (!name.empty()) apply(kKeysSection, std::string(name), keys_[size_t(vk)]);
    }
    for (int b = 0; b < kPadButtons; ++b) apply(kGamepadSection, kPadNames[b], pad_[size_t(b)]);
    return ignored;
}

void InputMap::programKeys(const std::array<uint8_t, 256>& pcKeys, PadButtons pad,
                           std::array<uint8_t, 256>& out) const {
    out.fill(0);
    for (size_t k = 0; k < pcKeys.size(); ++k) {
        if ((pcKeys[k] & 0x80) && keys_[k].vk != 0) out[keys_[k].vk] = 0x80;
    }
    for (int b = 0; b < kPadButtons; ++b) {
        if ((pad & (PadButtons(1) << b)) && pad_[size_t(b)].vk != 0) out[pad_[size_t(b)].vk] = 0x80;
    }
}

std::vector<std::string> InputMap::changes() const {
    const InputMap defaults;
    std::vector<std::string> out;
    for (int vk = 1; vk < 256; ++vk) {
        if (keys_[size_t(vk)] == defaults.keys_[size_t(vk)] || keyName(uint8_t(vk)).empty())
            continue;
        out.push_back("[Keys] " + std::string(keyName(uint8_t(vk))) + "=" +
                      bindingName(keys_[size_t(vk)]));
    }
    for (int b = 0; b < kPadButtons; ++b) {
        if (pad_[size_t(b)] == defaults.pad_[size_t(b)]) continue;
        out.push_back("[Gamepad] " + std::string(kPadNames[b]) + "=" +
                      bindingName(pad_[size_t(b)]));
    }
    return out;
}

std::string InputMap::describe() const {
    // The actions first (where they are is what a user looks for), then what was changed.
    std::string text;
    for (size_t a = 1; a < std::size(kActionNames); ++a) {
        std::string keys;
        for (int vk = 1; vk < 256; ++vk) {
            if (keys_[size_t(vk)].action == HostAction(a) && !keyName(uint8_t(vk)).empty())
                keys += (keys.empty() ? "" : "/") + std::string(keyName(uint8_t(vk)));
        }
        for (int b = 0; b < kPadButtons; ++b) {
            if (pad_[size_t(b)].action == HostAction(a))
                keys += (keys.empty() ? "Pad " : "/Pad ") + std::string(kPadNames[b]);
        }
        text += std::string(kActionNames[a]) + ": " + (keys.empty() ? "-" : keys) + "\n";
    }
    for (const std::string& line : changes()) text += line + "\n";
    return text;
}

void KeyHoldBack::filter(std::array<uint8_t, 256>& keys) {
    if (armed_) {
        armed_ = false;
        for (size_t k = 0; k < keys.size(); ++k) held_[k] = held_[k] || (keys[k] & 0x80);
    }
    for (size_t k = 0; k < keys.size(); ++k) {
        if (!held_[k]) continue;
        if (keys[k] & 0x80)
            keys[k] = 0;
        else
            held_[k] = false;
    }
}

bool KeyHoldBack::holding() const {
    for (bool h : held_)
        if (h) return true;
    return false;
}

}  // namespace corvane

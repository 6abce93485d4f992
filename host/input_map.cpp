// Key and gamepad bindings, their names in vorn.ini, and the keys a dialog kept.

#include "host/input_map.h"

#include <cctype>
#include <utility>

#include "host/config_store.h"
#include "library/keycodes.h"

namespace corvane {

namespace {

struct KeyName {
    uint8_t vk;
    const char* name;
};

// Keys other than letters, digits and F1-F12, by the names their caps carry.
constexpr KeyName kKeyNames[] = {
    {0x08, "Backspace"}, {0x09, "Tab"},         {0x0D, "Enter"},     {0x10, "Shift"},
    {0x11, "Ctrl"},      {0x12, "Alt"},         {0x1B, "Esc"},       {0x20, "Space"},
    {0x21, "PageUp"},    {0x22, "PageDown"},    {0x23, "End"},       {0x24, "Home"},
    {0x25, "Left"},      {0x26, "Up"},          {0x27, "Right"},     {0x28, "Down"},
    {0x2D, "Insert"},    {0x2E, "Delete"},      {0xBA, "Semicolon"}, {0xBB, "Equals"},
    {0xBC, "Comma"},     {0xBD, "Minus"},       {0xBE, "Period"},    {0xBF, "Slash"},
    {0xC0, "Backquote"}, {0xDB, "LeftBracket"}, {0xDC, "Backslash"}, {0xDD, "RightBracket"},
    {0xDE, "Quote"},
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
constexpr KeyName kTargetAliases[] = {{0x1B, "Escape"}, {0x0D, "Return"}};

const Binding kDefaultKeyActions[] = {
    {0x09, HostAction::FastForward}, {0x76, HostAction::SaveState}, {0x77, HostAction::Reset},
    {0x78, HostAction::Pause},       {0x79, HostAction::LoadState}, {0x7A, HostAction::Record},
    {0x08, HostAction::Rewind},
};

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
        {';', 0xBA}, {'=', 0xBB}, {',', 0xBC},  {'-', 0xBD}, {'.', 0xBE}, {'/', 0xBF},
        {'`', 0xC0}, {'[', 0xDB}, {'\\', 0xDC}, {']', 0xDD}, {'\'', 0xDE}};
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
        for (int f = 1; f <= 12; ++f) n[size_t(0x6F + f)] = "F" + std::to_string(f);
        for (int d = 0; d <= 9; ++d) n[size_t(0x60 + d)] = "Numpad" + std::to_string(d);
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

#pragma once
// What each PC key and gamepad button does: press a handheld key (given as the virtual-key code
// the machine's key-state table uses), carry out an action of the app (pause, save state...), or
// nothing. The defaults are the handheld's own mapping: every PC key stands for itself, so the key
// labelled A presses A whatever the keyboard layout, and only the app's shortcut keys are taken
// out. vorn.ini may rebind any of them in two sections, one line a key:
//
//   [Keys]                 [Gamepad]
//   W=Up                   A=Enter
//   Backspace=Rewind       Start=Pause
//   Tab=None               LeftShoulder=Rewind
//
// Names match without regard to case. A line naming an unknown key or target is ignored (and
// reported), so a damaged line never takes a key away.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

class ConfigStore;

inline constexpr const char* kKeysSection = "Keys";
inline constexpr const char* kGamepadSection = "Gamepad";

// The app's own actions a key or button may carry out instead of pressing a handheld key.
enum class HostAction : uint8_t {
    None,
    Reset,        // restart the program (F8)
    Pause,        // pause or resume (F9)
    FastForward,  // fast-forward while held (Tab)
    SaveState,    // save to the chosen slot (F7)
    LoadState,    // load from the chosen slot (F10)
    Record,       // start or stop a recording (F11)
    Rewind,       // step back through the last seconds while held (Backspace)
};

// A gamepad's buttons in the layout every common controller shares; the left stick's four
// directions count as buttons once pushed past a third of the way.
enum class PadButton : uint8_t {
    A,
    B,
    X,
    Y,
    Back,
    Guide,
    Start,
    LeftStick,
    RightStick,
    LeftShoulder,
    RightShoulder,
    DPadUp,
    DPadDown,
    DPadLeft,
    DPadRight,
    StickUp,
    StickDown,
    StickLeft,
    StickRight,
};
constexpr int kPadButtons = 19;
// Pressed buttons, bit n = PadButton n.
using PadButtons = uint32_t;
constexpr PadButtons padBit(PadButton b) {
    return PadButtons(1) << unsigned(b);
}

// The stick directions held at a deflection (x, y), each -32768..32767, y growing downwards.
PadButtons stickDirections(int x, int y);

// The PC key a key press stands for: the letter or digit its cap carries under the keyboard's
// layout (`character`, the key's unshifted character; 0 when it has none), so the key labelled A
// is A on any layout; else the key at that position (`positionVk`), as for keys whose layout
// gives a letter of another script or needs Shift for its digit.
uint8_t layoutKey(uint8_t positionVk, uint32_t character);

// What one key or button is bound to.
struct Binding {
    uint8_t vk = 0;  // the handheld-side virtual key pressed; 0 = none
    HostAction action = HostAction::None;
    bool operator==(const Binding&) const = default;
};

// Names of PC keys (virtual-key codes) and of targets, as vorn.ini writes them.
std::string_view keyName(uint8_t vk);  // empty for a code without a name
std::optional<uint8_t> keyFromName(std::string_view name);
std::string_view actionName(HostAction action);
std::string_view padButtonName(PadButton button);
// A target: a key name, an action name, or "None".
std::optional<Binding> bindingFromName(std::string_view name);
std::string bindingName(const Binding& binding);

class InputMap {
  public:
    // The handheld's mapping: every key itself, the shortcuts as actions, the d-pad and the stick
    // on the arrows, A Enter, B Esc, X Space.
    InputMap();

    // Applies the [Keys] and [Gamepad] sections of the file over the current bindings; the lines
    // that were ignored, each as "section: line" text.
    std::vector<std::string> load(const ConfigStore& ini);

    void bindKey(uint8_t pcKey, Binding binding) { keys_[pcKey] = binding; }
    void bindPad(PadButton button, Binding binding) { pad_[size_t(button)] = binding; }
    const Binding& key(uint8_t pcKey) const { return keys_[pcKey]; }
    const Binding& pad(PadButton button) const { return pad_[size_t(button)]; }

    // The key-state table the program sees (bit 7 = down) from the PC keys and pad buttons down.
    void programKeys(const std::array<uint8_t, 256>& pcKeys, PadButtons pad,
                     std::array<uint8_t, 256>& out) const;

    // The bindings that differ from the defaults, as vorn.ini lines ("[Keys] W=Up"), and the
    // whole map in a few lines for the About text.
    std::vector<std::string> changes() const;
    std::string describe() const;

  private:
    std::array<Binding, 256> keys_{};
    std::array<Binding, kPadButtons> pad_{};
};

// Keys held down when a dialog, a message box or the menu closes belong to it (the Enter that
// chose a file): they are kept from the program until they have been released once.
class KeyHoldBack {
  public:
    // The keys down at the next filter() are held back.
    void arm() { armed_ = true; }
    // Clears the held-back keys still down from `keys`; a held-back key seen up is free again.
    void filter(std::array<uint8_t, 256>& keys);
    bool holding() const;

  private:
    bool armed_ = false;
    std::array<bool, 256> held_{};
};

}  // namespace corvane

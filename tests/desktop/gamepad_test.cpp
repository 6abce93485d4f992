// Gamepads through SDL's game-controller layer, driven by SDL's virtual controller: plugged in
// and out while running, buttons and the stick turned into the host's pad events, a tap between
// two frames kept once, and a pad pulled out with a button held lets go of it. No display needed.

#include <gtest/gtest.h>

#include <SDL.h>

#include <algorithm>
#include <deque>
#include <vector>

#include "host/platform/sdl/gamepads.h"

namespace corvane::test {
namespace {

struct VirtualPad : ::testing::Test {
    void SetUp() override {
        ASSERT_EQ(SDL_Init(SDL_INIT_GAMECONTROLLER | SDL_INIT_EVENTS), 0) << SDL_GetError();
    }
    void TearDown() override {
        if (joystick) SDL_JoystickClose(joystick);
        if (index >= 0) SDL_JoystickDetachVirtual(index);
        SDL_Quit();
    }

    void attach() {
        index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                          SDL_CONTROLLER_BUTTON_MAX, 0);
        ASSERT_GE(index, 0) << SDL_GetError();
        joystick = SDL_JoystickOpen(index);  // our own handle, to move its buttons
        ASSERT_NE(joystick, nullptr);
    }

    // Pumps SDL's events through the gamepads; the host events they gave.
    std::vector<PlatformEvent> pump() {
        std::deque<PlatformEvent> out;
        for (int round = 0; round < 5; ++round) {
            SDL_PumpEvents();
            SDL_Event e;
            while (SDL_PollEvent(&e)) pads.handle(e, out);
        }
        return {out.begin(), out.end()};
    }

    static std::vector<std::pair<PlatformEvent::Type, uint32_t>> kinds(
        const std::vector<PlatformEvent>& events) {
        std::vector<std::pair<PlatformEvent::Type, uint32_t>> k;
        for (const PlatformEvent& e : events)
            k.emplace_back(e.type, e.type == PlatformEvent::Type::PadPlugged ? e.value : e.code);
        return k;
    }

    Gamepads pads;
    int index = -1;
    SDL_Joystick* joystick = nullptr;
};

using T = PlatformEvent::Type;

TEST_F(VirtualPad, PluggedButtonsStickAndPulledOut) {
    EXPECT_TRUE(pump().empty());
    attach();
    std::vector<PlatformEvent> plugged = pump();
    ASSERT_EQ(kinds(plugged), (decltype(kinds(plugged)){{T::PadPlugged, 1}}));
    EXPECT_FALSE(plugged[0].path.empty());
    EXPECT_EQ(pads.connected(), 1u);

    SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_A, 1);
    SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_DPAD_UP, 1);
    EXPECT_EQ(kinds(pump()), (decltype(kinds({})){{T::PadDown, uint32_t(PadButton::A)},
                                                  {T::PadDown, uint32_t(PadButton::DPadUp)}}));
    EXPECT_EQ(pads.buttons(), padBit(PadButton::A) | padBit(PadButton::DPadUp));

    // B tapped between two looks: seen once, then gone.
    SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_B, 1);
    pump();
    SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_B, 0);
    pump();
    EXPECT_TRUE(pads.buttons() & padBit(PadButton::B));
    EXPECT_FALSE(pads.buttons() & padBit(PadButton::B));

    // The stick pushed left past a third; back to the middle lets go.
    SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_LEFTX, -30000);
    EXPECT_EQ(kinds(pump()), (decltype(kinds({})){{T::PadDown, uint32_t(PadButton::StickLeft)}}));
    SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_LEFTX, 0);
    EXPECT_EQ(kinds(pump()), (decltype(kinds({})){{T::PadUp, uint32_t(PadButton::StickLeft)}}));

    // Pulled out with A and up held: both are let go, then the pad is gone.
    SDL_JoystickClose(joystick);
    joystick = nullptr;
    SDL_JoystickDetachVirtual(index);
    index = -1;
    const auto gone = kinds(pump());
    ASSERT_FALSE(gone.empty());
    EXPECT_EQ(gone.back(), std::make_pair(T::PadPlugged, uint32_t(0)));
    EXPECT_NE(std::find(gone.begin(), gone.end(), std::make_pair(T::PadUp, uint32_t(PadButton::A))),
              gone.end());
    EXPECT_NE(
        std::find(gone.begin(), gone.end(), std::make_pair(T::PadUp, uint32_t(PadButton::DPadUp))),
        gone.end());
    EXPECT_EQ(pads.connected(), 0u);
    pads.buttons();  // the latch of the last presses
    EXPECT_EQ(pads.buttons(), 0u);
}

TEST(PadButtons, SdlButtonsBeyondTheDpadHaveNoName) {
    PadButton b;
    ASSERT_TRUE(padButtonOf(SDL_CONTROLLER_BUTTON_START, b));
    EXPECT_EQ(b, PadButton::Start);
    ASSERT_TRUE(padButtonOf(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, b));
    EXPECT_EQ(b, PadButton::DPadRight);
    EXPECT_FALSE(padButtonOf(SDL_CONTROLLER_BUTTON_MISC1, b));
    EXPECT_FALSE(padButtonOf(-1, b));
}

}  // namespace
}  // namespace corvane::test

#pragma once
// How fast a held rewind goes back: in real time at first, so a short press makes a short
// correction the player can stop on, then twice and four times as fast the longer the key stays
// down, so the whole history is still a few seconds of holding away.

#include <cstdint>

namespace corvane {

// Frames of play a rewind held for `heldFrames` frames has gone back: one a frame during the
// first second (60 frames), two a frame during the next, four a frame after that.
uint64_t rewindFramesBack(uint64_t heldFrames);

// The states to have stepped back by then, taken every `intervalFrames` frames: at least one as
// soon as the key is down, so a tap steps back one state.
uint64_t rewindStepsDue(uint64_t heldFrames, uint32_t intervalFrames);

}  // namespace corvane

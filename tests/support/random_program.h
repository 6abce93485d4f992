#pragma once
// Random programs made to reach the run loop's fused runs often: stretches of the runs themselves
// with random operands (a run that follows calls laid out as a caller and its callees, if
// asked), random single instructions (loads and stores over the frame and the operand ring,
// division by zero, string constants, line and function markers, getchar, Delay), and jumps to
// instruction starts or into the middle of a run or an instruction. The run loop's differential
// test and the debugger's reverse-execution property test run them.

#include <cstdint>
#include <random>
#include <vector>

namespace corvane::test {

// A whole image, header included. `callsLaidOut`: a fused run that follows calls is laid out as a
// caller and its callees (the run loop's comparison with the single step); otherwise it lies in
// one line like the others, its CALLs aimed at random places.
std::vector<uint8_t> randomProgram(std::mt19937& rng, bool callsLaidOut = false);

}  // namespace corvane::test

#pragma once
// Random programs made to reach the run loop's fused runs often: stretches of the runs themselves
// with random operands, random single instructions (loads and stores over the frame and the
// operand ring, division by zero, string constants, line and function markers, getchar, Delay),
// and jumps to instruction starts or into the middle of a run or an instruction. The run loop's
// differential test and the debugger's reverse-execution property test run them.

#include <cstdint>
#include <random>
#include <vector>

namespace corvane::test {

// A whole image, header included.
std::vector<uint8_t> randomProgram(std::mt19937& rng);

}  // namespace corvane::test

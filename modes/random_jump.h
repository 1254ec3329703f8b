// Jumping along the xorshift stream. A step is linear over the bits of the state, so
// any number of steps is one 32 x 32 bit matrix: a generator can start several
// stretches of the stream at once and still take exactly the numbers of one stream.
#pragma once
#include <cstdint>

// The state after n steps, as the images of the 32 single-bit states.
struct XorShiftJump {
    uint32_t column[32];
};

// The jump over n steps (n = 0 gives the identity).
XorShiftJump XorShiftJumpOf(uint64_t steps);

// The state that the given number of steps reach from state.
uint32_t ApplyJump(const XorShiftJump& jump, uint32_t state);

// The state one step before: XorShift(XorShiftBack(x)) == x.
uint32_t XorShiftBack(uint32_t state);

#include "modes/random_jump.h"

#include "modes/random_source.h"

namespace {
// a after b: first b, then a.
XorShiftJump Compose(const XorShiftJump& a, const XorShiftJump& b) {
    XorShiftJump result;
    for (int bit = 0; bit < 32; ++bit) result.column[bit] = ApplyJump(a, b.column[bit]);
    return result;
}
}  // namespace

uint32_t ApplyJump(const XorShiftJump& jump, uint32_t state) {
    uint32_t result = 0;
    for (int bit = 0; bit < 32; ++bit) {
        if ((state >> bit) & 1u) result ^= jump.column[bit];
    }
    return result;
}

XorShiftJump XorShiftJumpOf(uint64_t steps) {
    XorShiftJump result;
    XorShiftJump power;  // one step, then squared for each bit of steps
    for (int bit = 0; bit < 32; ++bit) {
        result.column[bit] = 1u << bit;
        power.column[bit] = XorShift(1u << bit);
    }
    for (; steps != 0; steps >>= 1) {
        if (steps & 1u) result = Compose(power, result);
        power = Compose(power, power);
    }
    return result;
}

uint32_t XorShiftBack(uint32_t x) {
    // Undo x ^= x << 5, then x ^= x >> 17, then x ^= x << 13.
    x ^= (x << 5) ^ (x << 10) ^ (x << 15) ^ (x << 20) ^ (x << 25) ^ (x << 30);
    x ^= x >> 17;
    x ^= (x << 13) ^ (x << 26);
    return x;
}

// Extra control of the headless platform layer.
#pragma once
#include <cstdint>

// Sets the value PlatformTickCount returns from now on.
void HeadlessSetTick(uint32_t tick);

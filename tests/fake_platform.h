// The unit tests' platform: a settable clock and a record of every window call.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct FakeTimerCall {
    int id;
    int32_t intervalMs;  // -1 for a kill
};

struct FakePlatform {
    uint32_t tick = 0;
    int64_t threadTime = -1;  // what PlatformThreadTime reports; negative: no reading
    std::vector<FakeTimerCall> timerCalls;
    int invalidations = 0;
    int quitCalls = 0;
    int lastExitCode = -1;
    int fullScreenToggles = 0;
    int snapshots = 0;
    int32_t snapshotResult = -1;
    std::vector<std::u16string> existingFiles;  // names PlatformFileExists reports
};

extern FakePlatform fake;

// Clears the record and the clock.
void ResetFakePlatform();

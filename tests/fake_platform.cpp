#include "tests/fake_platform.h"

#include "app/platform.h"

FakePlatform fake;

void ResetFakePlatform() { fake = FakePlatform{}; }

uint32_t PlatformTickCount() { return fake.tick; }
int64_t PlatformThreadTime() { return fake.threadTime; }
void PlatformSetTimer(int id, int32_t intervalMs) { fake.timerCalls.push_back({id, intervalMs}); }
void PlatformKillTimer(int id) { fake.timerCalls.push_back({id, -1}); }
void PlatformPostQuit(int exitCode) {
    ++fake.quitCalls;
    fake.lastExitCode = exitCode;
}
void PlatformInvalidate() { ++fake.invalidations; }
void ToggleFullScreen() { ++fake.fullScreenToggles; }
int32_t SaveSnapshot() {
    ++fake.snapshots;
    return fake.snapshotResult;
}
int PlatformFileExists(const char16_t* path) {
    for (const std::u16string& name : fake.existingFiles) {
        if (name == path) return 1;
    }
    return 0;
}
int PlatformDrawsLater(int) { return 0; }

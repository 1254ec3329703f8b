// The screen saver's settings: one number each, stored in the registry as a 32-bit
// value under the user's key. Reading never fails: a missing value, one of another
// type or size, or one out of range gives that setting's default.
#pragma once
#include <cstddef>
#include <cstdint>

enum SaverSettingId {
    kSettingMode,               // 0: all modes in turn; 1..9 that mode only
    kSettingSecondsPerMode,     // 10..600
    kSettingPalette,            // preset 0..10, 0 being the random one
    kSettingNewPaletteEach,     // 1: a new palette with every picture
    kSettingRotationMs,         // 5..500 ms per rotation step
    kSettingRotationStep,       // 1, 2, 4 or 8 palette places per step
    kSettingMonitors,           // a SaverMonitors value
    kSettingStatusStrip,        // 1: the status strip is shown
    kSaverSettingCount
};

enum SaverMonitors {
    kMonitorsSame = 0,     // the same picture on each monitor
    kMonitorsSpan = 1,     // one picture across all of them
    kMonitorsPrimary = 2,  // the primary monitor only, the others black
};

struct SaverSettingInfo {
    const char* name;  // the registry value's name
    uint32_t defaultValue;
    uint32_t minimum;
    uint32_t maximum;
    int32_t powerOfTwo;  // 1: only powers of two within the range are valid
};

// Indexed by SaverSettingId.
extern const SaverSettingInfo SaverSettingTable[kSaverSettingCount];

// The registry key under HKEY_CURRENT_USER.
extern const char kSaverRegistryKey[];

struct SaverSettings {
    uint32_t values[kSaverSettingCount];
};

// Every setting at its default.
SaverSettings DefaultSaverSettings();

// One value as the registry gave it: whether it exists, its type code, its size in
// bytes and, when it is 4 bytes long, its contents.
struct SaverRawValue {
    int32_t found;
    uint32_t type;
    uint32_t size;
    uint32_t data;
};
constexpr uint32_t kRegistryDwordType = 4;  // REG_DWORD, little-endian 32 bits

// The setting's value from what the registry holds; its default when that is missing,
// not a 4-byte REG_DWORD, out of range or (for the step) not a power of two.
uint32_t SaverSettingFromRaw(int id, SaverRawValue raw);

// A number the user typed into the dialog, brought into the setting's range; a step
// that is not a power of two goes down to the next one.
uint32_t ClampSaverSetting(int id, int64_t typed);

// A name of the status strip's upper-case tables as the dialog lists it: the first
// letter kept, the others lowered, except names of three letters or fewer, which stay
// as they are ("STRING ART" gives "String art", "CGA" stays "CGA"). Writes at most
// size - 1 characters and a terminating zero.
void DialogName(const char* upper, char* out, size_t size);

#include "saver/saver_settings.h"

const char kSaverRegistryKey[] = "Software\\Korvane\\Huemix\\Screen Saver";

const SaverSettingInfo SaverSettingTable[kSaverSettingCount] = {
    {"Mode", 0, 0, 9, 0},
    {"SecondsPerMode", 30, 10, 600, 0},
    {"Palette", 0, 0, 10, 0},
    {"NewPaletteEachPicture", 1, 0, 1, 0},
    {"RotationMs", 50, 5, 500, 0},
    {"RotationStep", 1, 1, 8, 1},
    {"Monitors", kMonitorsSame, kMonitorsSame, kMonitorsPrimary, 0},
    {"StatusStrip", 0, 0, 1, 0},
};

namespace {
bool Valid(const SaverSettingInfo& info, uint32_t value) {
    if (value < info.minimum || value > info.maximum) return false;
    return !info.powerOfTwo || (value & (value - 1)) == 0;
}
}  // namespace

SaverSettings DefaultSaverSettings() {
    SaverSettings settings;
    for (int id = 0; id < kSaverSettingCount; ++id) settings.values[id] = SaverSettingTable[id].defaultValue;
    return settings;
}

uint32_t SaverSettingFromRaw(int id, SaverRawValue raw) {
    if (id < 0 || id >= kSaverSettingCount) return 0;
    const SaverSettingInfo& info = SaverSettingTable[id];
    if (!raw.found || raw.type != kRegistryDwordType || raw.size != 4) return info.defaultValue;
    return Valid(info, raw.data) ? raw.data : info.defaultValue;
}

uint32_t ClampSaverSetting(int id, int64_t typed) {
    if (id < 0 || id >= kSaverSettingCount) return 0;
    const SaverSettingInfo& info = SaverSettingTable[id];
    if (typed < static_cast<int64_t>(info.minimum)) return info.minimum;
    if (typed > static_cast<int64_t>(info.maximum)) return info.maximum;
    uint32_t value = static_cast<uint32_t>(typed);
    if (info.powerOfTwo) {
        while (value & (value - 1)) value &= value - 1;  // keep only the highest bit
    }
    return value;
}

void DialogName(const char* upper, char* out, size_t size) {
    if (!out || size == 0) return;
    size_t length = 0;
    while (upper && upper[length]) ++length;
    const bool keepCase = length <= 3;
    size_t n = 0;
    for (; n + 1 < size && n < length; ++n) {
        const char c = upper[n];
        const bool lower = !keepCase && n > 0 && c >= 'A' && c <= 'Z';
        out[n] = lower ? static_cast<char>(c + 32) : c;
    }
    out[n] = '\0';
}

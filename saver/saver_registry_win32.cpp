// The settings in the registry: one REG_DWORD value each under the user's key. What
// the key holds is never trusted; the portable rules turn every raw value into a
// valid setting.
#include <windows.h>

#include "saver/saver_win32.h"

SaverSettings ReadSaverSettings() {
    SaverSettings settings = DefaultSaverSettings();
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSaverRegistryKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return settings;  // no key: every default
    }
    for (int id = 0; id < kSaverSettingCount; ++id) {
        SaverRawValue raw = {0, 0, 0, 0};
        DWORD type = 0;
        DWORD data = 0;
        DWORD size = sizeof(data);
        const LONG result = RegQueryValueExA(key, SaverSettingTable[id].name, nullptr, &type,
                                             reinterpret_cast<BYTE*>(&data), &size);
        if (result == ERROR_SUCCESS) {
            raw = {1, type, size, data};
        } else if (result == ERROR_MORE_DATA) {
            raw = {1, type, size, 0};  // too long to be a DWORD: the default
        }
        settings.values[id] = SaverSettingFromRaw(id, raw);
    }
    RegCloseKey(key);
    return settings;
}

bool WriteSaverSettings(const SaverSettings& settings) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kSaverRegistryKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
        return false;
    }
    bool written = true;
    for (int id = 0; id < kSaverSettingCount; ++id) {
        const DWORD data = settings.values[id];
        written = RegSetValueExA(key, SaverSettingTable[id].name, 0, REG_DWORD,
                                 reinterpret_cast<const BYTE*>(&data), sizeof(data)) == ERROR_SUCCESS &&
                  written;
    }
    RegCloseKey(key);
    return written;
}

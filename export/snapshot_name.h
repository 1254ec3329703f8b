// The file name of a PNG snapshot: folder\kvhuemix_YYYYMMDD_HHMMSS.png, with _2, _3, ...
// before ".png" when a picture of that name is already there, so that two snapshots
// within one second never overwrite each other.
#pragma once
#include <cstdint>

// Units of the name buffer, terminator included (the platform's MAX_PATH).
constexpr int32_t SnapshotNameCapacity = 260;

// Names tried for one snapshot: the plain one, then _2 up to _99.
constexpr int32_t SnapshotNameTries = 99;

// The local date and time a snapshot is named after, as the system clock gives it.
struct SnapshotTime {
    uint16_t year;
    uint16_t month;
    uint16_t day;
    uint16_t hour;
    uint16_t minute;
    uint16_t second;
};

// Writes the first name not taken (PlatformFileExists) into name, which holds
// SnapshotNameCapacity units. The folder is read up to its terminator, and never past
// SnapshotNameCapacity units. Returns 0, or -5 when the name does not fit or every
// try is taken; name is then the empty string. Nothing is written past the buffer.
int32_t BuildSnapshotName(char16_t* name, const char16_t* folder, const SnapshotTime& time);

#include "export/snapshot_name.h"

#include "app/platform.h"

namespace {

// Appends text to the name at *length, if it fits with a terminator after it.
bool Append(char16_t* name, int32_t* length, const char16_t* text, int32_t count) {
    if (count > SnapshotNameCapacity - 1 - *length) return false;
    for (int32_t i = 0; i < count; ++i) name[*length + i] = text[i];
    *length += count;
    return true;
}

bool AppendAscii(char16_t* name, int32_t* length, const char* text) {
    char16_t units[16];
    int32_t count = 0;
    while (text[count] != '\0' && count < 16) {
        units[count] = static_cast<char16_t>(text[count]);
        ++count;
    }
    return Append(name, length, units, count);
}

// Appends value in decimal with at least minDigits digits, leading zeros (as %0Nd).
bool AppendNumber(char16_t* name, int32_t* length, uint32_t value, int32_t minDigits) {
    char16_t reversed[10];
    int32_t count = 0;
    do {
        reversed[count++] = static_cast<char16_t>(u'0' + value % 10);
        value /= 10;
    } while (value != 0);
    while (count < minDigits) reversed[count++] = u'0';
    char16_t digits[10];
    for (int32_t i = 0; i < count; ++i) digits[i] = reversed[count - 1 - i];
    return Append(name, length, digits, count);
}

// Everything up to the ".png" (or the "_N" before it): folder\kvhuemix_date_time.
bool AppendStem(char16_t* name, int32_t* length, const char16_t* folder, const SnapshotTime& t) {
    int32_t folderLength = 0;
    while (folderLength < SnapshotNameCapacity && folder[folderLength] != u'\0') ++folderLength;
    return Append(name, length, folder, folderLength) && AppendAscii(name, length, "\\kvhuemix_") &&
           AppendNumber(name, length, t.year, 4) && AppendNumber(name, length, t.month, 2) &&
           AppendNumber(name, length, t.day, 2) && AppendAscii(name, length, "_") &&
           AppendNumber(name, length, t.hour, 2) && AppendNumber(name, length, t.minute, 2) &&
           AppendNumber(name, length, t.second, 2);
}

}  // namespace

int32_t BuildSnapshotName(char16_t* name, const char16_t* folder, const SnapshotTime& time) {
    int32_t stemLength = 0;
    if (AppendStem(name, &stemLength, folder, time)) {
        for (int32_t attempt = 1; attempt <= SnapshotNameTries; ++attempt) {
            int32_t length = stemLength;
            bool fits = attempt == 1 || (AppendAscii(name, &length, "_") &&
                                         AppendNumber(name, &length, static_cast<uint32_t>(attempt), 1));
            // A longer suffix never fits where a shorter one did not.
            if (!fits || !AppendAscii(name, &length, ".png")) break;
            name[length] = u'\0';
            if (PlatformFileExists(name) == 0) return 0;
        }
    }
    name[0] = u'\0';
    return -5;
}

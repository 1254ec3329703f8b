#include "app/command_line.h"

#include <climits>

#include "app/art_state.h"
#include "palette/presets.h"

namespace {
bool SameText(const char16_t* a, const char16_t* b) {
    while (*a && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}

bool IsWhiteSpace(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }

char FoldUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }
}  // namespace

int32_t ReadIntegerValue(const char16_t* text) {
    while (IsWhiteSpace(*text)) ++text;
    bool negative = false;
    if (*text == u'+' || *text == u'-') {
        negative = *text == u'-';
        ++text;
    }
    // Accumulate in 64 bits and stop growing once past the int32 range: saturation.
    int64_t value = 0;
    for (; *text >= u'0' && *text <= u'9'; ++text) {
        if (value <= static_cast<int64_t>(INT32_MAX) + 1) value = value * 10 + (*text - u'0');
    }
    if (negative) value = -value;
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(value);
}

int32_t FindPresetByName(const char16_t* text) {
    char name[32];
    int n = 0;
    while (n < 31 && text[n]) {
        name[n] = static_cast<char>(text[n] & 0xFF);
        ++n;
    }
    name[n] = '\0';
    for (int preset = 0; preset < kPresetCount; ++preset) {
        const char* a = name;
        const char* b = PresetNames[preset];
        while (*a && FoldUpper(*a) == FoldUpper(*b)) {
            ++a;
            ++b;
        }
        if (FoldUpper(*a) == FoldUpper(*b)) return preset;
    }
    return -1;
}

void ParseArguments(int argc, const char16_t* const* argv) {
    if (!argv) return;
    for (int i = 1; i < argc;) {
        const char16_t* arg = argv[i];
        if (!arg) {
            ++i;
            continue;
        }
        if (SameText(arg, u"--windowed")) {
            art.windowedOption = 1;
            ++i;
            continue;
        }
        const bool hasValue = i + 1 < argc && argv[i + 1];
        if (hasValue && SameText(arg, u"--mode")) {
            art.modeOption = ReadIntegerValue(argv[i + 1]);
        } else if (hasValue && SameText(arg, u"--speed")) {
            art.speedOption = ReadIntegerValue(argv[i + 1]);
        } else if (hasValue && SameText(arg, u"--monitor")) {
            art.monitorOption = ReadIntegerValue(argv[i + 1]);
        } else if (hasValue && SameText(arg, u"--palette")) {
            int32_t preset = FindPresetByName(argv[i + 1]);
            if (preset >= 0) art.paletteOption = preset;
        } else {
            ++i;  // unrecognised, or an option with no value after it
            continue;
        }
        i += 2;
    }
}

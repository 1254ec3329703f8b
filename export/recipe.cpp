#include "export/recipe.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/art_state.h"
#include "app/command_line.h"
#include "export/option_text.h"
#include "modes/modes.h"
#include "palette/palette.h"
#include "palette/presets.h"

namespace {
enum RecipeField : int32_t {
    kFieldMode,
    kFieldSeed,
    kFieldPaletteSeed,
    kFieldPalette,
    kFieldSpeed,
    kFieldStep,
    kFieldDirection,
    kFieldPaused,
    kFieldHue,
    kFieldSaturation,
    kFieldBrightness,
    kFieldTicks,
    kFieldZoomFrames,
    kFieldSize,
    kFieldCount,
};

struct FieldName {
    const char* name;
    bool required;
};

const FieldName FieldNames[kFieldCount] = {
    {"mode", true},   {"seed", true},       {"paletteseed", true}, {"palette", true},     {"speed", true},
    {"step", true},   {"direction", true},  {"paused", true},      {"hue", false},        {"saturation", false},
    {"brightness", false}, {"ticks", false}, {"zoomframes", false}, {"size", true},
};

bool NeutralAdjustment(const Recipe& r) {
    return r.hueShift == 0.0 && r.saturationFactor == 1.0 && r.brightnessFactor == 1.0;
}

// Appends to out at *length; false once out is full.
bool Append(char* out, size_t outSize, size_t* length, const char* text) {
    const size_t n = std::strlen(text);
    if (*length + n + 1 > outSize) return false;
    std::memcpy(out + *length, text, n + 1);
    *length += n;
    return true;
}

// The digits of the value's shortest form that reads back to it, and the decimal
// exponent n such that the value is 0.DIGITS x 10^n. printf rounds correctly, so the
// first precision that reads back gives the nearest of the shortest.
void ShortestDigits(double value, char* digits, int* count, int* exponent) {
    char text[40];
    for (int precision = 0; precision < 17; ++precision) {
        std::snprintf(text, sizeof text, "%.*e", precision, value);
        if (std::strtod(text, nullptr) == value) break;
    }
    int k = 0;
    const char* p = text;
    for (; *p && *p != 'e'; ++p) {
        if (*p >= '0' && *p <= '9') digits[k++] = *p;
    }
    digits[k] = '\0';
    *count = k;
    *exponent = (*p == 'e' ? std::atoi(p + 1) : 0) + 1;
}

// "<name> '<value>': <why>", with the value made safe for one line.
bool Reason(char* error, size_t errorSize, const char* name, const char* value, const char* why) {
    char quoted[72];
    QuoteArgument(value, quoted, sizeof quoted);
    std::snprintf(error, errorSize, "%s '%s': %s", name, quoted, why);
    return false;
}

bool IsLetters(const char* text) {
    if (!*text) return false;
    for (; *text; ++text) {
        const char c = *text;
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) return false;
    }
    return true;
}

bool ReadRange(const char* text, int64_t lo, int64_t hi, int32_t* out) {
    int64_t v = 0;
    if (!ReadWholeText(text, &v) || v < lo || v > hi) return false;
    *out = static_cast<int32_t>(v);
    return true;
}

bool ReadRealRange(const char* text, double lo, double hi, double* out) {
    double v = 0.0;
    if (!ReadRealText(text, &v) || v < lo || v > hi) return false;
    *out = v;
    return true;
}

// One field's value into the recipe; false with the reason in error.
bool ReadField(int32_t field, const char* value, Recipe* r, char* error, size_t errorSize) {
    const char* name = FieldNames[field].name;
    switch (field) {
        case kFieldMode:
            return ReadRange(value, 0, 9, &r->mode) || Reason(error, errorSize, name, value, "give a mode from 0 to 9");
        case kFieldSeed:
        case kFieldPaletteSeed: {
            uint32_t seed = 0;
            if (!ReadSeedText(value, &seed) || seed == 0) return Reason(error, errorSize, name, value, "give a random state from 1 to 0xFFFFFFFF");
            (field == kFieldSeed ? r->seed : r->paletteSeed) = seed;
            return true;
        }
        case kFieldPalette: {
            char16_t wide[16] = {};
            const size_t n = std::strlen(value);
            for (size_t i = 0; i < n && i + 1 < 16; ++i) wide[i] = static_cast<char16_t>(value[i]);
            const int32_t preset = IsLetters(value) && n < 16 ? FindPresetByName(wide) : -1;
            if (preset < 0) return Reason(error, errorSize, name, value, "no such palette preset");
            r->preset = preset;
            return true;
        }
        case kFieldSpeed:
            return ReadRange(value, 1, kRecipeMaxIntervalMs, &r->intervalMs) ||
                   Reason(error, errorSize, name, value, "give a rotation interval from 1 to 655350 ms");
        case kFieldStep:
            if (!ReadRange(value, 1, 8, &r->step) || (r->step & (r->step - 1)) != 0) return Reason(error, errorSize, name, value, "give 1, 2, 4 or 8");
            return true;
        case kFieldDirection:
            if (!ReadRange(value, -1, 1, &r->direction) || r->direction == 0) return Reason(error, errorSize, name, value, "give 1 or -1");
            return true;
        case kFieldPaused:
            return ReadRange(value, 0, 1, &r->paused) || Reason(error, errorSize, name, value, "give 0 or 1");
        case kFieldHue:
            return ReadRealRange(value, -kRecipeMaxHue, kRecipeMaxHue, &r->hueShift) ||
                   Reason(error, errorSize, name, value, "give a number of degrees from -36000 to 36000");
        case kFieldSaturation:
        case kFieldBrightness:
            return ReadRealRange(value, 0.0, kRecipeMaxFactor,
                                 field == kFieldSaturation ? &r->saturationFactor : &r->brightnessFactor) ||
                   Reason(error, errorSize, name, value, "give a factor from 0 to 100");
        case kFieldTicks:
        case kFieldZoomFrames:
            return ReadRange(value, 0, INT32_MAX, field == kFieldTicks ? &r->ticks : &r->zoomFrames) ||
                   Reason(error, errorSize, name, value, "give a whole number from 0 to 2147483647");
        default: {  // size
            int64_t w = 0;
            int64_t h = 0;
            if (!ReadSizeText(value, &w, &h)) return Reason(error, errorSize, name, value, "give the Canvas size as WIDTHxHEIGHT");
            const char* problem = SizeProblem(w, h);
            if (problem) return Reason(error, errorSize, name, value, problem);
            r->width = static_cast<int32_t>(w);
            r->height = static_cast<int32_t>(h);
            return true;
        }
    }
}
}  // namespace

int32_t FormatScriptNumber(double value, char* out, size_t outSize) {
    char text[48];
    if (value == 0.0 || !std::isfinite(value)) {
        std::snprintf(text, sizeof text, "%s", value == 0.0 ? "0" : std::isnan(value) ? "NaN" : value > 0 ? "Infinity" : "-Infinity");
    } else {
        char digits[24];
        int k = 0;
        int n = 0;
        ShortestDigits(std::fabs(value), digits, &k, &n);
        char* p = text;
        if (value < 0) *p++ = '-';
        if (k <= n && n <= 21) {
            p += std::sprintf(p, "%s", digits);
            for (int i = 0; i < n - k; ++i) *p++ = '0';
        } else if (n > 0 && n <= 21) {
            p += std::sprintf(p, "%.*s.%s", n, digits, digits + n);
        } else if (n > -6 && n <= 0) {
            *p++ = '0';
            *p++ = '.';
            for (int i = 0; i < -n; ++i) *p++ = '0';
            p += std::sprintf(p, "%s", digits);
        } else {
            *p++ = digits[0];
            if (k > 1) p += std::sprintf(p, ".%s", digits + 1);
            p += std::sprintf(p, "e%c%d", n - 1 < 0 ? '-' : '+', std::abs(n - 1));
        }
        *p = '\0';
    }
    return std::snprintf(out, outSize, "%s", text);
}

// The ticks that turn the palette as made (and adjusted once) into the one on the
// screen, at the rotation set now. Without an adjustment: the places turned, over
// the places one tick turns (a step of 1, 2, 4 or 8 has an inverse on the ring of
// 255). With one, each tick also compounds it: the ticks since it was set, exact
// when the colours had not turned before that.
int32_t RecipeTicks() {
    if (art.hueShift != 0.0 || art.saturationFactor != 1.0 || art.brightnessFactor != 1.0) {
        return art.ticksSinceAdjustment;
    }
    const int32_t places = ((art.rotationStep * art.rotationDirection) % kRingSize + kRingSize) % kRingSize;
    for (int32_t ticks = 0; ticks < kRingSize; ++ticks) {
        if (ticks * places % kRingSize == art.ringTurned) return ticks;
    }
    return 0;
}

Recipe ScreenRecipe(int32_t pictureMode, uint32_t pictureState, uint32_t paletteState, int32_t zoomFrames) {
    Recipe r;
    r.mode = pictureMode;
    r.seed = pictureState;
    r.paletteSeed = paletteState;
    r.preset = art.currentPreset;
    r.intervalMs = art.rotationIntervalMs;
    r.step = art.rotationStep;
    r.direction = art.rotationDirection;
    r.paused = art.paused;
    r.hueShift = art.hueShift;
    r.saturationFactor = art.saturationFactor;
    r.brightnessFactor = art.brightnessFactor;
    r.zoomFrames = pictureMode == kZoomModeNumber ? zoomFrames : 0;
    r.ticks = RecipeTicks();
    r.width = art.canvasWidth;
    r.height = art.canvasHeight;
    return r;
}

int32_t FormatLinkParameters(const Recipe& r, char* out, size_t outSize) {
    const int32_t preset = r.preset >= 0 && r.preset < kPresetCount ? r.preset : 0;
    char lower[16] = {};
    for (size_t i = 0; PresetNames[preset][i] && i + 1 < sizeof lower; ++i) {
        const char c = PresetNames[preset][i];
        lower[i] = c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
    }
    char text[kRecipeCapacity];
    size_t length = static_cast<size_t>(
        std::snprintf(text, sizeof text, "mode=%d&seed=0x%X&paletteseed=0x%X&palette=%s&speed=%d&step=%d&direction=%d&paused=%d",
                      r.mode, r.seed, r.paletteSeed, lower, r.intervalMs, r.step, r.direction, r.paused));
    char number[48];
    bool fits = length < sizeof text;
    if (fits && !NeutralAdjustment(r)) {
        const double values[3] = {r.hueShift, r.saturationFactor, r.brightnessFactor};
        const char* names[3] = {"&hue=", "&saturation=", "&brightness="};
        for (int i = 0; i < 3 && fits; ++i) {
            FormatScriptNumber(values[i], number, sizeof number);
            fits = Append(text, sizeof text, &length, names[i]) && Append(text, sizeof text, &length, number);
        }
    }
    if (fits && r.ticks != 0) {
        std::snprintf(number, sizeof number, "&ticks=%d", r.ticks);
        fits = Append(text, sizeof text, &length, number);
    }
    if (fits && r.zoomFrames != 0) {
        std::snprintf(number, sizeof number, "&zoomframes=%d", r.zoomFrames);
        fits = Append(text, sizeof text, &length, number);
    }
    if (!fits || length + 1 > outSize) return -1;
    std::memcpy(out, text, length + 1);
    return static_cast<int32_t>(length);
}

int32_t FormatRecipe(const Recipe& r, char* out, size_t outSize) {
    const int32_t length = FormatLinkParameters(r, out, outSize);
    if (length < 0) return -1;
    const int n = std::snprintf(out + length, outSize - static_cast<size_t>(length), "&size=%dx%d", r.width, r.height);
    if (n < 0 || static_cast<size_t>(length + n) + 1 > outSize) return -1;
    return length + n;
}

int32_t ParseRecipe(const char* text, Recipe* recipe, char* error, size_t errorSize) {
    if (errorSize > 0) error[0] = '\0';
    if (std::strlen(text) >= kRecipeCapacity) {
        std::snprintf(error, errorSize, "longer than any recipe (%zu characters)", std::strlen(text));
        return -1;
    }
    Recipe r;
    bool seen[kFieldCount] = {};
    for (const char* p = text; *p;) {
        const char* end = std::strchr(p, '&');
        if (!end) end = p + std::strlen(p);
        char part[kRecipeCapacity];
        std::memcpy(part, p, static_cast<size_t>(end - p));
        part[end - p] = '\0';
        p = *end ? end + 1 : end;
        if (!*p && *end) {
            std::snprintf(error, errorSize, "ends in '&'");
            return -1;
        }
        char* equals = std::strchr(part, '=');
        if (!equals) {
            Reason(error, errorSize, "field", part, "not NAME=VALUE");
            return -1;
        }
        *equals = '\0';
        int32_t field = 0;
        while (field < kFieldCount && std::strcmp(part, FieldNames[field].name) != 0) ++field;
        if (field == kFieldCount) {
            Reason(error, errorSize, "field", part, "no such field");
            return -1;
        }
        if (seen[field]) {
            std::snprintf(error, errorSize, "'%s' given twice", FieldNames[field].name);
            return -1;
        }
        seen[field] = true;
        if (!ReadField(field, equals + 1, &r, error, errorSize)) return -1;
    }
    for (int32_t field = 0; field < kFieldCount; ++field) {
        if (FieldNames[field].required && !seen[field]) {
            std::snprintf(error, errorSize, "no '%s' in it", FieldNames[field].name);
            return -1;
        }
    }
    *recipe = r;
    return 0;
}

#include "linux/options_linux.h"

#include <cstdio>
#include <cstring>

#include "app/art_state.h"
#include "app/command_line.h"
#include "app/memory.h"

const char* const LinuxUsage =
    "Usage: huemix [options]\n"
    "Random art in colour cycling, full screen or in a window.\n"
    "\n"
    "  --windowed          a window instead of the full screen\n"
    "  --mode N            start in drawing mode N, 1 to 9\n"
    "  --palette NAME      RANDOM FIRE OCEAN FOREST GRAY CGA AMIGA SUNSET NEON PASTEL IBM\n"
    "  --speed MS          milliseconds per palette rotation step (default 50)\n"
    "  --monitor N         full screen on display N, counted from 0\n"
    "  --seed N            the random state the first picture is drawn from (0x hex or decimal)\n"
    "  --palette-seed N    the random state the first palette is made from\n"
    "  --version           the release number\n"
    "  --help              this text\n"
    "\n"
    "As an xscreensaver hack it draws into a window it is handed: XSCREENSAVER_WINDOW,\n"
    "--window-id ID or --root. There --mode 0 (the default) shows the modes in turn,\n"
    "--seconds N (10 to 600, default 30) is each picture's time, --palette and --speed\n"
    "as above, --step N (1, 2, 4 or 8) the places per rotation step.\n";

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexValue(char c) {
    if (IsDigit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Digits only, at most maxDigits of them, in base 16 after "0x" or else base 10.
bool ReadUnsigned(const char* text, int maxHexDigits, int maxDecimalDigits, uint64_t* value) {
    if (!text) return false;
    uint64_t v = 0;
    int digits = 0;
    if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        for (const char* c = text + 2; *c; ++c, ++digits) {
            const int d = HexValue(*c);
            if (d < 0 || digits >= maxHexDigits) return false;
            v = v * 16 + static_cast<uint64_t>(d);
        }
    } else {
        for (const char* c = text; *c; ++c, ++digits) {
            if (!IsDigit(*c) || digits >= maxDecimalDigits) return false;
            v = v * 10 + static_cast<uint64_t>(*c - '0');
        }
    }
    if (digits == 0) return false;
    *value = v;
    return true;
}

// The five options of the Windows program, read by the core as there. The options are
// ASCII, so each byte widened to a UTF-16 unit reads the same.
void ReadProgramOptions(int argc, const char* const* argv) {
    size_t units = 0;
    for (int i = 0; i < argc; ++i) units += std::strlen(argv[i]) + 1;
    char16_t** wide = static_cast<char16_t**>(ArtAllocZeroed(static_cast<size_t>(argc) + 1, sizeof(char16_t*)));
    char16_t* text = static_cast<char16_t*>(ArtAllocZeroed(units + 1, sizeof(char16_t)));
    if (wide && text) {
        char16_t* next = text;
        for (int i = 0; i < argc; ++i) {
            wide[i] = next;
            for (const char* c = argv[i]; *c; ++c) *next++ = static_cast<char16_t>(static_cast<unsigned char>(*c));
            *next++ = u'\0';
        }
        ParseArguments(argc, wide);
    }
    ArtFree(text);
    ArtFree(wide);
}

bool Is(const char* arg, const char* name) { return std::strcmp(arg, name) == 0; }

int32_t ReadInteger(const char* text) {
    char16_t wide[32] = {};
    for (int i = 0; i < 31 && text[i]; ++i) wide[i] = static_cast<char16_t>(static_cast<unsigned char>(text[i]));
    return ReadIntegerValue(wide);
}

void Warn(char* warning, size_t size, const char* option, const char* value) {
    if (warning && size > 0 && warning[0] == '\0') {
        std::snprintf(warning, size, "%s %s: not a random state (0x1 to 0xFFFFFFFF), left out", option, value);
    }
}

// The hack's settings: the saver's defaults, with what the command line chose brought
// into each setting's range by the saver's own rule.
SaverSettings HackSettings(int32_t secondsGiven, int32_t seconds, int32_t stepGiven, int32_t step) {
    SaverSettings s = DefaultSaverSettings();
    s.values[kSettingMode] = ClampSaverSetting(kSettingMode, art.modeOption);
    if (art.paletteOption >= 0) s.values[kSettingPalette] = static_cast<uint32_t>(art.paletteOption);
    if (art.speedOption != 0) s.values[kSettingRotationMs] = ClampSaverSetting(kSettingRotationMs, art.speedOption);
    if (secondsGiven) s.values[kSettingSecondsPerMode] = ClampSaverSetting(kSettingSecondsPerMode, seconds);
    if (stepGiven) s.values[kSettingRotationStep] = ClampSaverSetting(kSettingRotationStep, step);
    return s;
}

}  // namespace

int ReadWindowId(const char* text, uint64_t* id) {
    uint64_t v = 0;
    if (!ReadUnsigned(text, 8, 10, &v) || v == 0 || v > 0x1FFFFFFFu) return 0;
    *id = v;
    return 1;
}

int ReadRandomState(const char* text, uint32_t* state) {
    uint64_t v = 0;
    if (!ReadUnsigned(text, 8, 10, &v) || v == 0 || v > 0xFFFFFFFFu) return 0;
    *state = static_cast<uint32_t>(v);
    return 1;
}

LinuxOptions ReadLinuxOptions(int argc, const char* const* argv, const char* saverWindow, char* warning,
                              size_t warningSize) {
    LinuxOptions o = {};
    o.run = LinuxRun::Program;
    if (warning && warningSize > 0) warning[0] = '\0';
    if (!argv || argc < 1) return o;
    ReadProgramOptions(argc, argv);

    int32_t windowIdGiven = 0, secondsGiven = 0, seconds = 0, stepGiven = 0, step = 0;
    const char* badWindowId = nullptr;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (Is(arg, "--version")) {
            o.run = LinuxRun::Version;
            return o;
        }
        if (Is(arg, "--help") || Is(arg, "-h")) {
            o.run = LinuxRun::Help;
            return o;
        }
        if (Is(arg, "--root")) {
            o.rootWindow = 1;
        } else if (Is(arg, "--window-id")) {
            windowIdGiven = 1;
            if (!value || !ReadWindowId(value, &o.windowId)) badWindowId = value ? value : "(nothing)";
            if (value) ++i;
        } else if (value && Is(arg, "--seed")) {
            o.seedGiven = ReadRandomState(value, &o.seed);
            if (!o.seedGiven) Warn(warning, warningSize, arg, value);
            ++i;
        } else if (value && Is(arg, "--palette-seed")) {
            o.paletteSeedGiven = ReadRandomState(value, &o.paletteSeed);
            if (!o.paletteSeedGiven) Warn(warning, warningSize, arg, value);
            ++i;
        } else if (value && Is(arg, "--seconds")) {
            secondsGiven = 1;
            seconds = ReadInteger(value);
            ++i;
        } else if (value && Is(arg, "--step")) {
            stepGiven = 1;
            step = ReadInteger(value);
            ++i;
        }
    }

    if (badWindowId) {
        std::snprintf(o.error, sizeof o.error, "--window-id %s: not an X window id (0x hex or decimal)", badWindowId);
        o.run = LinuxRun::Error;
        return o;
    }
    if (!windowIdGiven && saverWindow && saverWindow[0]) {
        if (!ReadWindowId(saverWindow, &o.windowId)) {
            std::snprintf(o.error, sizeof o.error, "XSCREENSAVER_WINDOW=%s: not an X window id", saverWindow);
            o.run = LinuxRun::Error;
            return o;
        }
        windowIdGiven = 1;
    }
    if (windowIdGiven) o.rootWindow = 0;  // a window given by id or by xscreensaver wins over --root
    if (windowIdGiven || o.rootWindow) {
        o.run = LinuxRun::Hack;
        o.saver = HackSettings(secondsGiven, seconds, stepGiven, step);
    }
    return o;
}

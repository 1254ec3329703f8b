#include "export/offline_options.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/command_line.h"
#include "export/option_text.h"
#include "palette/presets.h"

const char* const OfflineUsage =
    "Usage: huemix-render [options] -o FILE\n"
    "Renders a Huemix picture exactly as the program would show it, without a window.\n"
    "The file's ending chooses the output: .png (a still picture), .gif (an animation)\n"
    "or .webm (the animation as a VP9 video).\n"
    "\n"
    "  -o FILE             the picture to write (.png, .gif or .webm)\n"
    "  --recipe FILE.png   draw again the picture of a PNG that huemix-render or the\n"
    "                      page wrote, from the recipe in its Comment text; takes\n"
    "                      only -o, --overlay, --frames and --threads beside it\n"
    "  --size WxH          Canvas size, raised to at least 320x200 (default 1920x1080)\n"
    "  --seed N            random seed, decimal or 0x hex; 0 means 0xC0FFEE\n"
    "                      (default: from the clock, as the program seeds)\n"
    "  --palette NAME      preset: RANDOM FIRE OCEAN FOREST GRAY CGA AMIGA SUNSET NEON\n"
    "                      PASTEL IBM, any case (default RANDOM)\n"
    "  --mode N            drawing mode 0 to 9 (0 is the splash screen; other numbers\n"
    "                      draw mode 1, as the program does) (default 1)\n"
    "  --zoom-frames F     in mode 8, F further zoom frames after the first (default 0)\n"
    "  --hue DEG           hue shift in degrees, -36000 to 36000 (default 0)\n"
    "  --saturation X      saturation factor, 0 to 100 (default 1)\n"
    "  --brightness Y      brightness factor, 0 to 100 (default 1); unless all three\n"
    "                      are neutral the adjustment is applied once, as a key\n"
    "                      press does\n"
    "  --ticks T           palette rotation ticks after the adjustment (default 0);\n"
    "                      an adjustment compounds from tick to tick\n"
    "  --step K            places per tick: 1, 2, 4 or 8 (default 1)\n"
    "  --direction D       +1 or -1 (default +1)\n"
    "  --paused            ticks do nothing, as while the program is paused\n"
    "  --overlay KIND      none: the indexed picture (default); strip: the frame with\n"
    "                      the status strip (its interval is --delay, auto-cycle off,\n"
    "                      no hint); help: the frame with the help screen\n"
    "  --frames N          an animation of N frames, one rotation tick apart; in\n"
    "                      mode 8 the zoom also moves on every 120 ms (default 1, and\n"
    "                      255 for a video: one seamless loop)\n"
    "  --delay MS          time per frame, 1 to 655350 ms (default 50); the GIF stores\n"
    "                      it rounded to the nearest centisecond, at least 1\n"
    "  --threads N         draw on N threads, 1 to 64; the picture is the same on any\n"
    "                      number (default: one per logical processor)\n"
    "  -h, --help          this text\n"
    "  --version           the release number\n"
    "\n"
    "A .png with --overlay none is an 8-bit palette PNG whose pixel values are the\n"
    "Canvas indices and whose palette is the 256 colours; with an overlay it is an RGB\n"
    "PNG. 255 frames of step 1 without adjustment make a seamless loop. A GIF frame\n"
    "holds 256 colours, so a .gif takes --overlay none or help; a .webm shows the\n"
    "same frames. Every PNG carries its recipe in a Comment text, and a video in its\n"
    "comment tag.\n"
    "On success one line names the file, size, mode, preset, seed and the random state\n"
    "after drawing; on a terminal a long animation shows its progress meanwhile. Bad\n"
    "options print one line and exit with code 2, leaving no file.\n";

void ApplyRecipe(const Recipe& r, OfflineOptions* o) {
    o->width = r.width;
    o->height = r.height;
    o->seedGiven = 1;
    o->seed = r.paletteSeed;
    o->pictureSeed = r.seed;
    o->preset = r.preset;
    o->mode = r.mode;
    o->zoomFrames = r.zoomFrames;
    o->hueShift = r.hueShift;
    o->saturationFactor = r.saturationFactor;
    o->brightnessFactor = r.brightnessFactor;
    o->ticks = r.ticks;
    o->ticksTurned = 1;
    o->step = r.step;
    o->direction = r.direction;
    o->paused = r.paused;
    o->delayMs = r.intervalMs;
}

namespace {
// Builds "<option> '<value>': <problem>" into the caller's buffer.
void Fail(char* error, size_t errorSize, const char* option, const char* value, const char* problem) {
    char quoted[72];
    QuoteArgument(value, quoted, sizeof quoted);
    std::snprintf(error, errorSize, "%s '%s': %s", option, quoted, problem);
}

bool ReadWholeInRange(const char* text, int64_t lo, int64_t hi, int32_t* out) {
    int64_t v = 0;
    if (!ReadWholeText(text, &v) || v < lo || v > hi) return false;
    *out = static_cast<int32_t>(v);
    return true;
}

// The arguments arrive as UTF-8; the program reads its options as UTF-16 code units.
// Decoding first lets the value go through the program's own readers unchanged.
void ToUtf16(const char* text, char16_t* out, size_t capacity) {
    size_t n = 0;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    while (*p && n + 2 < capacity) {
        uint32_t c = *p++;
        int more = 0;
        if (c >= 0xF0 && c < 0xF8) {
            c &= 0x07;
            more = 3;
        } else if (c >= 0xE0) {
            c &= 0x0F;
            more = 2;
        } else if (c >= 0xC0) {
            c &= 0x1F;
            more = 1;
        } else if (c >= 0x80) {
            c = 0xFFFD;  // a stray continuation byte
        }
        for (; more > 0; --more) {
            if ((*p & 0xC0) != 0x80) {
                c = 0xFFFD;
                break;
            }
            c = (c << 6) | (*p++ & 0x3F);
        }
        if (c > 0x10FFFF) c = 0xFFFD;
        if (c >= 0x10000) {
            c -= 0x10000;
            out[n++] = static_cast<char16_t>(0xD800 + (c >> 10));
            out[n++] = static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            out[n++] = static_cast<char16_t>(c);
        }
    }
    out[n] = u'\0';
}

bool EndsWith(const char* text, const char* ending) {
    size_t n = std::strlen(text);
    size_t m = std::strlen(ending);
    if (n < m) return false;
    for (size_t i = 0; i < m; ++i) {
        char c = text[n - m + i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
        if (c != ending[i]) return false;
    }
    return true;
}

bool Same(const char* a, const char* b) { return std::strcmp(a, b) == 0; }
}  // namespace

int32_t GifDelayCentiseconds(int32_t delayMs) {
    int32_t cs = (delayMs + 5) / 10;
    return cs < 1 ? 1 : cs;
}

int32_t ParseOfflineOptions(int argc, const char* const* argv, OfflineOptions* options, char* error,
                            size_t errorSize) {
    OfflineOptions o;
    if (errorSize > 0) error[0] = '\0';
    bool framesGiven = false;
    const char* pictureOption = nullptr;  // the first option that a recipe also sets
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (Same(arg, "--help") || Same(arg, "-h")) return kParseHelp;
        if (Same(arg, "--version")) return kParseVersion;
        // What a recipe sets cannot also come from the command line.
        static const char* const recipeSets[] = {
            "--size", "--seed",  "--palette", "--mode",      "--zoom-frames", "--hue",   "--saturation",
            "--brightness", "--ticks", "--step", "--direction", "--paused", "--delay",
        };
        for (const char* name : recipeSets) {
            if (!pictureOption && Same(arg, name)) pictureOption = name;
        }
        if (Same(arg, "--paused")) {
            o.paused = 1;
            continue;
        }
        static const char* const valued[] = {
            "-o",    "--size",       "--seed",  "--palette", "--mode",      "--zoom-frames",
            "--hue", "--saturation", "--brightness", "--ticks", "--step", "--direction",
            "--overlay", "--frames", "--delay", "--threads", "--recipe",
        };
        bool known = false;
        for (const char* name : valued) known = known || Same(arg, name);
        if (!known) {
            char quoted[72];
            QuoteArgument(arg, quoted, sizeof quoted);
            if (arg[0] == '-') {
                std::snprintf(error, errorSize, "unknown option '%s' (see --help)", quoted);
            } else {
                std::snprintf(error, errorSize, "unexpected argument '%s' (see --help)", quoted);
            }
            return kParseError;
        }
        if (i + 1 >= argc) {
            std::snprintf(error, errorSize, "%s needs a value (see --help)", arg);
            return kParseError;
        }
        const char* value = argv[++i];

        if (Same(arg, "-o")) {
            if (!*value) {
                std::snprintf(error, errorSize, "-o needs a file name");
                return kParseError;
            }
            o.output = value;
        } else if (Same(arg, "--size")) {
            int64_t w = 0;
            int64_t h = 0;
            if (!ReadSizeText(value, &w, &h)) {
                Fail(error, errorSize, arg, value, "give the size as WIDTHxHEIGHT, such as 1920x1080");
                return kParseError;
            }
            if (const char* problem = SizeProblem(w, h)) {
                Fail(error, errorSize, arg, value, problem);
                return kParseError;
            }
            o.width = static_cast<int32_t>(w);
            o.height = static_cast<int32_t>(h);
        } else if (Same(arg, "--seed")) {
            if (!ReadSeedText(value, &o.seed)) {
                Fail(error, errorSize, arg, value, "give a whole number from 0 to 4294967295, or 0x and hex digits");
                return kParseError;
            }
            o.seedGiven = 1;
        } else if (Same(arg, "--palette")) {
            char16_t wide[64];
            ToUtf16(value, wide, 64);
            int32_t preset = FindPresetByName(wide);
            if (preset < 0) {
                Fail(error, errorSize, arg, value,
                     "no such preset (RANDOM FIRE OCEAN FOREST GRAY CGA AMIGA SUNSET NEON PASTEL IBM)");
                return kParseError;
            }
            o.preset = preset;
        } else if (Same(arg, "--mode")) {
            // Any whole number is a mode: SelectMode turns the unknown ones into mode 1.
            int64_t ignored = 0;
            if (!ReadWholeText(value, &ignored)) {
                Fail(error, errorSize, arg, value, "give a whole number (0 to 9)");
                return kParseError;
            }
            char16_t wide[64];
            ToUtf16(value, wide, 64);
            o.mode = ReadIntegerValue(wide);
        } else if (Same(arg, "--zoom-frames") || Same(arg, "--ticks")) {
            int32_t* field = Same(arg, "--ticks") ? &o.ticks : &o.zoomFrames;
            if (!ReadWholeInRange(value, 0, INT32_MAX, field)) {
                Fail(error, errorSize, arg, value, "give a whole number from 0 to 2147483647");
                return kParseError;
            }
        } else if (Same(arg, "--hue") || Same(arg, "--saturation") || Same(arg, "--brightness")) {
            double* field = Same(arg, "--hue")          ? &o.hueShift
                            : Same(arg, "--saturation") ? &o.saturationFactor
                                                        : &o.brightnessFactor;
            // The recipe's ranges, so that the picture's recipe can be read back.
            const bool hue = field == &o.hueShift;
            const double lo = hue ? -kRecipeMaxHue : 0.0;
            const double hi = hue ? kRecipeMaxHue : kRecipeMaxFactor;
            if (!ReadRealText(value, field) || *field < lo || *field > hi) {
                Fail(error, errorSize, arg, value,
                     hue ? "give a decimal number from -36000 to 36000" : "give a decimal number from 0 to 100");
                return kParseError;
            }
        } else if (Same(arg, "--step")) {
            int32_t step = 0;
            if (!ReadWholeInRange(value, 1, 8, &step) || (step & (step - 1)) != 0) {
                Fail(error, errorSize, arg, value, "give 1, 2, 4 or 8");
                return kParseError;
            }
            o.step = step;
        } else if (Same(arg, "--direction")) {
            int64_t d = 0;
            if (!ReadWholeText(value, &d) || (d != 1 && d != -1)) {
                Fail(error, errorSize, arg, value, "give +1 or -1");
                return kParseError;
            }
            o.direction = static_cast<int32_t>(d);
        } else if (Same(arg, "--overlay")) {
            if (Same(value, "none")) {
                o.overlay = kOverlayNone;
            } else if (Same(value, "strip")) {
                o.overlay = kOverlayStrip;
            } else if (Same(value, "help")) {
                o.overlay = kOverlayHelp;
            } else {
                Fail(error, errorSize, arg, value, "give none, strip or help");
                return kParseError;
            }
        } else if (Same(arg, "--frames")) {
            if (!ReadWholeInRange(value, 1, kOfflineMaxFrames, &o.frames)) {
                Fail(error, errorSize, arg, value, "give a whole number from 1 to 65535");
                return kParseError;
            }
            framesGiven = true;
        } else if (Same(arg, "--recipe")) {
            if (!*value) {
                std::snprintf(error, errorSize, "--recipe needs a file name");
                return kParseError;
            }
            o.recipePath = value;
        } else if (Same(arg, "--threads")) {
            if (!ReadWholeInRange(value, 1, kOfflineMaxThreads, &o.threads)) {
                Fail(error, errorSize, arg, value, "give a whole number from 1 to 64");
                return kParseError;
            }
        } else {  // --delay
            if (!ReadWholeInRange(value, 1, kOfflineMaxDelayMs, &o.delayMs)) {
                Fail(error, errorSize, arg, value, "give a whole number of milliseconds from 1 to 655350");
                return kParseError;
            }
        }
    }

    // Checks of the whole command line, once every option has its last value.
    if (!o.output) {
        std::snprintf(error, errorSize, "no output file: give -o FILE.png, FILE.gif or FILE.webm (see --help)");
        return kParseError;
    }
    if (EndsWith(o.output, ".png")) {
        o.format = kFormatPng;
    } else if (EndsWith(o.output, ".gif")) {
        o.format = kFormatGif;
    } else if (EndsWith(o.output, ".webm")) {
        o.format = kFormatWebm;
        if (!framesGiven) o.frames = kOfflineLoopFrames;
    } else {
        Fail(error, errorSize, "-o", o.output, "the file name must end in .png or .gif (or .webm for a video)");
        return kParseError;
    }
    if (o.format == kFormatPng && o.frames > 1) {
        std::snprintf(error, errorSize, "--frames %d: an animation needs a .gif or .webm file", o.frames);
        return kParseError;
    }
    if (o.recipePath && pictureOption) {
        std::snprintf(error, errorSize, "%s: --recipe sets the picture, so give one or the other", pictureOption);
        return kParseError;
    }
    if (o.format == kFormatWebm && o.overlay == kOverlayStrip) {
        std::snprintf(error, errorSize,
                      "--overlay strip: a video shows the frames a GIF would, which cannot hold the "
                      "strip; use --overlay none or help");
        return kParseError;
    }
    if (o.format == kFormatGif && o.overlay == kOverlayStrip) {
        std::snprintf(error, errorSize,
                      "--overlay strip: a GIF frame holds only 256 colours, too few for the "
                      "darkened strip; write a .png, or use --overlay none or help");
        return kParseError;
    }
    *options = o;
    return kParseOk;
}

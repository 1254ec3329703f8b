// Fuzz target: the command-line reader over arbitrary UTF-16 argument vectors.
//
// The input bytes are read as little-endian UTF-16 code units; a zero unit ends one
// argument and starts the next, and an odd last byte is dropped. Every argument gets a
// heap block of exactly its length plus the terminator, and the vector exactly argc
// pointers, so that any read past either is an AddressSanitizer report.
//
// After ParseArguments the five option fields must be in their ranges and nothing else
// in art may have changed; after applying them the interval and the preset must be
// valid. The two value readers are also compared, on every argument,
// with plain reference readings built from the C library.
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <strings.h>
#include <vector>

#include "app/art_state.h"
#include "app/command_line.h"
#include "app/startup.h"
#include "palette/presets.h"

namespace {

// The libFuzzer way to report a finding that no sanitizer sees.
[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "fuzz_command_line: %s\n", what);
    std::abort();
}

void Check(bool ok, const char* what) {
    if (!ok) Fail(what);
}

std::vector<std::u16string> SplitArguments(const uint8_t* data, size_t size) {
    std::vector<std::u16string> args(1);
    for (size_t i = 0; i + 1 < size; i += 2) {
        const char16_t unit = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
        if (unit == 0) {
            args.emplace_back();
        } else {
            args.back().push_back(unit);
        }
    }
    return args;
}

// The integer reading by strtoll: every unit that is not ASCII becomes a letter, which
// stops the digits just as any other non-digit does; then the result is clamped.
int32_t ReferenceInteger(const std::u16string& text) {
    std::string narrow;
    for (char16_t unit : text) narrow.push_back(unit < 0x80 ? static_cast<char>(unit) : 'x');
    long long value = std::strtoll(narrow.c_str(), nullptr, 10);
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(value);
}

// The preset by name: low bytes of at most 31 units (a zero byte ends the name), then a
// case-blind comparison of the ASCII letters with each name in order.
int32_t ReferencePreset(const std::u16string& text) {
    std::string name;
    for (size_t i = 0; i < text.size() && i < 31; ++i) name.push_back(static_cast<char>(text[i] & 0xFF));
    name = name.c_str();  // cut at the first zero byte
    for (int preset = 0; preset < kPresetCount; ++preset) {
        if (strcasecmp(name.c_str(), PresetNames[preset]) == 0) return preset;
    }
    return -1;
}

// Everything in art besides the five option fields, as the defaults left it.
void CheckUntouched(const ArtState& before) {
    Check(art.rotationIntervalMs == before.rotationIntervalMs && art.rotationStep == before.rotationStep &&
              art.rotationDirection == before.rotationDirection && art.fullScreen == before.fullScreen &&
              art.statusStripShown == before.statusStripShown && art.hintEnabled == before.hintEnabled &&
              art.randomState == before.randomState && art.currentMode == before.currentMode &&
              art.currentPreset == before.currentPreset && art.canvasWidth == before.canvasWidth &&
              art.canvasHeight == before.canvasHeight && art.canvas == before.canvas &&
              art.saturationFactor == before.saturationFactor &&
              art.brightnessFactor == before.brightnessFactor && art.hueShift == before.hueShift &&
              art.detailScale == before.detailScale && art.paused == before.paused &&
              art.helpShown == before.helpShown && art.autoCycle == before.autoCycle &&
              std::memcmp(art.palette, before.palette, sizeof art.palette) == 0,
          "the command line changed a field that is not an option");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<std::u16string> args = SplitArguments(data, size);
    const int argc = static_cast<int>(args.size());

    // Exact-size copies: the program path first, as the system would give it.
    std::vector<char16_t*> blocks;
    for (const std::u16string& arg : args) {
        char16_t* block = new char16_t[arg.size() + 1];
        std::memcpy(block, arg.c_str(), (arg.size() + 1) * sizeof(char16_t));
        blocks.push_back(block);
    }
    const char16_t** argv = new const char16_t*[argc];
    for (int i = 0; i < argc; ++i) argv[i] = blocks[i];

    ResetArtState();
    const ArtState before = art;
    ParseArguments(argc, argv);

    Check(art.windowedOption == 0 || art.windowedOption == 1, "windowedOption is not 0 or 1");
    Check(art.paletteOption >= -1 && art.paletteOption < kPresetCount, "paletteOption out of range");
    CheckUntouched(before);

    // Start-up applies the options: the interval stays positive and the preset valid.
    ApplyOptions();
    Check(art.rotationIntervalMs > 0, "rotationIntervalMs not positive after the options");
    Check(art.currentPreset >= 0 && art.currentPreset < kPresetCount, "currentPreset out of range");

    // Each argument as a value: the readers must agree with the references.
    for (int i = 0; i < argc; ++i) {
        Check(ReadIntegerValue(argv[i]) == ReferenceInteger(args[i]), "integer value misread");
        Check(FindPresetByName(argv[i]) == ReferencePreset(args[i]), "preset name misread");
    }

    // A vector of one, or none at all, leaves every default.
    ResetArtState();
    ParseArguments(1, argv);
    ParseArguments(0, nullptr);
    Check(art.windowedOption == 0 && art.modeOption == 0 && art.speedOption == 0 &&
              art.monitorOption == -1 && art.paletteOption == -1,
          "the program path alone changed an option");

    delete[] argv;
    for (char16_t* block : blocks) delete[] block;
    return 0;
}

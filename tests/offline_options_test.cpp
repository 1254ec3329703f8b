#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "export/offline_options.h"

namespace {
struct Parsed {
    int32_t result;
    OfflineOptions options;
    std::string error;
};

Parsed Parse(std::vector<const char*> args) {
    args.insert(args.begin(), "huemix-render");
    Parsed p;
    char error[256];
    p.result = ParseOfflineOptions(static_cast<int>(args.size()), args.data(), &p.options, error, sizeof error);
    p.error = error;
    return p;
}

// An error: one line that names the option (or whatever the problem is about).
void ExpectError(std::vector<const char*> args, const std::string& naming) {
    Parsed p = Parse(args);
    std::string line;
    for (const char* a : args) line += std::string(a) + " ";
    EXPECT_EQ(p.result, kParseError) << line;
    EXPECT_NE(p.error.find(naming), std::string::npos) << line << "-> " << p.error;
    EXPECT_EQ(p.error.find('\n'), std::string::npos) << p.error;
}
}  // namespace

TEST(OfflineOptions, DefaultsWithOnlyTheOutput) {
    Parsed p = Parse({"-o", "pic.png"});
    ASSERT_EQ(p.result, kParseOk) << p.error;
    const OfflineOptions& o = p.options;
    EXPECT_EQ(o.width, 1920);
    EXPECT_EQ(o.height, 1080);
    EXPECT_EQ(o.seedGiven, 0);
    EXPECT_EQ(o.preset, 0);
    EXPECT_EQ(o.mode, 1);
    EXPECT_EQ(o.zoomFrames, 0);
    EXPECT_EQ(o.hueShift, 0.0);
    EXPECT_EQ(o.saturationFactor, 1.0);
    EXPECT_EQ(o.brightnessFactor, 1.0);
    EXPECT_EQ(o.ticks, 0);
    EXPECT_EQ(o.step, 1);
    EXPECT_EQ(o.direction, 1);
    EXPECT_EQ(o.paused, 0);
    EXPECT_EQ(o.overlay, kOverlayNone);
    EXPECT_EQ(o.frames, 1);
    EXPECT_EQ(o.delayMs, 50);
    EXPECT_STREQ(o.output, "pic.png");
    EXPECT_EQ(o.format, kFormatPng);
}

TEST(OfflineOptions, ReadsEveryOption) {
    Parsed p = Parse({"--size", "800x600", "--seed", "0xBADC0DE", "--palette", "sunset", "--mode", "8",
                      "--zoom-frames", "40", "--hue", "-12.5", "--saturation", "0.5", "--brightness", "1.4",
                      "--ticks", "300", "--step", "8", "--direction", "-1", "--paused", "--overlay", "help",
                      "--frames", "255", "--delay", "33", "-o", "loop.GIF"});
    ASSERT_EQ(p.result, kParseOk) << p.error;
    const OfflineOptions& o = p.options;
    EXPECT_EQ(o.width, 800);
    EXPECT_EQ(o.height, 600);
    EXPECT_EQ(o.seedGiven, 1);
    EXPECT_EQ(o.seed, 0xBADC0DEu);
    EXPECT_EQ(o.preset, 7);
    EXPECT_EQ(o.mode, 8);
    EXPECT_EQ(o.zoomFrames, 40);
    EXPECT_EQ(o.hueShift, -12.5);
    EXPECT_EQ(o.saturationFactor, 0.5);
    EXPECT_EQ(o.brightnessFactor, 1.4);
    EXPECT_EQ(o.ticks, 300);
    EXPECT_EQ(o.step, 8);
    EXPECT_EQ(o.direction, -1);
    EXPECT_EQ(o.paused, 1);
    EXPECT_EQ(o.overlay, kOverlayHelp);
    EXPECT_EQ(o.frames, 255);
    EXPECT_EQ(o.delayMs, 33);
    EXPECT_EQ(o.format, kFormatGif);  // the ending is matched in any case

    // As with the program's options, the last of two occurrences counts.
    p = Parse({"--mode", "3", "--mode", "5", "-o", "a.png", "-o", "b.png", "--direction", "+1"});
    ASSERT_EQ(p.result, kParseOk) << p.error;
    EXPECT_EQ(p.options.mode, 5);
    EXPECT_STREQ(p.options.output, "b.png");
    EXPECT_EQ(p.options.direction, 1);
}

TEST(OfflineOptions, PaletteIsReadAsTheProgramReadsIt) {
    for (const char* name : {"ocean", "Ocean", "OCEAN"}) {
        Parsed p = Parse({"--palette", name, "-o", "x.png"});
        ASSERT_EQ(p.result, kParseOk) << name;
        EXPECT_EQ(p.options.preset, 2) << name;
    }
    EXPECT_EQ(Parse({"--palette", "ibm", "-o", "x.png"}).options.preset, 10);
    // The program keeps the low byte of each UTF-16 unit: U+0146 reads as 'F'.
    Parsed p = Parse({"--palette", "\xC5\x86IRE", "-o", "x.png"});
    ASSERT_EQ(p.result, kParseOk) << p.error;
    EXPECT_EQ(p.options.preset, 1);
    // Names that the program would pass over are errors here; a number is no name.
    ExpectError({"--palette", "OCEANS", "-o", "x.png"}, "--palette 'OCEANS'");
    ExpectError({"--palette", "2", "-o", "x.png"}, "no such preset");
    ExpectError({"--palette", "", "-o", "x.png"}, "--palette");
}

TEST(OfflineOptions, ModeTakesAnyWholeNumberForSelectMode) {
    EXPECT_EQ(Parse({"--mode", "0", "-o", "x.png"}).options.mode, 0);
    EXPECT_EQ(Parse({"--mode", "12", "-o", "x.png"}).options.mode, 12);
    EXPECT_EQ(Parse({"--mode", "-1", "-o", "x.png"}).options.mode, -1);
    EXPECT_EQ(Parse({"--mode", "99999999999", "-o", "x.png"}).options.mode, INT32_MAX);
    ExpectError({"--mode", "plasma", "-o", "x.png"}, "--mode 'plasma'");
    ExpectError({"--mode", "8x", "-o", "x.png"}, "--mode");
    ExpectError({"--mode", "", "-o", "x.png"}, "--mode");
}

TEST(OfflineOptions, Sizes) {
    Parsed p = Parse({"--size", "100x50", "-o", "x.png"});  // raised to 320 x 200 by the job
    ASSERT_EQ(p.result, kParseOk);
    EXPECT_EQ(p.options.width, 100);
    EXPECT_EQ(p.options.height, 50);
    p = Parse({"--size", "65535X4096", "-o", "x.png"});
    ASSERT_EQ(p.result, kParseOk) << p.error;
    EXPECT_EQ(p.options.width, 65535);
    for (const char* bad : {"0x0", "0x200", "10x", "x10", "-5x5", "5x-5", "+5x5", "10", "10x20x30", "1.5x2",
                            " 10x20", "10 x20", "", "99999999x99999999", "65536x1", "1x99999999999999999999999"}) {
        ExpectError({"--size", bad, "-o", "x.png"}, "--size");
    }
    ExpectError({"--size", "20000x20000", "-o", "x.png"}, "pixels");
}

TEST(OfflineOptions, Seeds) {
    Parsed p = Parse({"--seed", "0", "-o", "x.png"});
    EXPECT_EQ(p.options.seedGiven, 1);
    EXPECT_EQ(p.options.seed, 0u);
    EXPECT_EQ(Parse({"--seed", "4294967295", "-o", "x.png"}).options.seed, 0xFFFFFFFFu);
    EXPECT_EQ(Parse({"--seed", "0xc0ffee", "-o", "x.png"}).options.seed, 0xC0FFEEu);
    EXPECT_EQ(Parse({"--seed", "0X0000002A", "-o", "x.png"}).options.seed, 42u);
    for (const char* bad : {"4294967296", "-1", "0x", "0x100000000", "12ab", "abc", ""}) {
        ExpectError({"--seed", bad, "-o", "x.png"}, "--seed");
    }
}

TEST(OfflineOptions, NumbersOutsideTheirRanges) {
    ExpectError({"--zoom-frames", "-1", "-o", "x.png"}, "--zoom-frames '-1'");
    ExpectError({"--ticks", "2147483648", "-o", "x.png"}, "--ticks");
    ExpectError({"--ticks", "ten", "-o", "x.png"}, "--ticks");
    for (const char* bad : {"0", "3", "16", "-1", "two"}) ExpectError({"--step", bad, "-o", "x.png"}, "--step");
    for (const char* bad : {"0", "2", "-2", "left"}) ExpectError({"--direction", bad, "-o", "x.png"}, "--direction");
    for (const char* bad : {"nan", "inf", "1e999", "10deg", "", " 5"}) {
        ExpectError({"--hue", bad, "-o", "x.png"}, "--hue");
    }
    ExpectError({"--saturation", "half", "-o", "x.png"}, "--saturation");
    ExpectError({"--brightness", "-", "-o", "x.png"}, "--brightness");
    ExpectError({"--overlay", "Strip", "-o", "x.png"}, "--overlay");
    ExpectError({"--frames", "0", "-o", "x.gif"}, "--frames '0'");
    ExpectError({"--frames", "65536", "-o", "x.gif"}, "--frames");
    ExpectError({"--delay", "0", "-o", "x.gif"}, "--delay '0'");
    ExpectError({"--delay", "655351", "-o", "x.gif"}, "--delay");
}

TEST(OfflineOptions, WholeCommandLineChecks) {
    ExpectError({}, "-o FILE");
    ExpectError({"--size", "640x400"}, "-o FILE");
    ExpectError({"-o", "picture.jpg"}, "-o 'picture.jpg'");
    ExpectError({"-o", "png"}, ".png or .gif");
    ExpectError({"-o", ""}, "-o");
    ExpectError({"--frames", "10", "-o", "x.png"}, ".gif");
    ExpectError({"--overlay", "strip", "-o", "x.gif"}, "--overlay strip");
    EXPECT_EQ(Parse({"--overlay", "help", "--frames", "3", "-o", "x.gif"}).result, kParseOk);
    EXPECT_EQ(Parse({"--frames", "1", "-o", "x.png"}).result, kParseOk);

    ExpectError({"--colour", "red", "-o", "x.png"}, "unknown option '--colour'");
    ExpectError({"--Mode", "3", "-o", "x.png"}, "unknown option '--Mode'");
    ExpectError({"--mode=3", "-o", "x.png"}, "unknown option '--mode=3'");
    ExpectError({"stray", "-o", "x.png"}, "unexpected argument 'stray'");
    ExpectError({"-o", "x.png", "--size"}, "--size needs a value");
    ExpectError({"-o"}, "-o needs a value");
}

TEST(OfflineOptions, HelpWinsWherePresent) {
    EXPECT_EQ(Parse({"--help"}).result, kParseHelp);
    EXPECT_EQ(Parse({"--size", "640x400", "-h"}).result, kParseHelp);
}

TEST(OfflineOptions, VersionNeedsNoOutputAndStopsTheReading) {
    EXPECT_EQ(Parse({"--version"}).result, kParseVersion);
    // Options after it are not read, so a bad one cannot turn it into an error.
    EXPECT_EQ(Parse({"--size", "640x400", "--version", "--size", "nonsense"}).result, kParseVersion);
}

TEST(OfflineOptions, MessagesStayOnOneShortLine) {
    // Control characters in an argument must not break the message into lines, and an
    // endless argument is cut.
    Parsed p = Parse({"--palette", "A\nB\rC\x1b", "-o", "x.png"});
    EXPECT_EQ(p.result, kParseError);
    EXPECT_NE(p.error.find("A?B?C?"), std::string::npos) << p.error;
    std::string endless(5000, 'Z');
    p = Parse({"--overlay", endless.c_str(), "-o", "x.png"});
    EXPECT_EQ(p.result, kParseError);
    EXPECT_LT(p.error.size(), 160u);
    EXPECT_NE(p.error.find("ZZZ..."), std::string::npos) << p.error;
}

TEST(OfflineOptions, GifDelaysRoundToTheNearestCentisecond) {
    EXPECT_EQ(GifDelayCentiseconds(50), 5);
    EXPECT_EQ(GifDelayCentiseconds(33), 3);
    EXPECT_EQ(GifDelayCentiseconds(35), 4);  // halves up
    EXPECT_EQ(GifDelayCentiseconds(16), 2);
    EXPECT_EQ(GifDelayCentiseconds(4), 1);  // never 0
    EXPECT_EQ(GifDelayCentiseconds(1), 1);
    EXPECT_EQ(GifDelayCentiseconds(kOfflineMaxDelayMs), 65535);
}

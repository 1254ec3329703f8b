#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "app/art_state.h"
#include "app/command_line.h"

namespace {
// Parses "huemix.exe" followed by the given arguments into a fresh ArtState.
void Parse(std::vector<const char16_t*> args) {
    ResetArtState();
    args.insert(args.begin(), u"huemix.exe");
    ParseArguments(static_cast<int>(args.size()), args.data());
}
}  // namespace

TEST(CommandLine, NoArgumentsKeepsEveryDefault) {
    Parse({});
    EXPECT_EQ(art.windowedOption, 0);
    EXPECT_EQ(art.modeOption, 0);
    EXPECT_EQ(art.paletteOption, -1);
    EXPECT_EQ(art.speedOption, 0);
    EXPECT_EQ(art.monitorOption, -1);
    EXPECT_EQ(art.rotationIntervalMs, 50);
    EXPECT_EQ(art.fullScreen, 1);
}

TEST(CommandLine, ValueIsAlwaysTheNextArgument) {
    // "--windowed" is consumed as the value of --mode and reads as 0.
    Parse({u"--mode", u"--windowed"});
    EXPECT_EQ(art.modeOption, 0);
    EXPECT_EQ(art.windowedOption, 0);

    Parse({u"--windowed", u"--mode", u"8", u"--speed", u"1000", u"--monitor", u"1"});
    EXPECT_EQ(art.windowedOption, 1);
    EXPECT_EQ(art.modeOption, 8);
    EXPECT_EQ(art.speedOption, 1000);
    EXPECT_EQ(art.monitorOption, 1);
}

TEST(CommandLine, NamesAreExactAndCaseSensitive) {
    Parse({u"--WINDOWED", u"-windowed", u"--windowed=1", u"--mode=3", u"--Mode", u"4", u"--win"});
    EXPECT_EQ(art.windowedOption, 0);
    EXPECT_EQ(art.modeOption, 0);
}

TEST(CommandLine, UnknownArgumentFollowedByNumberSkipsBothOneAtATime) {
    Parse({u"--colour", u"7", u"--mode", u"3"});
    EXPECT_EQ(art.modeOption, 3);
}

TEST(CommandLine, OptionAsLastArgumentIsSkipped) {
    Parse({u"--mode", u"5", u"--mode"});
    EXPECT_EQ(art.modeOption, 5);
    Parse({u"--palette"});
    EXPECT_EQ(art.paletteOption, -1);
}

TEST(CommandLine, LastOccurrenceWinsAndWindowedTwiceIsOnce) {
    Parse({u"--mode", u"2", u"--windowed", u"--mode", u"6", u"--windowed"});
    EXPECT_EQ(art.modeOption, 6);
    EXPECT_EQ(art.windowedOption, 1);
    Parse({u"--palette", u"fire", u"--palette", u"neon"});
    EXPECT_EQ(art.paletteOption, 8);
}

TEST(CommandLine, IntegerReading) {
    EXPECT_EQ(ReadIntegerValue(u"42"), 42);
    EXPECT_EQ(ReadIntegerValue(u"  \t17"), 17);
    EXPECT_EQ(ReadIntegerValue(u"+9"), 9);
    EXPECT_EQ(ReadIntegerValue(u"-12"), -12);
    EXPECT_EQ(ReadIntegerValue(u"12abc"), 12);
    EXPECT_EQ(ReadIntegerValue(u"word"), 0);
    EXPECT_EQ(ReadIntegerValue(u""), 0);
    EXPECT_EQ(ReadIntegerValue(u"-"), 0);
    EXPECT_EQ(ReadIntegerValue(u"- 5"), 0);
    EXPECT_EQ(ReadIntegerValue(u"3.9"), 3);
    EXPECT_EQ(ReadIntegerValue(u"2147483647"), INT32_MAX);
    EXPECT_EQ(ReadIntegerValue(u"2147483648"), INT32_MAX);
    EXPECT_EQ(ReadIntegerValue(u"99999999999999999999999"), INT32_MAX);
    EXPECT_EQ(ReadIntegerValue(u"-2147483648"), INT32_MIN);
    EXPECT_EQ(ReadIntegerValue(u"-2147483649"), INT32_MIN);
    EXPECT_EQ(ReadIntegerValue(u"-99999999999999999999999"), INT32_MIN);
    EXPECT_EQ(ReadIntegerValue(u"000000000000000000000012"), 12);
}

TEST(CommandLine, SpeedMonitorAndModeTakeTheNumberAsRead) {
    Parse({u"--speed", u"0", u"--monitor", u"word", u"--mode", u"12"});
    EXPECT_EQ(art.speedOption, 0);
    EXPECT_EQ(art.monitorOption, 0);
    EXPECT_EQ(art.modeOption, 12);
    Parse({u"--speed", u"-30"});
    EXPECT_EQ(art.speedOption, -30);
}

TEST(CommandLine, PresetNamesFoldAsciiCase) {
    Parse({u"--palette", u"ocean"});
    EXPECT_EQ(art.paletteOption, 2);
    Parse({u"--palette", u"Ocean"});
    EXPECT_EQ(art.paletteOption, 2);
    Parse({u"--palette", u"OCEAN"});
    EXPECT_EQ(art.paletteOption, 2);
    Parse({u"--palette", u"random"});
    EXPECT_EQ(art.paletteOption, 0);
    Parse({u"--palette", u"iBm"});
    EXPECT_EQ(art.paletteOption, 10);
}

TEST(CommandLine, PresetNameMustMatchWhole) {
    Parse({u"--palette", u"OCEANS"});
    EXPECT_EQ(art.paletteOption, -1);
    Parse({u"--palette", u"OCEA"});
    EXPECT_EQ(art.paletteOption, -1);
    Parse({u"--palette", u"2"});
    EXPECT_EQ(art.paletteOption, -1);
    Parse({u"--palette", u""});
    EXPECT_EQ(art.paletteOption, -1);
    // An unmatched name keeps an earlier match, and its value is still consumed.
    Parse({u"--palette", u"gray", u"--palette", u"--windowed"});
    EXPECT_EQ(art.paletteOption, 4);
    EXPECT_EQ(art.windowedOption, 0);
}

TEST(CommandLine, PresetNameKeepsLowBytesOfAtMost31Units) {
    // U+0147 has the low byte 0x47 'G': "\u0147RAY" reads as GRAY.
    Parse({u"--palette", u"\u0147RAY"});
    EXPECT_EQ(art.paletteOption, 4);
    // Non-ASCII letters are not folded: U+00E9 stays 0xE9 and matches nothing.
    Parse({u"--palette", u"FIR\u00e9"});
    EXPECT_EQ(art.paletteOption, -1);
    // A name longer than 31 units is cut to 31 and then matches nothing.
    Parse({u"--palette", u"FIRE                                  "});
    EXPECT_EQ(art.paletteOption, -1);
}

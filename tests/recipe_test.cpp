#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "export/offline_options.h"
#include "export/recipe.h"

namespace {
std::string Script(double value) {
    char text[48];
    FormatScriptNumber(value, text, sizeof text);
    return text;
}

std::string Format(const Recipe& r) {
    char text[kRecipeCapacity];
    EXPECT_GE(FormatRecipe(r, text, sizeof text), 0);
    return text;
}

Recipe Sample() {
    Recipe r;
    r.mode = 4;
    r.seed = 0x1A2B3C4Du;
    r.paletteSeed = 0xC0FFEEu;
    r.preset = 8;
    r.intervalMs = 35;
    r.step = 2;
    r.direction = -1;
    r.paused = 1;
    r.width = 1920;
    r.height = 1080;
    return r;
}
}  // namespace

// What a page's String(number) gives for each, so that the page and the renderer write
// the same link.
TEST(Recipe, NumbersAreWrittenAsTheScriptWritesThem) {
    const struct {
        double value;
        const char* text;
    } cases[] = {
        {0.0, "0"},
        {-0.0, "0"},
        {0.1 + 0.2, "0.30000000000000004"},
        {1e20, "100000000000000000000"},
        {1e21, "1e+21"},
        {0.000001, "0.000001"},
        {1e-7, "1e-7"},
        {-2.5e-8, "-2.5e-8"},
        {5e-324, "5e-324"},
        {std::numeric_limits<double>::max(), "1.7976931348623157e+308"},
    };
    for (const auto& c : cases) EXPECT_EQ(Script(c.value), c.text) << c.value;
}

TEST(Recipe, TextIsThePagesLinkWithTheSize) {
    Recipe r = Sample();
    EXPECT_EQ(Format(r),
              "mode=4&seed=0x1A2B3C4D&paletteseed=0xC0FFEE&palette=neon&speed=35&step=2&direction=-1&paused=1"
              "&size=1920x1080");
    char link[kRecipeCapacity];
    ASSERT_GE(FormatLinkParameters(r, link, sizeof link), 0);
    EXPECT_EQ(std::string(link), Format(r).substr(0, Format(r).find("&size=")));
    // Any part of the adjustment writes all three; ticks and zoom frames only when not 0.
    r.saturationFactor = 0.5;
    r.zoomFrames = 7;
    EXPECT_NE(Format(r).find("&paused=1&hue=0&saturation=0.5&brightness=1&zoomframes=7&size="), std::string::npos);
    char small[40];
    EXPECT_EQ(FormatRecipe(r, small, sizeof small), -1);
}

TEST(Recipe, EveryRecipeReadsBackToItself) {
    std::vector<Recipe> recipes;
    recipes.push_back(Sample());
    Recipe r = Sample();
    r.mode = 0;
    r.seed = 1;
    r.paletteSeed = 0xFFFFFFFFu;
    r.preset = 0;
    r.intervalMs = kRecipeMaxIntervalMs;
    r.hueShift = -36000.0;
    r.saturationFactor = 0.1 + 0.2;
    r.brightnessFactor = 1e-7;
    r.ticks = INT32_MAX;
    r.width = 320;
    r.height = 200;
    recipes.push_back(r);
    r.mode = 8;
    r.preset = 10;
    r.step = 8;
    r.direction = 1;
    r.paused = 0;
    r.hueShift = 10.0;
    r.saturationFactor = 100.0;
    r.brightnessFactor = 0.0;
    r.ticks = 0;
    r.zoomFrames = 40;
    r.width = 65535;
    r.height = 4096;
    recipes.push_back(r);
    for (const Recipe& want : recipes) {
        const std::string text = Format(want);
        Recipe got;
        char error[200];
        ASSERT_EQ(ParseRecipe(text.c_str(), &got, error, sizeof error), 0) << text << ": " << error;
        EXPECT_EQ(Format(got), text);  // the shortest text of a double reads back to it exactly
    }
}

TEST(Recipe, ReadsWhatThePageAccepts) {
    Recipe r;
    char error[200];
    ASSERT_EQ(ParseRecipe("size=640x400&paused=0&direction=1&step=4&speed=500&palette=OCEAN&paletteseed=12345"
                          "&seed=0xabcdef&mode=+9&brightness=1.4",
                          &r, error, sizeof error),
              0)
        << error;
    EXPECT_EQ(r.mode, 9);
    EXPECT_EQ(r.seed, 0xABCDEFu);
    EXPECT_EQ(r.paletteSeed, 12345u);
    EXPECT_EQ(r.preset, 2);
    EXPECT_EQ(r.step, 4);
    EXPECT_EQ(r.hueShift, 0.0);  // the parts not given keep their neutral values
    EXPECT_EQ(r.brightnessFactor, 1.4);
}

// The renderer's end-to-end test tries the bad size, mode, speed, a field given twice and
// a missing size through real files; here, the rest of the reader's refusals.
TEST(Recipe, BadRecipesSayWhatIsWrong) {
    const std::string good = "mode=4&seed=0x1&paletteseed=0x2&palette=fire&speed=50&step=1&direction=1&paused=0";
    const struct {
        std::string text;
        const char* naming;
    } cases[] = {
        {"", "no 'mode'"},
        {"hello world", "not NAME=VALUE"},
        {good + "&size=640x400&", "ends in '&'"},
        {good + "&size=640x400&colour=red", "field 'colour': no such field"},
        {good + "&size=640x400&hue=nan", "hue 'nan'"},
        {good + "&size=640x400&hue=36000.5", "hue"},
        {good + "&size=640x400&saturation=-1", "saturation '-1'"},
        {good + "&size=640x400&brightness=101", "brightness"},
        {good + "&size=640x400&ticks=-1", "ticks"},
        {good + "&size=640x400&zoomframes=1e3", "zoomframes"},
        {good + "&size=0x10", "size '0x10'"},
        {good + "&size=640", "WIDTHxHEIGHT"},
        {"mode=4&seed=0x0" + good.substr(15) + "&size=640x400", "seed '0x0'"},
        {"mode=4&seed=0x1&paletteseed=0x100000000" + good.substr(31) + "&size=640x400", "paletteseed"},
        {"mode=4&seed=0x1&paletteseed=0x2&palette=rainbow&speed=50&step=1&direction=1&paused=0&size=640x400",
         "palette 'rainbow'"},
        {"mode=4&seed=0x1&paletteseed=0x2&palette=fire&speed=50&step=3&direction=1&paused=0&size=640x400",
         "step '3'"},
        {"mode=4&seed=0x1&paletteseed=0x2&palette=fire&speed=50&step=1&direction=0&paused=0&size=640x400",
         "direction '0'"},
        {"mode=4&seed=0x1&paletteseed=0x2&palette=fire&speed=50&step=1&direction=1&paused=2&size=640x400",
         "paused '2'"},
        {good + "&size=640x400&hue=\n1", "hue '?1'"},
        {std::string(600, 'a'), "longer than any recipe"},
    };
    for (const auto& c : cases) {
        Recipe r;
        char error[200] = "";
        EXPECT_EQ(ParseRecipe(c.text.c_str(), &r, error, sizeof error), -1) << c.text;
        EXPECT_NE(std::string(error).find(c.naming), std::string::npos) << c.text << " -> " << error;
        EXPECT_EQ(std::string(error).find('\n'), std::string::npos) << error;
    }
}

// The renderer's options keep the recipe's ranges, take a recipe instead of the
// picture's options, and make a video one seamless loop unless told otherwise.
TEST(Recipe, RendererOptions) {
    const struct {
        std::vector<const char*> args;
        const char* naming;  // null: accepted
    } cases[] = {
        {{"--recipe", "a.png", "-o", "b.png", "--overlay", "help", "--threads", "2"}, nullptr},
        {{"--recipe", "a.png", "-o", "b.webm", "--frames", "10"}, nullptr},
        {{"--recipe", "a.png", "--paused", "-o", "b.png"}, "--paused: --recipe"},
        {{"--delay", "20", "--recipe", "a.png", "-o", "b.gif"}, "--delay: --recipe"},
        {{"--recipe", "", "-o", "b.png"}, "--recipe needs a file name"},
        {{"--hue", "36000.5", "-o", "b.png"}, "--hue '36000.5'"},
        {{"--saturation", "-0.5", "-o", "b.png"}, "--saturation"},
        {{"--brightness", "100.01", "-o", "b.png"}, "--brightness"},
        {{"--overlay", "strip", "-o", "b.webm"}, "--overlay strip"},
        {{"-o", "b.mp4"}, ".webm"},
    };
    for (const auto& c : cases) {
        std::vector<const char*> argv = {"huemix-render"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        OfflineOptions o;
        char error[256] = "";
        const int32_t result = ParseOfflineOptions(static_cast<int>(argv.size()), argv.data(), &o, error, sizeof error);
        if (!c.naming) {
            EXPECT_EQ(result, kParseOk) << error;
            EXPECT_STREQ(o.recipePath, "a.png");
        } else {
            EXPECT_EQ(result, kParseError) << c.naming;
            EXPECT_NE(std::string(error).find(c.naming), std::string::npos) << error;
        }
    }
    OfflineOptions o;
    const char* loop[] = {"huemix-render", "-o", "loop.WEBM"};
    char error[256] = "";
    ASSERT_EQ(ParseOfflineOptions(3, loop, &o, error, sizeof error), kParseOk) << error;
    EXPECT_EQ(o.format, kFormatWebm);
    EXPECT_EQ(o.frames, kOfflineLoopFrames);
}

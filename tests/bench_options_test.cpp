#include "bench/bench_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
// Parses the arguments after a program name; the message, or null on success.
const char* Parse(std::vector<const char*> args, BenchOptions* options) {
    args.insert(args.begin(), "huemix-bench");
    return ParseBenchOptions(static_cast<int>(args.size()), args.data(), options);
}
}  // namespace

TEST(BenchOptions, DefaultsAndEveryOptionRead) {
    BenchOptions options;
    EXPECT_EQ(Parse({}, &options), nullptr);
    EXPECT_EQ(options.width, 1920);
    EXPECT_EQ(options.height, 1080);
    for (int i = 0; i < kBenchFigureCount; ++i) EXPECT_TRUE(BenchWants(options, i));
    EXPECT_EQ(options.kernelForced, 0);
    EXPECT_EQ(options.seeds, 1);
    EXPECT_EQ(options.threads, 0);

    EXPECT_EQ(Parse({"--size", "3840x2160", "--reps", "9", "--seed", "0x10", "--only", "zoom-frame-740",
                     "--kernel", "sse2", "--seeds", "20", "--threads", "7"},
                    &options),
              nullptr);
    EXPECT_EQ(options.width, 3840);
    EXPECT_EQ(options.height, 2160);
    EXPECT_EQ(options.reps, 9);
    EXPECT_EQ(options.seed, 16u);
    for (int i = 0; i < kBenchFigureCount; ++i) EXPECT_EQ(BenchWants(options, i), i == 12) << i;
    EXPECT_EQ(options.kernelForced, 1);
    EXPECT_EQ(options.kernel, kKernelSse2);
    EXPECT_EQ(options.seeds, 20);
    EXPECT_EQ(options.threads, 7);

    // Every figure name can be chosen, and the zoom frames sit where the bench expects.
    for (int i = 0; i < kBenchFigureCount; ++i) EXPECT_EQ(FindBenchFigure(BenchFigureNames[i]), i);
    for (int i = 0; i < kBenchZoomFrameCount; ++i) {
        const std::string name = "zoom-frame-" + std::to_string(BenchZoomFrames[i]);
        EXPECT_EQ(FindBenchFigure(name.c_str()), kBenchFirstZoomFigure + i);
    }
    EXPECT_EQ(Parse({"--only", "compose,splash,zoom-frame-1"}, &options), nullptr);
    for (int i = 0; i < kBenchFigureCount; ++i) EXPECT_EQ(BenchWants(options, i), i == 0 || i == 8 || i == 14) << i;

    EXPECT_EQ(Parse({"--seed", "4294967295"}, &options), nullptr);
    EXPECT_EQ(options.seed, 0xFFFFFFFFu);

    // A switch without a value, anywhere among the others.
    BenchOptions flushed;
    EXPECT_EQ(flushed.flushSubnormals, 0);
    EXPECT_EQ(Parse({"--flush-subnormals", "--reps", "3", "--paths-only"}, &flushed), nullptr);
    EXPECT_EQ(flushed.flushSubnormals, 1);
    EXPECT_EQ(flushed.pathsOnly, 1);
    EXPECT_EQ(flushed.reps, 3);
}

TEST(BenchOptions, BadArgumentsAreRefused) {
    const std::vector<std::vector<const char*>> bad = {
        {"--size"},                  // no value
        {"--size", "1920"},          {"--size", "1920x"},      {"--size", "x1080"},
        {"--size", "0x1080"},        {"--size", "1920x-5"},    {"--size", "16385x100"},
        {"--size", "1920x1080x2"},   {"--size", "99999999999999999999x1"},
        {"--reps", "0"},             {"--reps", "-3"},         {"--reps", "5ms"},
        {"--reps", ""},              {"--reps", " 5"},         {"--reps", "100001"},
        {"--seed", "0"},             {"--seed", "4294967296"}, {"--seed", "-1"},
        {"--only", "plasm"},         {"--only", "zoom-frame-2"}, {"--only", "PLASMA"},
        {"--only", ""},              {"--only", "plasma,"},    {"--only", ",plasma"},
        {"--only", "plasma,,compose"},
        {"--kernel", "avx"},         {"--kernel", "AVX2"},
        {"--seeds", "0"},            {"--seeds", "10001"},
        {"--threads", "0"},          {"--threads", "65"},      {"--threads", "two"},
        {"--frobnicate", "1"},       {"plasma"},               {"-reps", "3"},
    };
    for (const auto& args : bad) {
        BenchOptions options;
        EXPECT_NE(Parse(args, &options), nullptr) << args[0] << " " << (args.size() > 1 ? args[1] : "");
    }
}

#include "modes/paths/vector_kernel.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "modes/mode_trials.h"
#include "modes/processor.h"
#include "tests/fake_platform.h"

TEST(VectorKernel, NamesReadBackAndForcingKeepsToAvailablePaths) {
    for (int k = 0; k < kKernelCount; ++k) {
        VectorKernel parsed = kKernelPlain;
        ASSERT_TRUE(ParseKernelName(KernelName(static_cast<VectorKernel>(k)), &parsed));
        EXPECT_EQ(parsed, k);
    }
    VectorKernel untouched = kKernelAvx2;
    EXPECT_FALSE(ParseKernelName("AVX2", &untouched));
    EXPECT_FALSE(ParseKernelName("", &untouched));
    EXPECT_FALSE(ParseKernelName(nullptr, &untouched));
    EXPECT_EQ(untouched, kKernelAvx2);

    // The plain path is always there, and the best path is one of the available ones.
    EXPECT_TRUE(KernelAvailable(kKernelPlain));
    EXPECT_TRUE(KernelAvailable(BestKernel()));
    EXPECT_FALSE(KernelAvailable(static_cast<VectorKernel>(kKernelCount)));
    EXPECT_EQ(ActiveKernel(), BestKernel());
    ASSERT_TRUE(ForceKernel(kKernelPlain));
    EXPECT_EQ(ActiveKernel(), kKernelPlain);
    for (int k = 0; k < kKernelCount; ++k) {
        const VectorKernel kernel = static_cast<VectorKernel>(k);
        ASSERT_TRUE(ForceKernel(kKernelPlain));
        EXPECT_EQ(ForceKernel(kernel), KernelAvailable(kernel));
        EXPECT_EQ(ActiveKernel(), KernelAvailable(kernel) ? kernel : kKernelPlain);
    }
    ResetKernel();
    EXPECT_EQ(ActiveKernel(), BestKernel());
}

TEST(VectorKernel, TheFastestPathIsChosenFromItsSettledTime) {
    // Made-up samples taken in a row on plain, sse2, avx2, avx512 ({}: not a candidate).
    // The first sample is a warm-up; a path's time is its shortest after that.
    struct Case {
        const char* what;
        std::vector<double> samples[kKernelCount];
        VectorKernel chosen;
    };
    const std::vector<double> X;
    const Case cases[] = {
        {"the widest is fastest", {X, {4, 4, 4}, {2, 2, 2}, {1, 1, 1}}, kKernelAvx512},
        {"the widest is slowest", {X, {4, 4, 4}, {2, 2, 2}, {3, 3, 3}}, kKernelAvx2},
        {"one noisy sample of the fastest", {X, {4, 4, 4}, {2, 2, 2}, {1, 9, 1}}, kKernelAvx512},
        {"noise in every sample but one", {X, {4, 4, 4}, {9, 9, 2}, {3, 3, 3}}, kKernelAvx2},
        {"a slow warm-up does not count", {X, {4, 4, 4}, {2, 2, 2}, {9, 1, 1}}, kKernelAvx512},
        {"a wide path up to speed late", {X, {4, 4, 4}, {1.2, 1.2, 1.2, 1.2, 1.2}, {1.6, 1.5, 1.4, 1.2, 1, 1}},
         kKernelAvx512},
        {"a tie within 3 % goes to the narrower", {X, {4, 4}, {1.02, 1.03, 1.025}, {1, 1, 1}}, kKernelAvx2},
        {"beyond 3 % the wider wins", {X, {4, 4}, {1.04, 1.04}, {1, 1}}, kKernelAvx512},
        {"a three-way tie", {X, {1, 1}, {1, 1}, {1, 1}}, kKernelSse2},
        {"a single sample counts", {X, {4}, {2}, X}, kKernelAvx2},
        {"sse2 only", {X, {4, 4}, X, X}, kKernelSse2},
        {"no candidate", {X, X, X, X}, kKernelPlain},
    };
    for (const Case& c : cases) {
        double settled[kKernelCount];
        for (int k = 0; k < kKernelCount; ++k) {
            settled[k] = KernelSettledTime(c.samples[k].data(), static_cast<int>(c.samples[k].size()));
        }
        EXPECT_EQ(FastestKernel(settled), c.chosen) << c.what;
    }
}

TEST(VectorKernel, APathsTimingSettlesWhenItStopsImproving) {
    struct Case {
        const char* what;
        std::vector<double> samples;
        bool settled;
    };
    const Case cases[] = {
        {"too few to tell", {5, 1, 1, 1}, false},
        {"steady after the warm-up", {5, 1, 1, 1, 1}, true},
        {"still getting faster", {5, 2, 1.8, 1.6, 1.4}, false},
        {"faster by less than 2 %", {5, 1, 1, 0.99, 0.985}, true},
        {"a slow plateau, then faster", {5, 4, 4, 4, 4, 4, 1}, false},
        {"slower samples after a fast one", {5, 1, 1.5, 1.4, 1.3}, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(KernelTimingSettled(c.samples.data(), static_cast<int>(c.samples.size())), c.settled) << c.what;
    }
}

namespace {
VectorKernel waitingPath = kKernelPlain;

// A trial in which one path waits long on the clock but uses the least processor time.
void WaitingTrial(VectorKernel kernel) {
    if (kernel == waitingPath) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    if (fake.threadTime >= 0) fake.threadTime += kernel == waitingPath ? 1 : 100;
}
}  // namespace

TEST(VectorKernel, TrialsAreTimedByTheThreadsProcessorTimeWhenThereIsAReading) {
    int paths = 0;
    for (int k = kKernelSse2; k < kKernelCount; ++k) {
        if (!KernelAvailable(static_cast<VectorKernel>(k))) continue;
        ++paths;
        waitingPath = static_cast<VectorKernel>(k);
    }
    if (paths < 2) GTEST_SKIP() << "a single vector path is taken untimed";
    ResetFakePlatform();
    fake.threadTime = 0;
    EXPECT_EQ(MeasureFastestKernel(WaitingTrial), waitingPath);
    fake.threadTime = -1;  // no reading: the clock, on which the waiting path is slowest
    EXPECT_NE(MeasureFastestKernel(WaitingTrial), waitingPath);
    ResetFakePlatform();
}

TEST(VectorKernel, EachModeTakesAMeasuredOrForcedPath) {
    for (int user = 0; user < kKernelUserCount; ++user) {
        const KernelUser u = static_cast<KernelUser>(user);
        EXPECT_TRUE(KernelAvailable(KernelOfUser(u))) << user;
        EXPECT_EQ(KernelOfUser(u), KernelOfUser(u)) << user;  // measured once, then kept
        EXPECT_NE(KernelChoiceOf(u, KernelTrialFor(u)), kChoiceForced);
    }
    // Only the users whose vector paths differ in width are measured.
    EXPECT_EQ(KernelTrialFor(kUserCompose), nullptr);
    EXPECT_NE(KernelTrialFor(kUserReaction), nullptr);
    // A forced path wins over the measurement, which comes back after.
    const VectorKernel measured = KernelOfUser(kUserZoom);
    ASSERT_TRUE(ForceKernel(kKernelPlain));
    for (int user = 0; user < kKernelUserCount; ++user) {
        const KernelUser u = static_cast<KernelUser>(user);
        EXPECT_EQ(KernelOfUser(u), kKernelPlain);
        EXPECT_EQ(KernelChoiceOf(u, KernelTrialFor(u)), kChoiceForced);
    }
    ResetKernel();
    EXPECT_EQ(KernelOfUser(kUserZoom), measured);
}

TEST(VectorKernel, ProcessorIsNamed) {
    const std::string vendor = ProcessorVendor();
    const std::string model = ProcessorModel();
    EXPECT_FALSE(vendor.empty());
    EXPECT_FALSE(model.empty());
    EXPECT_NE(model.front(), ' ');  // leading blanks of the brand string are dropped
}

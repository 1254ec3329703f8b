#include "modes/vector_kernel.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "modes/kernel_choice.h"
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

TEST(VectorKernel, TheFastestPathIsChosenFromItsShortestTime) {
    // Made-up times in rounds of plain, sse2, avx2, avx512 (-1: not a candidate).
    constexpr double X = -1.0;
    struct Case {
        const char* what;
        double seconds[kKernelTrialRounds][kKernelCount];
        VectorKernel chosen;
    };
    const Case cases[] = {
        {"the widest is fastest", {{X, 4, 2, 1}, {X, 4, 2, 1}, {X, 4, 2, 1}}, kKernelAvx512},
        {"the widest is slowest", {{X, 4, 2, 3}, {X, 4, 2, 3}, {X, 4, 2, 3}}, kKernelAvx2},
        {"one noisy sample of the fastest", {{X, 4, 2, 1}, {X, 4, 2, 9}, {X, 4, 2, 1}}, kKernelAvx512},
        {"noise in every sample but one", {{X, 4, 9, 3}, {X, 4, 9, 3}, {X, 4, 2, 3}}, kKernelAvx2},
        {"a tie within 3 % goes to the narrower", {{X, 4, 1.02, 1}, {X, 4, 1.03, 1}, {X, 4, 1.025, 1}}, kKernelAvx2},
        {"beyond 3 % the wider wins", {{X, 4, 1.04, 1}, {X, 4, 1.04, 1}, {X, 4, 1.04, 1}}, kKernelAvx512},
        {"a three-way tie", {{X, 1, 1, 1}, {X, 1, 1, 1}, {X, 1, 1, 1}}, kKernelSse2},
        {"no avx512", {{X, 4, 2, X}, {X, 4, 2, X}, {X, 4, 2, X}}, kKernelAvx2},
        {"sse2 only", {{X, 4, X, X}, {X, 4, X, X}, {X, 4, X, X}}, kKernelSse2},
        {"no candidate", {{X, X, X, X}, {X, X, X, X}, {X, X, X, X}}, kKernelPlain},
    };
    for (const Case& c : cases) EXPECT_EQ(FastestKernel(c.seconds), c.chosen) << c.what;
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
        EXPECT_TRUE(KernelAvailable(KernelFor(u))) << user;
        EXPECT_EQ(KernelFor(u), KernelFor(u)) << user;  // measured once, then kept
        EXPECT_NE(KernelChoiceOf(u), kChoiceForced);
    }
    // Only the users whose vector paths differ in width are measured.
    EXPECT_EQ(KernelTrialFor(kUserCompose), nullptr);
    EXPECT_NE(KernelTrialFor(kUserReaction), nullptr);
    // A forced path wins over the measurement, which comes back after.
    const VectorKernel measured = KernelFor(kUserZoom);
    ASSERT_TRUE(ForceKernel(kKernelPlain));
    for (int user = 0; user < kKernelUserCount; ++user) {
        EXPECT_EQ(KernelFor(static_cast<KernelUser>(user)), kKernelPlain);
        EXPECT_EQ(KernelChoiceOf(static_cast<KernelUser>(user)), kChoiceForced);
    }
    ResetKernel();
    EXPECT_EQ(KernelFor(kUserZoom), measured);
}

TEST(VectorKernel, ProcessorIsNamed) {
    const std::string vendor = ProcessorVendor();
    const std::string model = ProcessorModel();
    EXPECT_FALSE(vendor.empty());
    EXPECT_FALSE(model.empty());
    EXPECT_NE(model.front(), ' ');  // leading blanks of the brand string are dropped
}

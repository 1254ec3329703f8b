#include "modes/vector_kernel.h"

#include <gtest/gtest.h>

#include <string>

#include "modes/processor.h"

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

TEST(VectorKernel, EachModeTakesAPathTimedOnItsKindOfProcessor) {
    // Below AVX-512 every mode takes the best path there is.
    for (int user = 0; user < kKernelUserCount; ++user) {
        for (VectorKernel best : {kKernelPlain, kKernelSse2, kKernelAvx2}) {
            for (bool intel : {false, true}) {
                EXPECT_EQ(DefaultKernelFor(static_cast<KernelUser>(user), best, intel), best);
            }
        }
        // Another maker's AVX-512 was never timed: 256 bits there.
        EXPECT_EQ(DefaultKernelFor(static_cast<KernelUser>(user), kKernelAvx512, false), kKernelAvx2);
    }
    // On Intel only the zoom, the reaction rows and the Buddhabrot were timed faster
    // at 512 bits.
    for (KernelUser user : {kUserZoom, kUserReaction, kUserBuddhabrot}) {
        EXPECT_EQ(DefaultKernelFor(user, kKernelAvx512, true), kKernelAvx512) << user;
    }
    for (KernelUser user : {kUserPlasma, kUserCompose}) {
        EXPECT_EQ(DefaultKernelFor(user, kKernelAvx512, true), kKernelAvx2) << user;
    }
    // A forced path wins over every rule, and the rules come back after.
    ASSERT_TRUE(ForceKernel(kKernelPlain));
    for (int user = 0; user < kKernelUserCount; ++user) EXPECT_EQ(KernelFor(static_cast<KernelUser>(user)), kKernelPlain);
    ResetKernel();
    EXPECT_TRUE(KernelAvailable(KernelFor(kUserReaction)));
}

TEST(VectorKernel, ProcessorIsNamedAndItsMakerReadFromTheVendor) {
    const std::string vendor = ProcessorVendor();
    const std::string model = ProcessorModel();
    EXPECT_FALSE(vendor.empty());
    EXPECT_FALSE(model.empty());
    EXPECT_NE(model.front(), ' ');  // leading blanks of the brand string are dropped
    EXPECT_EQ(ProcessorMakerOf() == kMakerIntel, vendor == "GenuineIntel");
    EXPECT_EQ(ProcessorMakerOf() == kMakerAmd, vendor == "AuthenticAMD");
}

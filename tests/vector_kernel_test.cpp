#include "modes/vector_kernel.h"

#include <gtest/gtest.h>

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

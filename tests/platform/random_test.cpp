#include "platform/random.h"

#include <gtest/gtest.h>

TEST(Random, SequenceIsTheFixedLinearCongruentialOne)
{
    setRandomSeed(0);
    // seed' = seed * 0x08088405 + 1; random(n) = (seed' * n) >> 32
    EXPECT_EQ(random(1000), 0);         // seed 1
    EXPECT_EQ(randomSeed(), 1u);
    EXPECT_EQ(random(1000), 31);        // seed 0x08088406
    EXPECT_EQ(randomSeed(), 0x08088406u);
    setRandomSeed(0);
    random(1);
    random(1);
    EXPECT_EQ(random(100), int((std::uint64_t(0x08088406u * 0x08088405u + 1u) * 100u) >> 32));
}

TEST(Random, NonPositiveRangeGivesZeroAndValuesStayInRange)
{
    setRandomSeed(12345);
    EXPECT_EQ(random(0), 0);
    EXPECT_EQ(random(-5), 0);
    for (int i = 0; i < 1000; ++i) {
        const int v = random(7);
        ASSERT_GE(v, 0);
        ASSERT_LT(v, 7);
        const double r = randomReal();
        ASSERT_GE(r, 0.0);
        ASSERT_LT(r, 1.0);
    }
}

#include <gtest/gtest.h>

#include <random>

#include "platform/gdi/RasterOp.h"

using namespace gdi;

// Every table, every combination of one pattern, source and destination bit: the result bit is the
// table's bit at P*4 + S*2 + D, whether the code takes the fast path or the general one.
TEST(RasterOp, EveryTruthTableMatchesItsBitsOnEveryInput) {
    for (int table = 0; table < 256; ++table) {
        for (int index = 0; index < 8; ++index) {
            const std::uint32_t p = (index & 4) ? ~0u : 0u;
            const std::uint32_t s = (index & 2) ? ~0u : 0u;
            const std::uint32_t d = (index & 1) ? ~0u : 0u;
            const std::uint32_t expected = ((table >> index) & 1) ? ~0u : 0u;
            ASSERT_EQ(applyTruthTable(static_cast<std::uint8_t>(table), p, s, d), expected)
                << "table " << table << " index " << index;
        }
    }
}

TEST(RasterOp, NamedCodesComputeTheirFormulasBitwise) {
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        const std::uint32_t p = random(), s = random(), d = random();
        EXPECT_EQ(applyTruthTable(truthTableOf(SRCCOPY), p, s, d), s);
        EXPECT_EQ(applyTruthTable(truthTableOf(NOTSRCCOPY), p, s, d), ~s);
        EXPECT_EQ(applyTruthTable(truthTableOf(SRCAND), p, s, d), s & d);
        EXPECT_EQ(applyTruthTable(truthTableOf(SRCPAINT), p, s, d), s | d);
        EXPECT_EQ(applyTruthTable(truthTableOf(SRCINVERT), p, s, d), s ^ d);
        EXPECT_EQ(applyTruthTable(truthTableOf(SRCERASE), p, s, d), s & ~d);
        EXPECT_EQ(applyTruthTable(truthTableOf(MERGEPAINT), p, s, d), ~s | d);
        EXPECT_EQ(applyTruthTable(truthTableOf(PATCOPY), p, s, d), p);
        EXPECT_EQ(applyTruthTable(truthTableOf(PATINVERT), p, s, d), p ^ d);
        EXPECT_EQ(applyTruthTable(truthTableOf(DSTINVERT), p, s, d), ~d);
        EXPECT_EQ(applyTruthTable(truthTableOf(ROP_DSPDxax), p, s, d), (s & p) | (~s & d));
        EXPECT_EQ(applyTruthTable(truthTableOf(ROP_DSPDxax), p, s, d), d ^ (s & (p ^ d)))
            << "what its name says";
        EXPECT_EQ(applyTruthTable(truthTableOf(BLACKNESS), p, s, d), 0u);
        EXPECT_EQ(applyTruthTable(truthTableOf(WHITENESS), p, s, d), ~0u);
    }
}

TEST(RasterOp, KnowsWhichOperandsACodeReads) {
    EXPECT_TRUE(usesSource(SRCCOPY));
    EXPECT_FALSE(usesPattern(SRCCOPY));
    EXPECT_FALSE(usesSource(PATCOPY));
    EXPECT_TRUE(usesPattern(PATCOPY));
    EXPECT_TRUE(usesSource(ROP_DSPDxax));
    EXPECT_TRUE(usesPattern(ROP_DSPDxax));
    EXPECT_FALSE(usesSource(DSTINVERT));
    EXPECT_FALSE(usesPattern(DSTINVERT));
}

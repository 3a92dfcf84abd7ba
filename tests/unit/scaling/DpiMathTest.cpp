#include "scaling/DpiMath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace {

constexpr int32_t int32Max = std::numeric_limits<int32_t>::max();
constexpr int32_t int32Min = std::numeric_limits<int32_t>::min();

TEST(DpiFactor, CommonDesktopSettings_RoundToTwoPlacesHeldAsFloat) {
    struct Case {
        int32_t dpi;
        float factor;
    };
    const std::vector<Case> cases = {
        {96, 1.0f},  {95, 0.99f},  {97, 1.01f},
        {108, 1.13f},  // 1.125 is a tie and goes up
        // 1.15f and 1.3f are binary32 values (1.14999997615814208984375 and
        // 1.2999999523162841796875), not the decimals: the products use them.
        {110, 1.15f}, {120, 1.25f}, {125, 1.3f},
        {132, 1.38f},  // 1.375 is a tie and goes up
        {144, 1.5f},  {192, 2.0f},  {0, 0.0f},
        {-120, -1.25f},  // halves away from zero on the negative side too
        {-132, -1.38f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("dpi " + std::to_string(c.dpi));
        EXPECT_EQ(ComputeDpiFactor(c.dpi), c.factor);
    }
}

TEST(DpiFactor, ExtremeDpiValues_GiveFiniteFactors) {
    for (int32_t dpi : {int32Max, int32Min, 1, -1}) {
        SCOPED_TRACE("dpi " + std::to_string(dpi));
        const float f = ComputeDpiFactor(dpi);
        EXPECT_TRUE(std::isfinite(f));
        EXPECT_EQ(std::signbit(f), dpi < 0);
    }
    EXPECT_EQ(ComputeDpiFactor(1), 0.01f);  // 0.0104 rounds down
}

TEST(DpiFactor, OnlyTheDefaultDpiCountsAsUnit) {
    EXPECT_TRUE(IsUnitDpiFactor(ComputeDpiFactor(96)));
    for (int32_t dpi : {95, 97, 0, -96, 192}) {
        SCOPED_TRACE("dpi " + std::to_string(dpi));
        EXPECT_FALSE(IsUnitDpiFactor(ComputeDpiFactor(dpi)));
    }
    // The tolerance is 1e-7 in double: the float just below 1.0 (6e-8 away) is
    // within it, the one just above (1.2e-7 away) is not.
    EXPECT_TRUE(IsUnitDpiFactor(std::nextafter(1.0f, 0.0f)));
    EXPECT_FALSE(IsUnitDpiFactor(std::nextafter(1.0f, 2.0f)));
}

TEST(ScaleValue, ProductOfTheFloatFactor_TruncatedTowardZero) {
    struct Case {
        int32_t value;
        int32_t dpi;
        int32_t expected;
    };
    const std::vector<Case> cases = {
        {300, 125, 389},  // 389.99998..., not 390
        {380, 110, 436},  // 436.99999..., not 437
        {400, 110, 459},  {220, 110, 252},
        {380, 120, 475},  {300, 120, 375},  {380, 144, 570},  {300, 144, 450},
        {125, 120, 156},  // 156.25
        {21, 120, 26},    // 26.25
        {7, 120, 8},      // 8.75: the font size goes down, not up
        {9, 144, 13},     // 13.5
        {-7, 144, -10},   // -10.5 toward zero
        {-100, 120, -125},
        {100, -96, -100},
        {400, 0, 0},      {-400, 0, 0},
        {0, 192, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.value) + " at dpi " + std::to_string(c.dpi));
        EXPECT_EQ(ScaleValue(c.value, ComputeDpiFactor(c.dpi)), c.expected);
    }
}

TEST(ScaleValue, ProductsBeyondInt32_SaturateInsteadOfOverflowing) {
    struct Case {
        int32_t value;
        float factor;
        int32_t expected;
    };
    const std::vector<Case> cases = {
        {int32Max, 2.0f, int32Max},
        {int32Min, 2.0f, int32Min},
        {int32Min, -1.0f, int32Max},
        {1000, ComputeDpiFactor(int32Max), int32Max},
        {-1000, ComputeDpiFactor(int32Max), int32Min},
        {int32Max, 1.0f, int32Max},
        {5, std::numeric_limits<float>::infinity(), int32Max},
        {5, -std::numeric_limits<float>::infinity(), int32Min},
        {5, std::numeric_limits<float>::quiet_NaN(), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.value) + " x " + std::to_string(c.factor));
        EXPECT_EQ(ScaleValue(c.value, c.factor), c.expected);
    }
}

TEST(CentredOrigin, HalfTheFreeSpace_TruncatedTowardZero) {
    struct Case {
        int32_t screen;
        int32_t extent;
        int32_t expected;
    };
    const std::vector<Case> cases = {
        {1920, 475, 722},  // 722.5
        {1080, 375, 352},  // 352.5
        {1920, 570, 675},  {1080, 450, 315},
        {1920, 380, 770},  {1080, 300, 390},
        {1920, 2037, -58},  // free space -117: -58.5 toward zero
        {1080, 1081, 0},    // -0.5 toward zero
        {1080, 0, 540},
        {0, 0, 0},
        {int32Max, int32Min, int32Max},  // the difference is taken in double, not int32
        {int32Min, int32Max, int32Min + 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.screen) + " for " + std::to_string(c.extent));
        EXPECT_EQ(CentredOrigin(c.screen, c.extent), c.expected);
    }
}

TEST(MulDivRounded, RoundsHalvesAwayFromZero_AndFailsAsMinusOne) {
    struct Case {
        int32_t a, b, c, expected;
    };
    const std::vector<Case> cases = {
        {12, 72, 120, 7},   {8, 120, 72, 13},  {12, 72, 96, 9},   {13, 96, 72, 17},
        {1, 1, 2, 1},       {3, 1, 2, 2},      {-1, 1, 2, -1},    {-3, 1, 2, -2},
        {1, -1, 2, -1},     {5, 1, -2, -3},    {-5, 1, -2, 3},    {1, 1, 3, 0},
        {2, 1, 3, 1},       {0, 5, 7, 0},
        {7, 9, 0, -1},                       // no divisor
        {int32Max, 2, 1, -1},                // leaves the range
        {int32Max, int32Max, int32Max, int32Max},  // the product is 64-bit
        {65536, 65536, 4, 1073741824},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.a) + " * " + std::to_string(c.b) + " / " + std::to_string(c.c));
        EXPECT_EQ(MulDivRounded(c.a, c.b, c.c), c.expected);
    }
}

TEST(FontRoundTrip, HeightToPointsScaledAndBack_LosesPrecisionAsDesigned) {
    struct Case {
        int32_t lfHeight;
        int32_t logPixelsY;
        int32_t dpi;
        int32_t points;
        int32_t scaledPoints;
        int32_t newHeight;
    };
    const std::vector<Case> cases = {
        {-12, 120, 120, 7, 8, -13},   // 7 points, 8.75 -> 8, -MulDiv(8, 120, 72)
        {-12, 96, 144, 9, 13, -17},   // 9 points, 13.5 -> 13
        {12, 120, 120, 7, 8, -13},    // a cell height reads by its magnitude too
        {-11, 96, 120, 8, 10, -13},   // 8.25 points
        {-13, 120, 0, 8, 0, 0},       // factor 0: the font mapper's default height
        {-13, 120, 96, 8, 8, -13},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("lfHeight " + std::to_string(c.lfHeight) + " at " + std::to_string(c.logPixelsY) +
                     ", dpi " + std::to_string(c.dpi));
        const int32_t points = FontPointsFromHeight(c.lfHeight, c.logPixelsY);
        EXPECT_EQ(points, c.points);
        const int32_t scaled = ScaleValue(points, ComputeDpiFactor(c.dpi));
        EXPECT_EQ(scaled, c.scaledPoints);
        EXPECT_EQ(FontHeightFromPoints(scaled, c.logPixelsY), c.newHeight);
    }
}

TEST(FontRoundTrip, NegativeSizesCountAsZero_AndExtremeHeightsDoNotOverflow) {
    EXPECT_EQ(FontHeightFromPoints(-8, 120), 0);
    EXPECT_EQ(FontHeightFromPoints(0, 96), 0);
    EXPECT_EQ(FontPointsFromHeight(0, 96), 0);
    EXPECT_EQ(FontPointsFromHeight(int32Min, 72), int32Max);
    EXPECT_EQ(FontPointsFromHeight(-12, 0), -1);  // MulDiv's failure, passed on
}

}  // namespace

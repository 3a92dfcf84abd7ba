#include "scaling/DpiMath.h"

#include <cmath>
#include <limits>

namespace {

constexpr double defaultDpi = 96.0;
constexpr double twoPlaces = 100.0;
// Lifts a product that lands just below a half, through binary representation,
// onto the half.
constexpr double roundingNudge = 1e-12;
constexpr double roundingThreshold = 0.5;
constexpr double unitTolerance = 1e-7;
constexpr int32_t pointsPerInch = 72;

int32_t TruncateToInt32(double value) {
    if (std::isnan(value)) return 0;
    constexpr double lowest = std::numeric_limits<int32_t>::min();
    constexpr double highest = std::numeric_limits<int32_t>::max();
    if (value <= lowest) return std::numeric_limits<int32_t>::min();
    if (value >= highest) return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(value);  // truncates toward zero
}

double RoundToTwoPlaces(double q) {
    if (q == 0.0) return 0.0;
    const double sum = std::fabs(q) * twoPlaces + roundingNudge;
    double whole = std::trunc(sum);
    if (sum - whole >= roundingThreshold) whole += 1.0;
    const double r = whole / twoPlaces;
    return q < 0.0 ? -r : r;
}

}  // namespace

float ComputeDpiFactor(int32_t appliedDpi) {
    return static_cast<float>(RoundToTwoPlaces(appliedDpi / defaultDpi));
}

int32_t ScaleValue(int32_t value, float factor) {
    return TruncateToInt32(static_cast<double>(value) * static_cast<double>(factor));
}

bool IsUnitDpiFactor(float factor) {
    return std::fabs(static_cast<double>(factor) - 1.0) <= unitTolerance;
}

int32_t CentredOrigin(int32_t screenExtent, int32_t extent) {
    return TruncateToInt32((static_cast<double>(screenExtent) - static_cast<double>(extent)) / 2.0);
}

int32_t MulDivRounded(int32_t a, int32_t b, int32_t c) {
    if (c == 0) return -1;
    int64_t product = static_cast<int64_t>(a) * b;
    int64_t divisor = c;
    if (divisor < 0) {
        product = -product;
        divisor = -divisor;
    }
    const int64_t half = divisor / 2;
    const int64_t result = (product >= 0 ? product + half : product - half) / divisor;
    if (result > std::numeric_limits<int32_t>::max() || result < -std::numeric_limits<int32_t>::max()) return -1;
    return static_cast<int32_t>(result);
}

int32_t FontPointsFromHeight(int32_t lfHeight, int32_t logPixelsY) {
    // |INT32_MIN| does not fit; the nearest magnitude does, and no font is that tall.
    const int32_t magnitude = lfHeight == std::numeric_limits<int32_t>::min()
                                  ? std::numeric_limits<int32_t>::max()
                                  : (lfHeight < 0 ? -lfHeight : lfHeight);
    return MulDivRounded(magnitude, pointsPerInch, logPixelsY);
}

int32_t FontHeightFromPoints(int32_t points, int32_t logPixelsY) {
    return -MulDivRounded(points < 0 ? 0 : points, logPixelsY, pointsPerInch);
}

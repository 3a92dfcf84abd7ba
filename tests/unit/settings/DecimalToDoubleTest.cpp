// The integer-only decimal reader against the C library's strtod, which glibc
// rounds correctly: every answer must be the same double, bit for bit.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "settings/DecimalToDouble.h"
#include "settings/TextNumber.h"

namespace {

uint64_t Bits(double x) {
    uint64_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    return bits;
}

void ExpectSameAsStrtod(const std::string& text) {
    SCOPED_TRACE(text.size() > 120 ? text.substr(0, 60) + "..." + text.substr(text.size() - 60) : text);
    const double expected = std::strtod(text.c_str(), nullptr);
    const double actual = DecimalToDouble(text.data(), text.data() + text.size());
    EXPECT_EQ(Bits(actual), Bits(expected)) << "got " << actual << ", strtod gives " << expected;
}

// The exact decimal expansion of a long double (glibc prints every digit).
std::string ExactDecimal(long double x) {
    char buffer[1200];
    std::snprintf(buffer, sizeof buffer, "%.1100Le", x);
    std::string text = buffer;
    const std::size_t e = text.find('e');
    std::size_t end = e;
    while (end > 0 && text[end - 1] == '0') --end;
    if (text[end - 1] == '.') --end;
    return text.substr(0, end) + text.substr(e);
}

TEST(DecimalToDouble, HardCases_MatchStrtod) {
    const std::string zeros900(900, '0');
    const std::vector<std::string> cases = {
        "0", "0.000", "1", "100", "0.1", "3.", ".5", "25e-1", "1e0", "1E+2", "007", "150.000",
        "9007199254740992", "9007199254740993",       // 2^53 + 1: a tie, to even
        "9007199254740995", "9007199254740994.9999999999999999999",
        "1e23", "8.988465674311580536566680e307", "123456789012345678901234567890",
        "2.2250738585072011e-308", "2.2250738585072012e-308",  // around the smallest normal
        "2.2250738585072014e-308", "2.2250738585072009e-308",
        "1.7976931348623157e308", "1.7976931348623158e308",    // the largest double
        "1.7976931348623159e308", "1e309", "1e310", "0.1e311", "1e400", "1e1000000000000",
        "4.9406564584124654e-324", "5e-324", "3e-324",          // the smallest subnormal
        "2.4703282292062327e-324", "2.4703282292062328e-324",  // just below and above half of it
        "1e-323", "1e-324", "1e-400", "1e-1000000000000", "0.0000000000000000000000001e-300",
        "4503599627370496.5", "4503599627370497.5",            // ties at 2^52
        "9007199254740993." + zeros900,                         // a tie written in 916 digits
        "9007199254740993." + zeros900 + "1",                  // a hair above the tie
        "9007199254740992." + std::string(899, '9') + "e0",
        "0." + zeros900 + "1e920",
        "1" + zeros900 + "e-900",
        std::string(1200, '9'),
        "0." + std::string(1200, '3'),
    };
    for (const std::string& text : cases) ExpectSameAsStrtod(text);
}

// Ties are where a reader that stops early goes wrong: the exact midpoints
// between neighbouring doubles, and the decimals just either side of them.
TEST(DecimalToDouble, MidpointsBetweenNeighbours_RoundToEven) {
    if (std::numeric_limits<long double>::digits < 64) GTEST_SKIP() << "needs an extended long double";
    std::mt19937_64 random(7);
    std::vector<double> values = {1.0, 0.1, 1e23, 5e-324, 2.2250738585072014e-308,
                                  std::numeric_limits<double>::max() / 2, 4503599627370496.0};
    for (int i = 0; i < 300; ++i) {
        const uint64_t bits = random() % 0x7FE0000000000000u;
        double value;
        std::memcpy(&value, &bits, sizeof value);
        values.push_back(value);
    }
    for (const double value : values) {
        const double next = std::nextafter(value, std::numeric_limits<double>::infinity());
        const long double midpoint = (static_cast<long double>(value) + next) / 2;
        const std::string exact = ExactDecimal(midpoint);
        ExpectSameAsStrtod(exact);
        // The same digits with a 1 far past the last one: no longer a tie.
        const std::size_t e = exact.find('e');
        ExpectSameAsStrtod(exact.substr(0, e) + "00000000000000000001" + exact.substr(e));
        // And a little below it, the last digit taken down by one.
        std::string below = exact.substr(0, e);
        std::size_t last = below.size() - 1;
        while (below[last] == '0') below[last--] = '9';
        if (below[last] != '.') --below[last];
        ExpectSameAsStrtod(below + exact.substr(e));
    }
}

TEST(DecimalToDouble, RandomDecimals_MatchStrtod) {
    std::mt19937_64 random(2024);
    for (int i = 0; i < 20000; ++i) {
        std::string text;
        const int digits = 1 + static_cast<int>(random() % (i % 10 == 0 ? 60 : 20));
        const int point = static_cast<int>(random() % static_cast<uint64_t>(digits + 2)) - 1;
        for (int d = 0; d < digits; ++d) {
            if (d == point) text += '.';
            text += static_cast<char>('0' + random() % 10);
        }
        if (random() % 4 != 0) {
            text += random() % 2 ? 'e' : 'E';
            const int exponent = static_cast<int>(random() % 701) - 350;
            text += (exponent < 0 ? "-" : random() % 2 ? "+" : "") + std::to_string(std::abs(exponent));
        }
        ExpectSameAsStrtod(text);
        if (HasFailure()) return;
    }
}

// The reader sees only the bytes it is given: a prefix of a longer text reads
// as that prefix.
TEST(DecimalToDouble, StopsAtTheEndOfTheRange) {
    const std::string text = "1234.5678e12";
    EXPECT_EQ(DecimalToDouble(text.data(), text.data() + 2), 12.0);
    EXPECT_EQ(DecimalToDouble(text.data(), text.data() + 6), 1234.5);
    EXPECT_EQ(DecimalToDouble(text.data(), text.data() + 11), 1234.5678e1);
}

TEST(TextToNumber, SignedLongAndTinyTexts_AreTheNearestDouble) {
    struct Case {
        const char* given;
        double expected;
    };
    const std::vector<Case> cases = {
        {"-9007199254740993", -9007199254740992.0},
        {"  +2.2250738585072011e-308x", 2.2250738585072011e-308},
        {"-4.9406564584124654e-324", -5e-324},
        {"1.7976931348623158e308", std::numeric_limits<double>::max()},
        {"-1.7976931348623159e308", -std::numeric_limits<double>::infinity()},
        {"\xA3\xAD\xA3\xB1\xA3\xE5\xA3\xAD\xA3\xB3", -1e-3},  // full-width -1e-3
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.given);
        EXPECT_EQ(Bits(TextToNumber(c.given)), Bits(c.expected));
    }
}

}  // namespace

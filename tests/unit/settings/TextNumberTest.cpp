#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "settings/TextNumber.h"

namespace {

TEST(FoldFullWidth, EveryFoldedCharacter_BecomesItsAsciiByte) {
    // The whole 0xA3 row: 0xA3 0xA1..0xFE are the full-width forms of 0x21..0x7E.
    for (int trail = 0xA1; trail <= 0xFE; ++trail) {
        const char text[] = {'\xA3', static_cast<char>(trail), '\0'};
        SCOPED_TRACE(trail);
        EXPECT_EQ(FoldFullWidth(text), std::string(1, static_cast<char>(trail - 0x80)));
    }
    struct Case {
        const char* given;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {"\xA1\xA1", " "},   // ideographic space
        {"\xA1\xAB", "~"},   // full-width tilde
        {"\xA1\xEE", "*"},   // white star
        {"\xA1\xEF", "*"},   // black star
        {"\xA3\xB3\xA3\xB0\xA3\xB0", "300"},
        {"\xA3\xAD\xA3\xB5", "-5"},
        {"\xA3\xB1\xA3\xAE\xA3\xB5", "1.5"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.given);
        EXPECT_EQ(FoldFullWidth(c.given), c.expected);
    }
}

TEST(FoldFullWidth, OtherCharacters_AreKeptAndALoneLeadByteDropped) {
    struct Case {
        const char* given;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"", ""},
        {"abc 123\t", "abc 123\t"},
        {"\xB1\xED", "\xB1\xED"},            // an ordinary character
        {"\xA1\xA2", "\xA1\xA2"},            // its neighbours in the 0xA1 row are kept
        {"\xA1\xAC", "\xA1\xAC"},
        {"\xA1\xED", "\xA1\xED"},
        {"\xA1\xF0", "\xA1\xF0"},
        {"\xA3\xA0", "\xA3\xA0"},            // just outside the 0xA3 row's range
        {"\xA3\xFF", "\xA3\xFF"},
        {"\xA2\xB0", "\xA2\xB0"},
        {"\x81\x5C", "\x81\x5C"},            // a second byte below 0x80 is taken along
        {"\xA3\xB1\xA3", "1"},               // a lone lead byte at the end is dropped
        {"12\x81", "12"},
        {"\xA3", ""},
        {"\xB1\xA3\xB1", "\xB1\xA3"},        // pairs are taken from the start
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.given);
        EXPECT_EQ(FoldFullWidth(c.given), c.expected);
    }
}

TEST(TextToInt, ReadsTheDelayTextLikeTheBoxMeansIt) {
    struct Case {
        const char* given;
        int32_t expected;
    };
    const std::vector<Case> cases = {
        {"150", 150},
        {"  -20", -20},
        {"12abc", 12},
        {"1e3", 1},
        {"- 5", 0},
        {"", 0},
        {"\xA3\xB3\xA3\xB0\xA3\xB0", 300},   // full-width 300
        {"4294967396", 100},                 // modulo 2^32
        {"2147483648", INT32_MIN},
        {"99999999999", 1215752191},
        {"2147483647", INT32_MAX},
        {"-2147483648", INT32_MIN},
        {"4294967295", -1},
        {"-4294967295", 1},
        {"007", 7},
        {"+42", 42},
        {"+-4", 0},
        {"-", 0},
        {"abc", 0},
        {"\t\n\v\f\r 9", 9},
        {"\xA1\xA1\xA3\xAD\xA3\xB2", -2},    // ideographic space, full-width minus and 2
        {"1.9", 1},
        {"\xB1\xED" "5", 0},                 // another character before the digits
        {"5\xB1\xED" "5", 5},
        {"000000000000000000000000000000012", 12},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.given);
        EXPECT_EQ(TextToInt(c.given), c.expected);
    }
}

TEST(TextToNumber, ReadsTheLongestDecimalPrefix) {
    struct Case {
        const char* given;
        double expected;
    };
    const std::vector<Case> cases = {
        {"100", 100.0},
        {"", 0.0},
        {"abc", 0.0},
        {"  -2.5", -2.5},
        {"+7", 7.0},
        {"1e3", 1000.0},
        {"1E+2x", 100.0},
        {"25e-1", 2.5},
        {"1e", 1.0},          // an exponent without digits is not part of the number
        {"1e+", 1.0},
        {"3.", 3.0},
        {".5", 0.5},
        {".", 0.0},
        {"-.e5", 0.0},
        {"0x10", 0.0},        // no hexadecimal
        {"inf", 0.0},         // no infinity or not-a-number words
        {"nan", 0.0},
        {"1.5.5", 1.5},
        {"\xA3\xB1\xA3\xAE\xA3\xB5", 1.5},  // full-width 1.5
        {"0.1", 0.1},
        {"1e400", std::numeric_limits<double>::infinity()},
        {"-1e400", -std::numeric_limits<double>::infinity()},
        {"1e-400", 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.given);
        EXPECT_EQ(TextToNumber(c.given), c.expected);
    }
}

TEST(LowBitsOfTruncated, TruncatesTowardZeroThenKeepsTheLow32Bits) {
    struct Case {
        double given;
        int32_t expected;
    };
    const double inf = std::numeric_limits<double>::infinity();
    const std::vector<Case> cases = {
        {100.0, 100},
        {250.9, 250},
        {-250.9, -250},
        {-0.5, 0},
        {4294967396.0, 100},
        {2147483648.0, INT32_MIN},
        {-2147483649.0, INT32_MAX},
        {1e300, -1},                          // saturates to INT64_MAX, whose low bits are all ones
        {inf, -1},
        {-inf, 0},                            // INT64_MIN has zero low bits
        {std::nan(""), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.given);
        EXPECT_EQ(LowBitsOfTruncated(c.given), c.expected);
    }
}

TEST(IntToText, FormatsLikePercentD) {
    struct Case {
        int32_t given;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {0, "0"}, {7, "7"}, {-1, "-1"}, {100, "100"}, {1000, "1000"},
        {INT32_MAX, "2147483647"}, {INT32_MIN, "-2147483648"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.given);
        EXPECT_EQ(IntToText(c.given), c.expected);
        EXPECT_EQ(TextToInt(IntToText(c.given).c_str()), c.given);
    }
}

}  // namespace

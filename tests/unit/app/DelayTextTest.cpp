#include "app/DelayText.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace {

TEST(DelayText, TypingKeepsDigitsMinusAndControlCodes) {
    struct Case {
        unsigned code;
        bool kept;
    };
    const std::vector<Case> cases = {
        {'0', true},  {'5', true},  {'9', true},  {'-', true},
        {8, true},    {0x16, true}, {0x03, true}, {0x1A, true}, {31, true},  // Backspace, Ctrl+V, Ctrl+C, Ctrl+Z
        {' ', false}, {'+', false}, {'.', false}, {'a', false}, {'Z', false}, {'/', false}, {':', false},
        {0x7F, false}, {0xCE, false}, {0xFF10, false},  // DEL, a DBCS lead byte, full-width 0
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        EXPECT_EQ(DelayBoxAcceptsChar(c.code), c.kept);
    }
}

TEST(DelayText, LosingFocusRewritesTheText) {
    struct Case {
        const char* text;
        const char* tidy;
    };
    const std::vector<Case> cases = {
        {"007", "7"},
        {"abc", ""},
        {"99999999999", "2147483647"},
        {"-0", ""},
        {"0", ""},
        {"", ""},
        {"100", "100"},
        {"-99999999999", "-2147483648"},
        {"2147483648", "2147483647"},
        {"-2147483649", "-2147483648"},
        {"-2147483648", "-2147483648"},
        {"  \t42", "42"},
        {"+15", "15"},
        {"12abc", "12"},
        {" 12x", "12"},
        {"- 5", ""},
        {"--5", ""},
        {"\xA3\xB1", ""},                   // full-width 1 in code page 936 is no digit
        {"18446744073709551617", "1"},      // 2^64 + 1 wraps to 1
        {"9223372036854775808", "-2147483648"},  // 2^63 wraps to the most negative
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(TidyDelayText(c.text), c.tidy);
    }
    EXPECT_EQ(TidyDelayText(nullptr), "");
}

TEST(DelayText, ReadsWrapAtTheirWidth) {
    struct Case {
        const char* text;
        std::int64_t as64;
        std::int32_t as32;
    };
    const std::vector<Case> cases = {
        {"abc", 0, 0},
        {" -12x", -12, -12},
        {"4294967297", 4294967297LL, 1},
        {"2147483648", 2147483648LL, INT32_MIN},
        {"-4294967296", -4294967296LL, 0},
        {"18446744073709551615", -1, -1},
        {"9223372036854775807", INT64_MAX, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ReadDelayInt64(c.text), c.as64);
        EXPECT_EQ(ReadDelayInt32(c.text), c.as32);
    }
}

TEST(DelayText, SpinStepsAndWrapsWithinItsRange) {
    struct Case {
        const char* text;
        bool up;
        std::int32_t expected;
    };
    const std::vector<Case> cases = {
        {"1", true, 2},         {"999", true, 1000},   {"1000", true, 1},   {"abc", true, 1},
        {"", true, 1},          {"0", true, 1},        {"5000", true, 1},   {"-5", true, 1},
        {"2", false, 1},        {"1000", false, 999},  {"1", false, 1000},  {"abc", false, 1000},
        {"5000", false, 1000},  {"1001", false, 1000}, {"-5", false, 1000},
        {"2147483647", true, 1}, {"-2147483648", false, 1000},
        {"41", true, 42},       {"41", false, 40},     {"", false, 1000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + (c.up ? " up" : " down"));
        EXPECT_EQ(SpinDelayValue(ReadDelayInt32(c.text), 1, 1000, c.up), c.expected);
    }
}

}  // namespace

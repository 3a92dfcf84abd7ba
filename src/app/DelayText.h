#pragma once
// The delay box's text rules, free of Windows: what typing lets through, how the
// text is tidied when the box loses the focus, and how the spin buttons step.
#include <cstdint>
#include <string>

// A typed character code is kept when it is a control code (below 32, so that
// Backspace and Ctrl+V still work), a digit or the minus sign.
bool DelayBoxAcceptsChar(unsigned code);

// Optional white space, an optional sign, then decimal digits; the value wraps
// modulo 2^64 (2^32 for the 32-bit read). No digits give 0. Only ASCII digits
// count: full-width ones end the number like any other character.
std::int64_t ReadDelayInt64(const char* text);
std::int32_t ReadDelayInt32(const char* text);

// The text the box holds after losing the focus: the 64-bit read clamped to the
// 32-bit range, as "%d", with "0" becoming the empty text.
std::string TidyDelayText(const char* text);

// The value one spin step gives: n + 1 (up) or n - 1 (down) when that lies from
// lower to upper, otherwise lower (up) or upper (down), so the steps wrap.
std::int32_t SpinDelayValue(std::int32_t n, std::int32_t lower, std::int32_t upper, bool up);

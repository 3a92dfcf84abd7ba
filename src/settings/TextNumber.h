#pragma once
// The conversions between the delay box's code-page-936 text and numbers.
#include <cstdint>
#include <string>

// Full-width digits, signs and punctuation become their ASCII bytes; other
// two-byte characters are kept; a lone lead byte at the end is dropped.
std::string FoldFullWidth(const char* text);

// Leading white space (0x09 to 0x0D, 0x20), one optional sign, then decimal
// digits up to the first non-digit, accumulated modulo 2^64; a minus sign
// negates modulo 2^64. No digit, or no text, gives 0. A caller that wants the
// value modulo 2^32 takes the low 32 bits. Only ASCII digits count.
uint64_t ReadWrappedDecimal(const char* text);

// The folded text read by ReadWrappedDecimal, modulo 2^32, as signed.
int32_t TextToInt(const char* text);

// The longest plain decimal prefix (sign, digits, point, exponent) as the
// nearest double; no digits give 0. Hexadecimal, infinity and NaN are not read.
double TextToNumber(const char* text);

// A double truncated toward zero to 64 bits, then its low 32 bits as signed.
// NaN gives 0; values beyond the 64-bit range saturate first.
int32_t LowBitsOfTruncated(double x);

// "%d": minus sign for negatives, no padding, no grouping.
std::string IntToText(int32_t value);

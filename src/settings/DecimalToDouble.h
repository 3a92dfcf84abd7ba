#pragma once
// Decimal text to the nearest double, in integer arithmetic only.
//
// The delay box reads its text through this rather than std::from_chars or
// strtod: those pull about 60 KB of library code into the executable for a
// box that holds a few digits, and the x87 unit of the 32-bit build would
// round twice in a floating-point shortcut.

// [first, last) is a plain unsigned decimal: digits, at most one point, and an
// optional exponent ('e' or 'E', an optional sign, at least one digit), with at
// least one digit before the exponent. The result is the double nearest to its
// exact value, ties to even; beyond the largest double it is infinity, and
// below half the smallest it is 0. Text not of that form gives an unspecified
// value but never reads outside [first, last).
double DecimalToDouble(const char* first, const char* last);

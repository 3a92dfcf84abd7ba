#pragma once
// The arithmetic of the layout scaling: the factor from the applied DPI, the
// scaled values, the centring and the font-size round trip. No windows.h.
#include <cstdint>

// The applied DPI over 96, rounded to two places (halves away from zero) and
// held as binary32: every product uses this float, not the exact quotient.
float ComputeDpiFactor(int32_t appliedDpi);

// value × factor in double, truncated toward zero. Products beyond the int32
// range saturate (no desktop setting comes near them, but they must not be
// undefined behaviour); a NaN factor gives 0.
int32_t ScaleValue(int32_t value, float factor);

// True when the factor counts as 1 and the layout is left alone.
bool IsUnitDpiFactor(float factor);

// The origin that centres an extent in a screen extent: (screen − extent) / 2.0
// in double, truncated toward zero, so it is negative when the extent is larger.
int32_t CentredOrigin(int32_t screenExtent, int32_t extent);

// Win32 MulDiv: a × b / c with a 64-bit product, rounded half away from zero;
// −1 when c is 0 or the result leaves the int32 range.
int32_t MulDivRounded(int32_t a, int32_t b, int32_t c);

// Points of a logical font height at a vertical DPI: MulDiv(|lfHeight|, 72, dpi).
int32_t FontPointsFromHeight(int32_t lfHeight, int32_t logPixelsY);
// The logical font height for a size in points: −MulDiv(points, dpi, 72); a
// negative size counts as 0.
int32_t FontHeightFromPoints(int32_t points, int32_t logPixelsY);

#include "settings/TextNumber.h"

#include <cmath>

#include "settings/DecimalToDouble.h"

namespace {

bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The ASCII byte a two-byte character folds to, or 0 where it is kept.
char FoldedPair(unsigned char lead, unsigned char trail) {
    if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) return static_cast<char>(trail - 0x80);
    if (lead == 0xA1) {
        if (trail == 0xA1) return ' ';
        if (trail == 0xAB) return '~';
        if (trail == 0xEE || trail == 0xEF) return '*';
    }
    return 0;
}

}  // namespace

std::string FoldFullWidth(const char* text) {
    std::string out;
    for (std::size_t i = 0; text[i] != '\0'; ++i) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            out += text[i];
            continue;
        }
        if (text[i + 1] == '\0') break;
        const auto trail = static_cast<unsigned char>(text[i + 1]);
        if (const char folded = FoldedPair(lead, trail)) {
            out += folded;
        } else {
            out += text[i];
            out += text[i + 1];
        }
        ++i;
    }
    return out;
}

uint64_t ReadWrappedDecimal(const char* text) {
    if (!text) return 0;
    const char* p = text;
    while (IsSpace(*p)) ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    // Unsigned, so the wrap is defined for any number of digits.
    uint64_t value = 0;
    for (; IsDigit(*p); ++p) value = value * 10u + static_cast<uint64_t>(*p - '0');
    return negative ? 0u - value : value;
}

int32_t TextToInt(const char* text) {
    const std::string folded = FoldFullWidth(text);
    return static_cast<int32_t>(static_cast<uint32_t>(ReadWrappedDecimal(folded.c_str())));
}

double TextToNumber(const char* text) {
    const std::string folded = FoldFullWidth(text);
    const char* p = folded.c_str();
    while (IsSpace(*p)) ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';

    // Measure the longest decimal prefix by hand so that nothing else
    // (hexadecimal, inf, nan) can be taken for a number.
    const char* start = p;
    const char* q = p;
    std::size_t digits = 0;
    for (; IsDigit(*q); ++q) ++digits;
    if (*q == '.') {
        const char* afterPoint = q + 1;
        std::size_t fraction = 0;
        for (; IsDigit(afterPoint[fraction]); ++fraction) {
        }
        if (digits + fraction > 0) {
            q = afterPoint + fraction;
            digits += fraction;
        }
    }
    if (digits == 0) return 0.0;
    if (*q == 'e' || *q == 'E') {
        const char* e = q + 1;
        if (*e == '+' || *e == '-') ++e;
        if (IsDigit(*e)) {
            for (; IsDigit(*e); ++e) {
            }
            q = e;
        }
    }

    const double value = DecimalToDouble(start, q);
    return negative ? -value : value;
}

int32_t LowBitsOfTruncated(double x) {
    if (std::isnan(x)) return 0;
    int64_t whole;
    if (x >= 9223372036854775808.0) {
        whole = INT64_MAX;
    } else if (x < -9223372036854775808.0) {
        whole = INT64_MIN;
    } else {
        whole = static_cast<int64_t>(x);  // truncates toward zero
    }
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(whole)));
}

std::string IntToText(int32_t value) {
    // Work on the magnitude as unsigned so that INT32_MIN needs no special case.
    uint32_t magnitude = value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
    char digits[10];
    std::size_t count = 0;
    do {
        digits[count++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    std::string text = value < 0 ? "-" : "";
    while (count > 0) text += digits[--count];
    return text;
}

#include "settings/DecimalToDouble.h"

#include <cstdint>
#include <cstring>
#include <limits>

namespace {

// Digits kept exactly. The exact midpoint between two doubles has at most 767
// significant digits, so 800 kept digits plus one nonzero digit standing for
// any nonzero digits dropped after them round exactly as the whole text does.
constexpr int keptDigits = 800;

// Decimal exponents (of the form 0.d1d2... x 10^e) beyond which the answer
// needs no arithmetic: 10^310 is past the largest double and 10^-324 is below
// half the smallest one.
constexpr int64_t overflowExponent = 310;
constexpr int64_t underflowExponent = -323;

constexpr int significandBits = 53;
constexpr int minBinaryExponent = -1074;  // the weight of the smallest subnormal's unit
constexpr int exponentBias = 1075;        // biased exponent of q * 2^e when 2^52 <= q < 2^53

// Unsigned integers up to 136 * 32 bits, little-endian 32-bit limbs. The
// largest number the conversion builds is below 2^3800 (801 digits shifted by
// 1074 bits, or 10^1124 shifted by 54 bits), so no operation overflows; the
// bounds checks keep even an impossible overflow inside the array.
class BigNumber {
public:
    explicit BigNumber(uint32_t value = 0) {
        if (value != 0) {
            limb_[0] = value;
            size_ = 1;
        }
    }

    void multiplyAdd(uint32_t factor, uint32_t addend) {
        uint64_t carry = addend;
        for (int i = 0; i < size_; ++i) {
            const uint64_t product = uint64_t{limb_[i]} * factor + carry;
            limb_[i] = static_cast<uint32_t>(product);
            carry = product >> 32;
        }
        if (carry != 0 && size_ < capacity) limb_[size_++] = static_cast<uint32_t>(carry);
    }

    void multiplyByPowerOfTen(int64_t exponent) {
        for (; exponent >= 9; exponent -= 9) multiplyAdd(1000000000u, 0);
        static const uint32_t powers[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};
        if (exponent > 0) multiplyAdd(powers[exponent], 0);
    }

    void shiftLeft(int bits) {
        if (size_ == 0 || bits <= 0) return;
        const int whole = bits / 32;
        const int part = bits % 32;
        const int newSize = size_ + whole + 1 > capacity ? capacity : size_ + whole + 1;
        for (int i = newSize - 1; i >= 0; --i) {
            const int from = i - whole;
            uint32_t value = 0;
            if (from >= 0 && from < size_) value = limb_[from] << part;
            if (part != 0 && from - 1 >= 0 && from - 1 < size_) value |= limb_[from - 1] >> (32 - part);
            limb_[i] = value;
        }
        size_ = newSize;
        trim();
    }

    void shiftRightOne() {
        for (int i = 0; i < size_; ++i) {
            limb_[i] >>= 1;
            if (i + 1 < size_) limb_[i] |= limb_[i + 1] << 31;
        }
        trim();
    }

    // this -= other, where other <= this.
    void subtract(const BigNumber& other) {
        int64_t borrow = 0;
        for (int i = 0; i < size_; ++i) {
            int64_t difference = int64_t{limb_[i]} - borrow - (i < other.size_ ? int64_t{other.limb_[i]} : 0);
            borrow = difference < 0 ? 1 : 0;
            limb_[i] = static_cast<uint32_t>(difference + (borrow << 32));
        }
        trim();
    }

    int bitLength() const {
        if (size_ == 0) return 0;
        int bits = (size_ - 1) * 32;
        for (uint32_t top = limb_[size_ - 1]; top != 0; top >>= 1) ++bits;
        return bits;
    }

    friend int compare(const BigNumber& a, const BigNumber& b) {
        if (a.size_ != b.size_) return a.size_ < b.size_ ? -1 : 1;
        for (int i = a.size_ - 1; i >= 0; --i) {
            if (a.limb_[i] != b.limb_[i]) return a.limb_[i] < b.limb_[i] ? -1 : 1;
        }
        return 0;
    }

private:
    static constexpr int capacity = 136;

    void trim() {
        while (size_ > 0 && limb_[size_ - 1] == 0) --size_;
    }

    uint32_t limb_[capacity] = {};
    int size_ = 0;
};

// floor(numerator / denominator) where the quotient is below 2^55; the
// numerator is left holding the remainder.
uint64_t DivideSmallQuotient(BigNumber& numerator, const BigNumber& denominator) {
    constexpr int quotientBits = 55;
    BigNumber shifted = denominator;
    shifted.shiftLeft(quotientBits - 1);
    uint64_t quotient = 0;
    for (int bit = quotientBits - 1; bit >= 0; --bit) {
        if (compare(numerator, shifted) >= 0) {
            numerator.subtract(shifted);
            quotient |= uint64_t{1} << bit;
        }
        shifted.shiftRightOne();
    }
    return quotient;
}

double FromBits(uint64_t bits) {
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

struct Decimal {
    char digits[keptDigits + 1];  // significant digits, no leading zero
    int count = 0;
    int64_t exponent = 0;         // the value is 0.digits x 10^exponent
};

Decimal ReadDecimal(const char* p, const char* last) {
    Decimal decimal;
    bool dropped = false;
    bool point = false;
    for (; p != last && ((*p >= '0' && *p <= '9') || (*p == '.' && !point)); ++p) {
        if (*p == '.') {
            point = true;
            continue;
        }
        if (decimal.count == 0 && *p == '0') {
            if (point) --decimal.exponent;
            continue;
        }
        if (!point) ++decimal.exponent;
        if (decimal.count < keptDigits) {
            decimal.digits[decimal.count++] = *p;
        } else if (*p != '0') {
            dropped = true;
        }
    }
    if (dropped) decimal.digits[decimal.count++] = '1';

    if (p != last && (*p == 'e' || *p == 'E')) {
        ++p;
        bool negative = false;
        if (p != last && (*p == '+' || *p == '-')) negative = *p++ == '-';
        // Saturated well past any exponent that could matter.
        int64_t written = 0;
        for (; p != last && *p >= '0' && *p <= '9'; ++p) {
            if (written < 1000000000) written = written * 10 + (*p - '0');
        }
        decimal.exponent += negative ? -written : written;
    }
    return decimal;
}

}  // namespace

double DecimalToDouble(const char* first, const char* last) {
    const Decimal decimal = ReadDecimal(first, last);
    if (decimal.count == 0 || decimal.exponent < underflowExponent) return 0.0;
    if (decimal.exponent > overflowExponent) return std::numeric_limits<double>::infinity();

    // value = digits x 10^scale = numerator / denominator, exactly.
    BigNumber numerator;
    for (int i = 0; i < decimal.count; ++i) numerator.multiplyAdd(10, static_cast<uint32_t>(decimal.digits[i] - '0'));
    BigNumber denominator(1);
    const int64_t scale = decimal.exponent - decimal.count;
    if (scale >= 0) {
        numerator.multiplyByPowerOfTen(scale);
    } else {
        denominator.multiplyByPowerOfTen(-scale);
    }

    // Find e and q with q = floor(value / 2^e) holding 53 bits, or fewer where e
    // reaches the subnormal range; the remainder decides the rounding.
    int binaryExponent = numerator.bitLength() - denominator.bitLength() - significandBits;
    uint64_t quotient = 0;
    BigNumber remainder;
    BigNumber divisor;
    for (;;) {
        if (binaryExponent < minBinaryExponent) binaryExponent = minBinaryExponent;
        remainder = numerator;
        divisor = denominator;
        if (binaryExponent >= 0) {
            divisor.shiftLeft(binaryExponent);
        } else {
            remainder.shiftLeft(-binaryExponent);
        }
        quotient = DivideSmallQuotient(remainder, divisor);
        if (quotient < (uint64_t{1} << significandBits)) break;
        ++binaryExponent;
    }

    // Round to nearest, ties to even.
    remainder.shiftLeft(1);
    const int half = compare(remainder, divisor);
    if (half > 0 || (half == 0 && (quotient & 1u) != 0)) ++quotient;
    if (quotient == uint64_t{1} << significandBits) {
        quotient >>= 1;
        ++binaryExponent;
    }

    constexpr uint64_t hiddenBit = uint64_t{1} << (significandBits - 1);
    if (quotient < hiddenBit) return FromBits(quotient);  // subnormal (or zero)
    const int64_t biased = int64_t{binaryExponent} + exponentBias;
    if (biased >= 2047) return std::numeric_limits<double>::infinity();
    return FromBits((static_cast<uint64_t>(biased) << 52) | (quotient - hiddenBit));
}

// The integer-only decimal reader against the C library's strtod, which glibc
// rounds correctly: on any decimal the fuzzer finds, the two give the same
// double, bit for bit.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "settings/DecimalToDouble.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The longest plain decimal at the start of text, as the delay box measures it.
std::size_t DecimalLength(const std::string& text) {
    std::size_t end = 0;
    std::size_t digits = 0;
    for (; end < text.size() && IsDigit(text[end]); ++end) ++digits;
    if (end < text.size() && text[end] == '.') {
        std::size_t fraction = end + 1;
        for (; fraction < text.size() && IsDigit(text[fraction]); ++fraction) ++digits;
        if (digits > 0) end = fraction;
    }
    if (digits == 0) return 0;
    if (end < text.size() && (text[end] == 'e' || text[end] == 'E')) {
        std::size_t exponent = end + 1;
        if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-')) ++exponent;
        if (exponent < text.size() && IsDigit(text[exponent])) {
            while (exponent < text.size() && IsDigit(text[exponent])) ++exponent;
            end = exponent;
        }
    }
    return end;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string decimal = text.substr(0, DecimalLength(text));
    if (decimal.empty()) return 0;

    const double expected = std::strtod(decimal.c_str(), nullptr);
    const double actual = DecimalToDouble(decimal.data(), decimal.data() + decimal.size());
    uint64_t expectedBits;
    uint64_t actualBits;
    std::memcpy(&expectedBits, &expected, sizeof expectedBits);
    std::memcpy(&actualBits, &actual, sizeof actualBits);
    if (expectedBits != actualBits) std::abort();
    return 0;
}

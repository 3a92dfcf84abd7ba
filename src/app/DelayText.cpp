#include "app/DelayText.h"

#include <limits>

#include "settings/TextNumber.h"

bool DelayBoxAcceptsChar(unsigned code) {
    return code < 32 || code == '-' || (code >= '0' && code <= '9');
}

std::int64_t ReadDelayInt64(const char* text) {
    return static_cast<std::int64_t>(ReadWrappedDecimal(text));
}

std::int32_t ReadDelayInt32(const char* text) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(ReadWrappedDecimal(text)));
}

std::string TidyDelayText(const char* text) {
    std::int64_t value = ReadDelayInt64(text);
    if (value < std::numeric_limits<std::int32_t>::min()) value = std::numeric_limits<std::int32_t>::min();
    if (value > std::numeric_limits<std::int32_t>::max()) value = std::numeric_limits<std::int32_t>::max();
    if (value == 0) return std::string();
    return std::to_string(value);
}

std::int32_t SpinDelayValue(std::int32_t n, std::int32_t lower, std::int32_t upper, bool up) {
    // In 64 bits so that n at either end of the 32-bit range cannot overflow.
    const std::int64_t next = static_cast<std::int64_t>(n) + (up ? 1 : -1);
    if (next >= lower && next <= upper) return static_cast<std::int32_t>(next);
    return up ? lower : upper;
}

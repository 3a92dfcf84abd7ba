// Any text into the delay box's rules: the tidied text must read back as the
// clamped value, and the spin result must stay in its range.
#include "app/DelayText.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const char* c = text.c_str();
    const std::string tidy = TidyDelayText(c);
    std::int64_t value = ReadDelayInt64(c);
    if (value < INT32_MIN) value = INT32_MIN;
    if (value > INT32_MAX) value = INT32_MAX;
    if (ReadDelayInt64(tidy.c_str()) != value) std::abort();
    if (TidyDelayText(tidy.c_str()) != tidy) std::abort();  // tidying twice changes nothing
    const std::int32_t n = ReadDelayInt32(c);
    for (bool up : {true, false}) {
        const std::int32_t next = SpinDelayValue(n, 1, 1000, up);
        if (next < 1 || next > 1000) std::abort();
    }
    return 0;
}

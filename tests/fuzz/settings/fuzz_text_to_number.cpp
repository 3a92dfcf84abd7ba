// The delay text conversions on arbitrary bytes: no crash, no undefined
// behaviour, and the properties every text must keep.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "settings/TextNumber.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), strnlen(reinterpret_cast<const char*>(data), size));

    const std::string folded = FoldFullWidth(text.c_str());
    // Folding never lengthens a text and never leaves a NUL inside it.
    if (folded.size() > text.size() || folded.find('\0') != std::string::npos) std::abort();
    // Folding is done in one pass: a folded text folds to itself.
    if (FoldFullWidth(folded.c_str()) != folded) std::abort();

    const int32_t value = TextToInt(text.c_str());
    if (TextToInt(IntToText(value).c_str()) != value) std::abort();

    const double number = TextToNumber(text.c_str());
    (void)LowBitsOfTruncated(number);
    return 0;
}

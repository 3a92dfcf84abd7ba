// Icon files and icon-group directories from arbitrary bytes: the parser must
// never read outside them, what it selects must lie inside them, and the file
// of the chosen entries must give the choice the whole file gives.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "app/IconData.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // An exact-size copy, so a read past the end is a sanitizer error.
    const std::vector<unsigned char> bytes(data, data + size);
    for (bool large : {true, false}) {
        const auto image = SelectIconImage(bytes.data(), bytes.size(), large);
        if (image && (image->offset > size || image->size > size - image->offset)) std::abort();
    }

    // The same bytes as a group directory whose images are slices of them,
    // rebuilt whole and with the chosen entries only.
    const std::string_view all(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    const auto image = [&](uint16_t id) -> std::string_view {
        const size_t start = id % (size + 1);
        return all.substr(start, id / 7);
    };
    const std::string whole = BuildIconFile(all, image, IconEntries::All);
    const std::string choices = BuildIconFile(all, image, IconEntries::Choices);
    if (whole.empty() != choices.empty()) std::abort();
    for (bool large : {true, false}) {
        // What was rebuilt is a sound icon file, and both files give the same
        // choice: the same image bytes and header fields, or nothing.
        const auto a = SelectIconImage(reinterpret_cast<const unsigned char*>(whole.data()), whole.size(), large);
        const auto b = SelectIconImage(reinterpret_cast<const unsigned char*>(choices.data()), choices.size(), large);
        if (a && a->offset + a->size > whole.size()) std::abort();
        if (b && b->offset + b->size > choices.size()) std::abort();
        if (a.has_value() != b.has_value()) std::abort();
        if (a && (whole.compare(a->offset, a->size, choices, b->offset, b->size) != 0 || a->width != b->width ||
                  a->height != b->height || a->bitCount != b->bitCount || a->png != b->png)) {
            std::abort();
        }
    }
    return 0;
}

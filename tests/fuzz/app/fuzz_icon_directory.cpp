// Icon files and icon-group directories from arbitrary bytes: the parser must
// never read outside them, and what it selects must lie inside them.
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

    // The same bytes as a group directory whose images are slices of them.
    const std::string_view all(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    const std::string file = BuildIconFile(all, [&](uint16_t id) -> std::string_view {
        const size_t start = id % (size + 1);
        return all.substr(start, id / 7);
    });
    if (!file.empty()) {
        // What was rebuilt is a sound icon file: its selection lies inside it.
        const auto* rebuilt = reinterpret_cast<const unsigned char*>(file.data());
        const auto image = SelectIconImage(rebuilt, file.size(), true);
        if (image && image->offset + image->size > file.size()) std::abort();
    }
    return 0;
}

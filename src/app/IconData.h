#pragma once
// The icon file format as the window reads and rebuilds it: the directory of an
// icon file, the choice of the image for a large or small icon, and the icon
// file rebuilt from an icon-group resource. Plain bytes in, plain values out;
// nothing here reads outside the bytes it is given.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

struct IconImage {
    size_t offset = 0;      // of the image's bytes in the icon file
    size_t size = 0;        // the image's byte count
    int32_t width = 0;      // biWidth of the image's bitmap header
    int32_t height = 0;     // biHeight / 2: the header counts the XOR and AND masks
    uint16_t bitCount = 0;  // biBitCount; 0 for a PNG image
    bool png = false;       // a PNG image: width and height come from its directory entry
};

// The image that makes the 32 x 32 (large) or 16 x 16 icon: the first directory
// entry with a colour count of 16 or more and that width, else the last entry.
// Nothing when the header is not an icon or cursor header, the count is 0, the
// directory or the chosen image lies outside the data, or the image is too short
// to hold the start of a bitmap header.
std::optional<IconImage> SelectIconImage(const unsigned char* data, size_t size, bool large);

enum class IconEntries {
    All,      // every entry whose image is found, in the group's order
    Choices,  // only the entries SelectIconImage can pick, large or small, in
              // the group's order: it picks the same images as in the whole file
};

// An icon file rebuilt from the bytes of an RT_GROUP_ICON resource: image(id)
// gives the bytes of the RT_ICON resource with that id, empty when it is missing
// (its entry is then left out). Empty when the group directory is malformed or
// no image is found. Only the kept images' bytes are copied.
std::string BuildIconFile(std::string_view groupDirectory,
                          const std::function<std::string_view(uint16_t id)>& image, IconEntries keep);

#include "app/IconData.h"

#include <vector>

namespace {

constexpr size_t headerSize = 6;
constexpr size_t fileEntrySize = 16;
constexpr size_t groupEntrySize = 14;
// biSize, biWidth, biHeight, biPlanes and biBitCount: the fields read here.
constexpr size_t bitmapFieldsSize = 16;

uint16_t Word(const unsigned char* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t Dword(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}
void PutWord(std::string& out, uint32_t v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>(v >> 8 & 0xFF));
}
void PutDword(std::string& out, uint32_t v) {
    PutWord(out, v & 0xFFFF);
    PutWord(out, v >> 16);
}

bool IsPng(const unsigned char* p, size_t n) {
    static const unsigned char signature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (n < sizeof signature) return false;
    for (size_t i = 0; i < sizeof signature; ++i)
        if (p[i] != signature[i]) return false;
    return true;
}

// The choice rule of SelectIconImage for one directory entry. The width and
// colour-count bytes lead the entry in an icon file and in a group directory
// alike, so both choose by it.
bool Qualifies(const unsigned char* entry, bool large) {
    return entry[2] >= 16 && entry[0] == (large ? 32 : 16);
}

}  // namespace

std::optional<IconImage> SelectIconImage(const unsigned char* data, size_t size, bool large) {
    if (data == nullptr || size < headerSize) return std::nullopt;
    const uint16_t type = Word(data + 2);
    const size_t count = Word(data + 4);
    if (Word(data) != 0 || (type != 1 && type != 2) || count == 0) return std::nullopt;
    if (count > (size - headerSize) / fileEntrySize) return std::nullopt;

    const unsigned char* entry = data + headerSize + (count - 1) * fileEntrySize;
    for (size_t i = 0; i < count; ++i) {
        const unsigned char* e = data + headerSize + i * fileEntrySize;
        if (Qualifies(e, large)) {
            entry = e;
            break;
        }
    }

    const size_t bytes = Dword(entry + 8);
    const size_t offset = Dword(entry + 12);
    if (offset > size || bytes > size - offset || bytes < bitmapFieldsSize) return std::nullopt;

    const unsigned char* image = data + offset;
    IconImage result;
    result.offset = offset;
    result.size = bytes;
    if (IsPng(image, bytes)) {
        // A PNG image has no bitmap header; its entry gives the size (0 means 256).
        result.png = true;
        result.width = entry[0] ? entry[0] : 256;
        result.height = entry[1] ? entry[1] : 256;
    } else {
        result.width = static_cast<int32_t>(Dword(image + 4));
        result.height = static_cast<int32_t>(Dword(image + 8)) / 2;
        result.bitCount = Word(image + 14);
    }
    return result;
}

std::string BuildIconFile(std::string_view groupDirectory,
                          const std::function<std::string_view(uint16_t id)>& image, IconEntries keep) {
    const auto* dir = reinterpret_cast<const unsigned char*>(groupDirectory.data());
    const size_t size = groupDirectory.size();
    if (size < headerSize) return {};
    const size_t count = Word(dir + 4);
    if (Word(dir) != 0 || count == 0 || count > (size - headerSize) / groupEntrySize) return {};

    struct Found {
        const unsigned char* entry;
        std::string_view bytes;
    };
    std::vector<Found> found;
    for (size_t i = 0; i < count; ++i) {
        const unsigned char* e = dir + headerSize + i * groupEntrySize;
        std::string_view bytes = image(Word(e + 12));
        if (!bytes.empty() && bytes.size() <= UINT32_MAX) found.push_back({e, bytes});
    }
    if (found.empty()) return {};
    if (keep == IconEntries::Choices) {
        // The first large and the first small candidate and the last entry, in
        // their order: no entry before a kept candidate qualifies for its size,
        // and the last entry stays last, so SelectIconImage picks in this file
        // what it picks in the whole one. The choice is made among the entries
        // whose image was found, as it is in the whole file.
        const auto first = [&](bool large) {
            for (size_t i = 0; i < found.size(); ++i)
                if (Qualifies(found[i].entry, large)) return i;
            return found.size();
        };
        const size_t large = first(true), small = first(false), last = found.size() - 1;
        std::vector<Found> kept;
        for (size_t i = 0; i < found.size(); ++i)
            if (i == large || i == small || i == last) kept.push_back(found[i]);
        found.swap(kept);
    }

    std::string out;
    PutWord(out, 0);
    PutWord(out, Word(dir + 2));
    PutWord(out, static_cast<uint32_t>(found.size()));
    size_t offset = headerSize + found.size() * fileEntrySize;
    for (const Found& f : found) {
        // Width, height, colour count, reserved, planes and bit count: the eight
        // leading bytes, the same in both directory forms. The byte count that
        // follows is the image's actual size, not the group's claim.
        out.append(reinterpret_cast<const char*>(f.entry), 8);
        PutDword(out, static_cast<uint32_t>(f.bytes.size()));
        PutDword(out, static_cast<uint32_t>(offset));
        offset += f.bytes.size();
    }
    for (const Found& f : found) out.append(f.bytes);
    return out;
}

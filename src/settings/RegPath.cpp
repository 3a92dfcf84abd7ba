#include "settings/RegPath.h"

bool IsHighByte(unsigned char byte) { return byte >= 0x80; }

std::size_t LastSeparator(const char* text, LeadByteTest isLeadByte) {
    std::size_t last = std::string::npos;
    for (std::size_t i = 0; text[i] != '\0'; ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (isLeadByte(byte)) {
            if (text[i + 1] == '\0') break;  // a lone lead byte ends the scan
            ++i;
        } else if (byte == '\\') {
            last = i;
        }
    }
    return last;
}

RegPath SplitRegPath(const char* path) {
    const std::size_t cut = LastSeparator(path);
    if (cut == std::string::npos) return {std::string(), std::string(path)};
    return {std::string(path, cut), std::string(path + cut + 1)};
}

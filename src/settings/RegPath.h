#pragma once
// Cutting code-page-936 texts at their last backslash. A byte from 0x80 up
// starts a two-byte character whose second byte may be 0x5C; that byte is never
// a separator.
#include <cstddef>
#include <string>

// Whether a byte starts a two-byte character.
using LeadByteTest = bool (*)(unsigned char byte);

// The registry path rule: every byte from 0x80 up starts a two-byte character.
bool IsHighByte(unsigned char byte);

// Position of the last separating backslash in text, or npos where there is none.
std::size_t LastSeparator(const char* text, LeadByteTest isLeadByte = IsHighByte);

struct RegPath {
    std::string keyPath;    // relative to HKEY_CURRENT_USER; empty means that key itself
    std::string valueName;  // empty names the key's default value
};

RegPath SplitRegPath(const char* path);

#pragma once
// The store's five operations over the registry calls. Each opens its key,
// does one thing and closes the key before it returns; nothing is cached.
#include <cstdint>

#include "settings/RegistryOps.h"

// The number of a REG_DWORD of exactly 4 bytes, else defaultValue.
int32_t ReadRegNumber(RegistryOps& calls, const char* path, int32_t defaultValue);
// Stores a REG_DWORD, creating missing keys; true if stored.
bool WriteRegNumber(RegistryOps& calls, const char* path, int32_t value);
// Stores a REG_SZ with its terminating NUL, creating missing keys; true if stored.
bool WriteRegText(RegistryOps& calls, const char* path, const char* text);
// Removes the value, or else a key without subkeys named by the whole path;
// true if either was deleted.
bool DeleteRegValue(RegistryOps& calls, const char* path);
// True if the value can be queried, whatever its type and content.
bool RegValueExists(RegistryOps& calls, const char* path);

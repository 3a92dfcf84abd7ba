#pragma once
// Single values under HKEY_CURRENT_USER, each named by one path whose last
// backslash separates key path and value name. Each call opens and closes its key.
#include <cstdint>

int32_t ReadRegNumber(const char* path, int32_t defaultValue);
bool WriteRegNumber(const char* path, int32_t value);
bool WriteRegText(const char* path, const char* text);
bool DeleteRegValue(const char* path);
bool RegValueExists(const char* path);

#include "settings/RegistryStoreWin.h"

#include "settings/RegistryStore.h"
#include "settings/RegistryOpsWin.h"

int32_t ReadRegNumber(const char* path, int32_t defaultValue) {
    return ReadRegNumber(SystemRegistry(), path, defaultValue);
}

bool WriteRegNumber(const char* path, int32_t value) { return WriteRegNumber(SystemRegistry(), path, value); }

bool WriteRegText(const char* path, const char* text) { return WriteRegText(SystemRegistry(), path, text); }

bool DeleteRegValue(const char* path) { return DeleteRegValue(SystemRegistry(), path); }

bool RegValueExists(const char* path) { return RegValueExists(SystemRegistry(), path); }

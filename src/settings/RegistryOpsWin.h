#pragma once
// The registry calls bound to the ANSI advapi32 functions.
#include "settings/RegistryOps.h"

class Win32RegistryOps final : public RegistryOps {
public:
    int32_t openKey(reg::Key parent, const char* subKey, uint32_t access, reg::Key* result) override;
    int32_t createKey(reg::Key parent, const char* subKey, reg::Key* result) override;
    int32_t queryValue(reg::Key key, const char* name, uint32_t* type, uint8_t* data, uint32_t* size) override;
    int32_t setValue(reg::Key key, const char* name, uint32_t type, const uint8_t* data, uint32_t size) override;
    int32_t deleteValue(reg::Key key, const char* name) override;
    int32_t deleteKey(reg::Key parent, const char* subKey) override;
    int32_t closeKey(reg::Key key) override;
};

// The one instance the program's settings use.
Win32RegistryOps& SystemRegistry();

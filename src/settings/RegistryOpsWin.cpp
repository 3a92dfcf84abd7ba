#include "settings/RegistryOpsWin.h"

#include <windows.h>

static_assert(sizeof(reg::Key) == sizeof(HKEY));
static_assert(sizeof(DWORD) == sizeof(uint32_t));

namespace {

HKEY AsHkey(reg::Key key) { return reinterpret_cast<HKEY>(key); }

// The seam's handle is written only on success.
int32_t Deliver(LONG status, HKEY opened, reg::Key* result) {
    if (status == ERROR_SUCCESS) *result = reinterpret_cast<reg::Key>(opened);
    return static_cast<int32_t>(status);
}

}  // namespace

int32_t Win32RegistryOps::openKey(reg::Key parent, const char* subKey, uint32_t access, reg::Key* result) {
    HKEY opened = nullptr;
    const LONG status = RegOpenKeyExA(AsHkey(parent), subKey, 0, access, &opened);
    return Deliver(status, opened, result);
}

int32_t Win32RegistryOps::createKey(reg::Key parent, const char* subKey, reg::Key* result) {
    HKEY opened = nullptr;
    const LONG status = RegCreateKeyA(AsHkey(parent), subKey, &opened);
    return Deliver(status, opened, result);
}

int32_t Win32RegistryOps::queryValue(reg::Key key, const char* name, uint32_t* type, uint8_t* data, uint32_t* size) {
    DWORD dwType = 0;
    DWORD dwSize = size ? *size : 0;
    const LONG status = RegQueryValueExA(AsHkey(key), name, nullptr, type ? &dwType : nullptr, data,
                                         size ? &dwSize : nullptr);
    if (type) *type = dwType;
    if (size) *size = dwSize;
    return static_cast<int32_t>(status);
}

int32_t Win32RegistryOps::setValue(reg::Key key, const char* name, uint32_t type, const uint8_t* data, uint32_t size) {
    return static_cast<int32_t>(RegSetValueExA(AsHkey(key), name, 0, type, data, size));
}

int32_t Win32RegistryOps::deleteValue(reg::Key key, const char* name) {
    return static_cast<int32_t>(RegDeleteValueA(AsHkey(key), name));
}

int32_t Win32RegistryOps::deleteKey(reg::Key parent, const char* subKey) {
    return static_cast<int32_t>(RegDeleteKeyA(AsHkey(parent), subKey));
}

int32_t Win32RegistryOps::closeKey(reg::Key key) {
    return static_cast<int32_t>(RegCloseKey(AsHkey(key)));
}

Win32RegistryOps& SystemRegistry() {
    static Win32RegistryOps registry;
    return registry;
}

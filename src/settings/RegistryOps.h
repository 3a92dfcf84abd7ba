#pragma once
// The advapi32 registry calls the store makes, in plain types, so that the
// store's algorithms run natively against a stand-in and on Windows against the
// real registry. Key handles are uintptr_t, results are Win32 status codes.
#include <cstdint>

namespace reg {

using Key = uintptr_t;

// HKEY_CURRENT_USER is the sign-extended 32-bit constant 0x80000001.
constexpr Key currentUser = static_cast<Key>(static_cast<intptr_t>(INT32_MIN + 1));

constexpr int32_t ok = 0;
constexpr int32_t fileNotFound = 2;
constexpr int32_t accessDenied = 5;
constexpr int32_t invalidHandle = 6;
constexpr int32_t moreData = 234;

constexpr uint32_t typeNone = 0;
constexpr uint32_t typeSz = 1;
constexpr uint32_t typeExpandSz = 2;
constexpr uint32_t typeBinary = 3;
constexpr uint32_t typeDword = 4;
constexpr uint32_t typeQword = 11;

constexpr uint32_t keyRead = 0x20019;
constexpr uint32_t keyWrite = 0x20006;

}  // namespace reg

// One member per ANSI call, with the arguments the store passes.
class RegistryOps {
public:
    virtual ~RegistryOps() = default;
    // RegOpenKeyExA(parent, subKey, 0, access, result)
    virtual int32_t openKey(reg::Key parent, const char* subKey, uint32_t access, reg::Key* result) = 0;
    // RegCreateKeyA(parent, subKey, result)
    virtual int32_t createKey(reg::Key parent, const char* subKey, reg::Key* result) = 0;
    // RegQueryValueExA(key, name, NULL, type, data, size); type and data may be null.
    virtual int32_t queryValue(reg::Key key, const char* name, uint32_t* type, uint8_t* data, uint32_t* size) = 0;
    // RegSetValueExA(key, name, 0, type, data, size)
    virtual int32_t setValue(reg::Key key, const char* name, uint32_t type, const uint8_t* data, uint32_t size) = 0;
    // RegDeleteValueA(key, name)
    virtual int32_t deleteValue(reg::Key key, const char* name) = 0;
    // RegDeleteKeyA(parent, subKey)
    virtual int32_t deleteKey(reg::Key parent, const char* subKey) = 0;
    // RegCloseKey(key)
    virtual int32_t closeKey(reg::Key key) = 0;
};

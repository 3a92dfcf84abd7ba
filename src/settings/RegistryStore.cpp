#include "settings/RegistryStore.h"

#include <cstring>

#include "settings/RegPath.h"

namespace {

// Owns a key handle opened through the seam for the length of one operation.
class OpenedKey {
public:
    explicit OpenedKey(RegistryOps& calls) : calls_(calls) {}
    ~OpenedKey() {
        if (open_) calls_.closeKey(key_);
    }
    OpenedKey(const OpenedKey&) = delete;
    OpenedKey& operator=(const OpenedKey&) = delete;

    bool open(const std::string& keyPath, uint32_t access) {
        open_ = calls_.openKey(reg::currentUser, keyPath.c_str(), access, &key_) == reg::ok;
        return open_;
    }
    // Opening for writing first; RegCreateKeyA only where that fails.
    bool openForWriting(const std::string& keyPath) {
        if (open(keyPath, reg::keyWrite)) return true;
        open_ = calls_.createKey(reg::currentUser, keyPath.c_str(), &key_) == reg::ok;
        return open_;
    }
    reg::Key get() const { return key_; }

private:
    RegistryOps& calls_;
    reg::Key key_ = 0;
    bool open_ = false;
};

bool SetValue(RegistryOps& calls, const char* path, uint32_t type, const uint8_t* data, uint32_t size) {
    const RegPath split = SplitRegPath(path);
    OpenedKey key(calls);
    if (!key.openForWriting(split.keyPath)) return false;
    return calls.setValue(key.get(), split.valueName.c_str(), type, data, size) == reg::ok;
}

}  // namespace

int32_t ReadRegNumber(RegistryOps& calls, const char* path, int32_t defaultValue) {
    const RegPath split = SplitRegPath(path);
    OpenedKey key(calls);
    if (!key.open(split.keyPath, reg::keyRead)) return defaultValue;

    uint32_t type = 0;
    uint32_t size = 0;
    if (calls.queryValue(key.get(), split.valueName.c_str(), &type, nullptr, &size) != reg::ok) return defaultValue;
    if (type != reg::typeDword) return defaultValue;

    uint8_t bytes[4] = {};
    size = sizeof bytes;
    if (calls.queryValue(key.get(), split.valueName.c_str(), nullptr, bytes, &size) != reg::ok) return defaultValue;
    // A shorter REG_DWORD would leave part of the buffer unwritten: not a number.
    if (size != sizeof bytes) return defaultValue;

    const uint32_t raw = uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 |
                         uint32_t{bytes[3]} << 24;
    return static_cast<int32_t>(raw);
}

bool WriteRegNumber(RegistryOps& calls, const char* path, int32_t value) {
    const auto raw = static_cast<uint32_t>(value);
    const uint8_t bytes[4] = {static_cast<uint8_t>(raw), static_cast<uint8_t>(raw >> 8),
                              static_cast<uint8_t>(raw >> 16), static_cast<uint8_t>(raw >> 24)};
    return SetValue(calls, path, reg::typeDword, bytes, sizeof bytes);
}

bool WriteRegText(RegistryOps& calls, const char* path, const char* text) {
    const std::size_t length = std::strlen(text) + 1;
    if (length > UINT32_MAX) return false;
    return SetValue(calls, path, reg::typeSz, reinterpret_cast<const uint8_t*>(text),
                    static_cast<uint32_t>(length));
}

bool DeleteRegValue(RegistryOps& calls, const char* path) {
    const RegPath split = SplitRegPath(path);
    bool deleted = false;
    {
        OpenedKey key(calls);
        if (key.open(split.keyPath, reg::keyWrite))
            deleted = calls.deleteValue(key.get(), split.valueName.c_str()) == reg::ok;
    }
    // The key is closed before the fallback takes the whole path as a key.
    if (!deleted) deleted = calls.deleteKey(reg::currentUser, path) == reg::ok;
    return deleted;
}

bool RegValueExists(RegistryOps& calls, const char* path) {
    const RegPath split = SplitRegPath(path);
    OpenedKey key(calls);
    if (!key.open(split.keyPath, reg::keyRead)) return false;
    uint32_t type = 0;
    uint32_t size = 0;
    return calls.queryValue(key.get(), split.valueName.c_str(), &type, nullptr, &size) == reg::ok;
}

#pragma once
// An in-memory HKEY_CURRENT_USER that answers the registry calls as the
// advapi32 documentation describes them: case-insensitive names, any value
// type and size, ERROR_MORE_DATA for a short buffer, intermediate keys made by
// RegCreateKeyA, RegDeleteKeyA refused for a key with subkeys, access checked
// against the mask the key was opened with. It logs every call and counts
// handles left open.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "settings/RegistryOps.h"

class FakeRegistryOps final : public RegistryOps {
public:
    FakeRegistryOps();

    int32_t openKey(reg::Key parent, const char* subKey, uint32_t access, reg::Key* result) override;
    int32_t createKey(reg::Key parent, const char* subKey, reg::Key* result) override;
    int32_t queryValue(reg::Key key, const char* name, uint32_t* type, uint8_t* data, uint32_t* size) override;
    int32_t setValue(reg::Key key, const char* name, uint32_t type, const uint8_t* data, uint32_t size) override;
    int32_t deleteValue(reg::Key key, const char* name) override;
    int32_t deleteKey(reg::Key parent, const char* subKey) override;
    int32_t closeKey(reg::Key key) override;

    // A key whose opening for writing, creation below it and changes are refused
    // with ERROR_ACCESS_DENIED, like a Run key locked by policy.
    void makeReadOnly(const std::string& keyPath);

    std::size_t openHandles() const { return handles_.size(); }
    const std::vector<std::string>& log() const { return log_; }
    void clearLog() { log_.clear(); }

private:
    struct CaseLess {
        bool operator()(const std::string& a, const std::string& b) const;
    };
    struct Value {
        uint32_t type;
        std::vector<uint8_t> data;
    };
    struct Node {
        std::map<std::string, std::shared_ptr<Node>, CaseLess> keys;
        std::map<std::string, Value, CaseLess> values;
        bool readOnly = false;
        bool deleted = false;
    };
    struct Handle {
        std::shared_ptr<Node> node;
        uint32_t access;
    };

    // The node a handle or the predefined key stands for, or null.
    std::shared_ptr<Node> resolve(reg::Key key, uint32_t* access) const;
    // Walks subKey below from; creates missing keys when create is set.
    int32_t walk(std::shared_ptr<Node> from, const char* subKey, bool create, std::shared_ptr<Node>* found);
    reg::Key addHandle(std::shared_ptr<Node> node, uint32_t access);
    int32_t record(std::string call, int32_t status);
    std::string keyName(reg::Key key) const;

    std::shared_ptr<Node> root_;
    std::map<reg::Key, Handle> handles_;
    reg::Key nextHandle_ = 0x1000;
    std::vector<std::string> log_;
};

#include "FakeRegistryOps.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr uint32_t queryValueRight = 0x0001;
constexpr uint32_t setValueRight = 0x0002;
constexpr uint32_t createSubKeyRight = 0x0004;
constexpr uint32_t allAccess = 0xF003F;
constexpr int32_t keyDeleted = 1018;
constexpr int32_t badPathname = 161;
constexpr int32_t invalidParameter = 87;

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Key path components; a 0x5C that is the second byte of a two-byte
// character is part of the name, as after the ANSI-to-Unicode conversion.
bool SplitComponents(const char* path, std::vector<std::string>* parts) {
    std::string current;
    for (std::size_t i = 0; path[i] != '\0'; ++i) {
        const auto byte = static_cast<unsigned char>(path[i]);
        if (byte >= 0x80 && path[i + 1] != '\0') {
            current += path[i];
            current += path[++i];
        } else if (byte == '\\') {
            if (current.empty()) return false;  // leading or doubled backslash
            parts->push_back(current);
            current.clear();
        } else {
            current += path[i];
        }
    }
    if (!current.empty()) parts->push_back(current);
    return true;
}

std::string Quoted(const char* text) { return text ? "\"" + std::string(text) + "\"" : "NULL"; }

std::string Hex(uint32_t v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%X", v);
    return buf;
}

}  // namespace

bool FakeRegistryOps::CaseLess::operator()(const std::string& a, const std::string& b) const {
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        const char x = Lower(a[i]);
        const char y = Lower(b[i]);
        if (x != y) return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
    }
    return a.size() < b.size();
}

FakeRegistryOps::FakeRegistryOps() : root_(std::make_shared<Node>()) {}

std::shared_ptr<FakeRegistryOps::Node> FakeRegistryOps::resolve(reg::Key key, uint32_t* access) const {
    if (key == reg::currentUser) {
        *access = allAccess;
        return root_;
    }
    const auto it = handles_.find(key);
    if (it == handles_.end()) return nullptr;
    *access = it->second.access;
    return it->second.node;
}

int32_t FakeRegistryOps::walk(std::shared_ptr<Node> from, const char* subKey, bool create,
                           std::shared_ptr<Node>* found) {
    std::vector<std::string> parts;
    if (subKey != nullptr && !SplitComponents(subKey, &parts)) return badPathname;
    std::shared_ptr<Node> node = std::move(from);
    for (const std::string& part : parts) {
        auto it = node->keys.find(part);
        if (it == node->keys.end()) {
            if (!create) return reg::fileNotFound;
            if (node->readOnly) return reg::accessDenied;
            it = node->keys.emplace(part, std::make_shared<Node>()).first;
        }
        node = it->second;
    }
    *found = node;
    return reg::ok;
}

reg::Key FakeRegistryOps::addHandle(std::shared_ptr<Node> node, uint32_t access) {
    const reg::Key key = nextHandle_;
    nextHandle_ += 4;
    handles_[key] = Handle{std::move(node), access};
    return key;
}

int32_t FakeRegistryOps::record(std::string call, int32_t status) {
    log_.push_back(call + " -> " + std::to_string(status));
    return status;
}

std::string FakeRegistryOps::keyName(reg::Key key) const { return key == reg::currentUser ? "HKCU" : "key"; }

int32_t FakeRegistryOps::openKey(reg::Key parent, const char* subKey, uint32_t access, reg::Key* result) {
    const std::string call = "RegOpenKeyExA(" + keyName(parent) + ", " + Quoted(subKey) + ", " + Hex(access) + ")";
    uint32_t parentAccess = 0;
    std::shared_ptr<Node> from = resolve(parent, &parentAccess);
    if (!from) return record(call, reg::invalidHandle);
    if (from->deleted) return record(call, keyDeleted);
    std::shared_ptr<Node> node;
    if (const int32_t status = walk(from, subKey, false, &node); status != reg::ok) return record(call, status);
    if (node->readOnly && (access & (setValueRight | createSubKeyRight)) != 0) return record(call, reg::accessDenied);
    *result = addHandle(node, access);
    return record(call, reg::ok);
}

int32_t FakeRegistryOps::createKey(reg::Key parent, const char* subKey, reg::Key* result) {
    const std::string call = "RegCreateKeyA(" + keyName(parent) + ", " + Quoted(subKey) + ")";
    uint32_t parentAccess = 0;
    std::shared_ptr<Node> from = resolve(parent, &parentAccess);
    if (!from) return record(call, reg::invalidHandle);
    if (from->deleted) return record(call, keyDeleted);
    std::shared_ptr<Node> node;
    if (const int32_t status = walk(from, subKey, true, &node); status != reg::ok) return record(call, status);
    if (node->readOnly) return record(call, reg::accessDenied);
    *result = addHandle(node, allAccess);
    return record(call, reg::ok);
}

int32_t FakeRegistryOps::queryValue(reg::Key key, const char* name, uint32_t* type, uint8_t* data, uint32_t* size) {
    const std::string call = "RegQueryValueExA(" + Quoted(name) + ", " + (type ? "&type" : "NULL") + ", " +
                             (data ? "data" : "NULL") + ", " + (size ? std::to_string(*size) : "NULL") + ")";
    uint32_t access = 0;
    std::shared_ptr<Node> node = resolve(key, &access);
    if (!node) return record(call, reg::invalidHandle);
    if (node->deleted) return record(call, keyDeleted);
    if ((access & queryValueRight) == 0) return record(call, reg::accessDenied);
    if (data != nullptr && size == nullptr) return record(call, invalidParameter);
    const auto it = node->values.find(name ? name : "");
    if (it == node->values.end()) return record(call, reg::fileNotFound);
    const Value& value = it->second;
    const auto length = static_cast<uint32_t>(value.data.size());
    if (type) *type = value.type;
    if (data == nullptr) {
        if (size) *size = length;
        return record(call, reg::ok);
    }
    if (*size < length) {
        *size = length;
        return record(call, reg::moreData);
    }
    if (length > 0) std::memcpy(data, value.data.data(), length);
    *size = length;
    return record(call, reg::ok);
}

int32_t FakeRegistryOps::setValue(reg::Key key, const char* name, uint32_t type, const uint8_t* data, uint32_t size) {
    const std::string call = "RegSetValueExA(" + Quoted(name) + ", " + std::to_string(type) + ", " +
                             std::to_string(size) + ")";
    uint32_t access = 0;
    std::shared_ptr<Node> node = resolve(key, &access);
    if (!node) return record(call, reg::invalidHandle);
    if (node->deleted) return record(call, keyDeleted);
    if ((access & setValueRight) == 0 || node->readOnly) return record(call, reg::accessDenied);
    if (data == nullptr && size != 0) return record(call, invalidParameter);
    node->values[name ? name : ""] = Value{type, std::vector<uint8_t>(data, data + size)};
    return record(call, reg::ok);
}

int32_t FakeRegistryOps::deleteValue(reg::Key key, const char* name) {
    const std::string call = "RegDeleteValueA(" + Quoted(name) + ")";
    uint32_t access = 0;
    std::shared_ptr<Node> node = resolve(key, &access);
    if (!node) return record(call, reg::invalidHandle);
    if (node->deleted) return record(call, keyDeleted);
    if ((access & setValueRight) == 0 || node->readOnly) return record(call, reg::accessDenied);
    if (node->values.erase(name ? name : "") == 0) return record(call, reg::fileNotFound);
    return record(call, reg::ok);
}

int32_t FakeRegistryOps::deleteKey(reg::Key parent, const char* subKey) {
    const std::string call = "RegDeleteKeyA(" + keyName(parent) + ", " + Quoted(subKey) + ")";
    uint32_t access = 0;
    std::shared_ptr<Node> from = resolve(parent, &access);
    if (!from) return record(call, reg::invalidHandle);
    std::vector<std::string> parts;
    if (subKey == nullptr || !SplitComponents(subKey, &parts)) return record(call, badPathname);
    if (parts.empty()) return record(call, reg::accessDenied);  // the key itself is never deleted here
    std::shared_ptr<Node> owner = from;
    for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
        const auto it = owner->keys.find(parts[i]);
        if (it == owner->keys.end()) return record(call, reg::fileNotFound);
        owner = it->second;
    }
    const auto it = owner->keys.find(parts.back());
    if (it == owner->keys.end()) return record(call, reg::fileNotFound);
    if (!it->second->keys.empty() || owner->readOnly || it->second->readOnly) return record(call, reg::accessDenied);
    it->second->deleted = true;
    owner->keys.erase(it);
    return record(call, reg::ok);
}

int32_t FakeRegistryOps::closeKey(reg::Key key) {
    if (key == reg::currentUser) return record("RegCloseKey(HKCU)", reg::ok);
    return record("RegCloseKey(key)", handles_.erase(key) == 1 ? reg::ok : reg::invalidHandle);
}

void FakeRegistryOps::makeReadOnly(const std::string& keyPath) {
    std::shared_ptr<Node> node;
    walk(root_, keyPath.c_str(), true, &node);
    node->readOnly = true;
}

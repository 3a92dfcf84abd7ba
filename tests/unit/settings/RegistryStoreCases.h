#pragma once
// One table of registry-store cases, run natively against FakeRegistryOps and
// under Wine against the real registry. Every path is relative to a scratch
// key of its own per case, so cases never see each other's values.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "settings/RegistryOps.h"
#include "settings/RegistryStore.h"

namespace storecases {

struct Given {
    std::string key;   // relative key path; created with every key above it
    bool hasValue;
    std::string name;  // value name under key
    uint32_t type;
    std::string bytes;
};

inline Given Key(std::string key) { return {std::move(key), false, "", 0, ""}; }
inline Given Value(std::string key, std::string name, uint32_t type, std::string bytes) {
    return {std::move(key), true, std::move(name), type, std::move(bytes)};
}

// The stored bytes of a text: its characters and the terminating NUL.
inline std::string Sz(const std::string& text) { return text + '\0'; }
inline std::string Dword(uint32_t v) {
    return std::string{static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                       static_cast<char>(v >> 24)};
}

enum class Op { Read, WriteNumber, WriteText, Delete, Exists };

struct Check {
    enum What { ValueIs, ValueMissing, KeyPresent, KeyMissing } what;
    std::string key;
    std::string name;
    uint32_t type;
    std::string bytes;
};

inline Check ValueIs(std::string key, std::string name, uint32_t type, std::string bytes) {
    return {Check::ValueIs, std::move(key), std::move(name), type, std::move(bytes)};
}
inline Check ValueMissing(std::string key, std::string name) {
    return {Check::ValueMissing, std::move(key), std::move(name), 0, ""};
}
inline Check KeyPresent(std::string key) { return {Check::KeyPresent, std::move(key), "", 0, ""}; }
inline Check KeyMissing(std::string key) { return {Check::KeyMissing, std::move(key), "", 0, ""}; }

struct StoreCase {
    const char* behaviour;
    std::vector<Given> given;
    Op op;
    std::string path;    // relative path of the value the operation names
    int32_t argument;    // the default of a read, the number of a write
    std::string text;    // the text of a text write
    int32_t expected;    // a read's number; 1 or 0 for the other operations
    std::vector<Check> then;
};

using namespace reg;

inline const std::vector<StoreCase>& Cases() {
    static const std::vector<StoreCase> cases = {
        // Reading a number: only a REG_DWORD of exactly four bytes counts.
        {"a REG_DWORD reads as its number", {Value("P", "Delay", typeDword, Dword(250))},
         Op::Read, "P\\Delay", 100, "", 250, {}},
        {"0xFFFFFFFF reads as -1", {Value("P", "Delay", typeDword, Dword(0xFFFFFFFF))},
         Op::Read, "P\\Delay", 100, "", -1, {}},
        {"a REG_SZ of digits gives the default", {Value("P", "Delay", typeSz, Sz("250"))},
         Op::Read, "P\\Delay", 100, "", 100, {}},
        {"an 8-byte REG_DWORD gives the default",
         {Value("P", "Delay", typeDword, Dword(250) + Dword(0))}, Op::Read, "P\\Delay", 100, "", 100, {}},
        {"a 2-byte REG_DWORD gives the default, not stale bytes",
         {Value("P", "Delay", typeDword, std::string("\xFA\x00", 2))}, Op::Read, "P\\Delay", 100, "", 100, {}},
        {"an empty REG_DWORD gives the default", {Value("P", "Delay", typeDword, "")},
         Op::Read, "P\\Delay", 100, "", 100, {}},
        {"a 4-byte REG_BINARY gives the default", {Value("P", "Delay", typeBinary, Dword(250))},
         Op::Read, "P\\Delay", 100, "", 100, {}},
        {"a REG_QWORD gives the default", {Value("P", "Delay", typeQword, Dword(250) + Dword(0))},
         Op::Read, "P\\Delay", 100, "", 100, {}},
        {"a missing value gives the default", {Key("P")}, Op::Read, "P\\Delay", -7, "", -7, {}},
        {"missing keys give the default", {}, Op::Read, "Maker\\Kestrova\\Delay", 100, "", 100,
         {KeyMissing("Maker")}},
        {"a key named like the value is not a value", {Key("P\\Delay")}, Op::Read, "P\\Delay", 100, "", 100, {}},
        {"value names are matched without regard to case", {Value("P", "DELAY", typeDword, Dword(5))},
         Op::Read, "p\\delay", 100, "", 5, {}},

        // Writing a number.
        {"the first write creates the missing keys and the value", {},
         Op::WriteNumber, "Maker\\Kestrova\\Delay", 250, "", 1,
         {KeyPresent("Maker"), KeyPresent("Maker\\Kestrova"),
          ValueIs("Maker\\Kestrova", "Delay", typeDword, Dword(250))}},
        {"a write over a REG_SZ stores a REG_DWORD", {Value("P", "Delay", typeSz, Sz("250"))},
         Op::WriteNumber, "P\\Delay", -1, "", 1, {ValueIs("P", "Delay", typeDword, Dword(0xFFFFFFFF))}},
        {"a write leaves the other values alone",
         {Value("P", "Delay", typeDword, Dword(1)), Value("P", "Other", typeSz, Sz("x"))},
         Op::WriteNumber, "P\\Delay", 2, "", 1,
         {ValueIs("P", "Delay", typeDword, Dword(2)), ValueIs("P", "Other", typeSz, Sz("x"))}},

        // Writing a text.
        {"a text replaces a value of another type", {Value("Run", "Kestrova", typeDword, Dword(7))},
         Op::WriteText, "Run\\Kestrova", 0, "\"D:\\My Tools\\tray.exe\" /hidden", 1,
         {ValueIs("Run", "Kestrova", typeSz, Sz("\"D:\\My Tools\\tray.exe\" /hidden"))}},
        {"a text write creates missing keys", {}, Op::WriteText, "A\\B\\Kestrova", 0, "x", 1,
         {KeyPresent("A\\B"), ValueIs("A\\B", "Kestrova", typeSz, Sz("x"))}},
        {"an empty text is stored as its NUL alone", {Key("Run")}, Op::WriteText, "Run\\Kestrova", 0, "", 1,
         {ValueIs("Run", "Kestrova", typeSz, Sz(""))}},
        {"a path ending in a backslash names the default value", {Key("P")}, Op::WriteText, "P\\", 0, "d", 1,
         {ValueIs("P", "", typeSz, Sz("d"))}},
        {"a second byte 0x5C does not cut the value name", {Key("P")},
         Op::WriteNumber, "P\\\x81\x5C\xB1\xED", 9, "", 1,
         {ValueIs("P", "\x81\x5C\xB1\xED", typeDword, Dword(9)), KeyMissing("P\\\x81")}},

        // Deleting.
        {"deleting a value removes it and keeps its key",
         {Value("Run", "Kestrova", typeSz, Sz("x")), Value("Run", "Other", typeSz, Sz("y"))},
         Op::Delete, "Run\\Kestrova", 0, "", 1,
         {ValueMissing("Run", "Kestrova"), ValueIs("Run", "Other", typeSz, Sz("y")), KeyPresent("Run")}},
        {"deleting a missing value without a same-named key changes nothing",
         {Value("Run", "Other", typeSz, Sz("y"))}, Op::Delete, "Run\\Kestrova", 0, "", 0,
         {ValueIs("Run", "Other", typeSz, Sz("y")), KeyPresent("Run")}},
        {"deleting a missing value removes a same-named empty key", {Key("Run\\Kestrova")},
         Op::Delete, "Run\\Kestrova", 0, "", 1, {KeyMissing("Run\\Kestrova"), KeyPresent("Run")}},
        {"a same-named key with subkeys is not deleted", {Key("Run\\Kestrova\\Sub")},
         Op::Delete, "Run\\Kestrova", 0, "", 0, {KeyPresent("Run\\Kestrova\\Sub")}},
        {"a deleted value spares a same-named key",
         {Value("Run", "Kestrova", typeSz, Sz("x")), Key("Run\\Kestrova")},
         Op::Delete, "Run\\Kestrova", 0, "", 1, {ValueMissing("Run", "Kestrova"), KeyPresent("Run\\Kestrova")}},
        {"deleting under a missing key gives false", {}, Op::Delete, "Gone\\Kestrova", 0, "", 0,
         {KeyMissing("Gone")}},

        // Testing for a value: any type, any content.
        {"a REG_SZ naming another program exists",
         {Value("Run", "Kestrova", typeSz, Sz("C:\\Other\\other.exe"))}, Op::Exists, "Run\\Kestrova", 0, "", 1, {}},
        {"an empty REG_SZ exists", {Value("Run", "Kestrova", typeSz, Sz(""))},
         Op::Exists, "Run\\Kestrova", 0, "", 1, {}},
        {"a REG_DWORD exists", {Value("Run", "Kestrova", typeDword, Dword(0))},
         Op::Exists, "Run\\Kestrova", 0, "", 1, {}},
        {"a zero-length REG_BINARY exists", {Value("Run", "Kestrova", typeBinary, "")},
         Op::Exists, "Run\\Kestrova", 0, "", 1, {}},
        {"a long REG_BINARY exists", {Value("Run", "Kestrova", typeBinary, std::string(300, 'b'))},
         Op::Exists, "Run\\Kestrova", 0, "", 1, {}},
        {"a missing value does not exist", {Value("Run", "Other", typeSz, Sz("x"))},
         Op::Exists, "Run\\Kestrova", 0, "", 0, {}},
        {"a same-named key is not a value", {Key("Run\\Kestrova")}, Op::Exists, "Run\\Kestrova", 0, "", 0, {}},
        {"a missing key means no value", {}, Op::Exists, "Run\\Kestrova", 0, "", 0, {}},
    };
    return cases;
}

inline std::string Join(const std::string& root, const std::string& relative) {
    if (root.empty()) return relative;
    if (relative.empty()) return root;
    return root + "\\" + relative;
}

inline void Arrange(RegistryOps& calls, const std::string& root, const Given& given) {
    reg::Key key = 0;
    ASSERT_EQ(calls.createKey(reg::currentUser, Join(root, given.key).c_str(), &key), reg::ok) << given.key;
    if (given.hasValue) {
        EXPECT_EQ(calls.setValue(key, given.name.c_str(), given.type,
                                 reinterpret_cast<const uint8_t*>(given.bytes.data()),
                                 static_cast<uint32_t>(given.bytes.size())),
                  reg::ok)
            << given.name;
    }
    calls.closeKey(key);
}

inline void Verify(RegistryOps& calls, const std::string& root, const Check& check) {
    SCOPED_TRACE("check of " + check.key + " / " + check.name);
    reg::Key key = 0;
    const int32_t opened = calls.openKey(reg::currentUser, Join(root, check.key).c_str(), reg::keyRead, &key);
    switch (check.what) {
    case Check::KeyPresent:
        EXPECT_EQ(opened, reg::ok);
        break;
    case Check::KeyMissing:
        EXPECT_EQ(opened, reg::fileNotFound);
        break;
    case Check::ValueIs:
    case Check::ValueMissing: {
        ASSERT_EQ(opened, reg::ok);
        uint8_t data[512] = {};
        uint32_t type = 0;
        uint32_t size = sizeof data;
        const int32_t status = calls.queryValue(key, check.name.c_str(), &type, data, &size);
        if (check.what == Check::ValueMissing) {
            EXPECT_EQ(status, reg::fileNotFound);
        } else {
            EXPECT_EQ(status, reg::ok);
            EXPECT_EQ(type, check.type);
            EXPECT_EQ(std::string(reinterpret_cast<const char*>(data), size), check.bytes);
        }
        break;
    }
    }
    if (opened == reg::ok) calls.closeKey(key);
}

// Runs one case below root (a key path under HKEY_CURRENT_USER, made by the
// first arranged key or write).
inline void Run(RegistryOps& calls, const std::string& root, const StoreCase& c) {
    for (const Given& given : c.given) {
        Arrange(calls, root, given);
        if (::testing::Test::HasFatalFailure()) return;
    }
    const std::string path = Join(root, c.path);
    int32_t result = 0;
    switch (c.op) {
    case Op::Read: result = ReadRegNumber(calls, path.c_str(), c.argument); break;
    case Op::WriteNumber: result = WriteRegNumber(calls, path.c_str(), c.argument); break;
    case Op::WriteText: result = WriteRegText(calls, path.c_str(), c.text.c_str()); break;
    case Op::Delete: result = DeleteRegValue(calls, path.c_str()); break;
    case Op::Exists: result = RegValueExists(calls, path.c_str()); break;
    }
    EXPECT_EQ(result, c.expected);
    for (const Check& check : c.then) Verify(calls, root, check);
}

}  // namespace storecases

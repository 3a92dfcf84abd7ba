#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "FakeRegistryOps.h"
#include "RegistryStoreCases.h"
#include "settings/RegistryStore.h"

namespace {

TEST(RegistryStore, CaseTable_OnTheStandIn_GivesResultsAndLeavesNoKeyOpen) {
    const auto& cases = storecases::Cases();
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].behaviour);
        FakeRegistryOps registry;
        storecases::Run(registry, "Software\\Scratch\\" + std::to_string(i), cases[i]);
        EXPECT_EQ(registry.openHandles(), 0u);
    }
}

TEST(RegistryStore, PathWithoutBackslash_WorksDirectlyUnderCurrentUser) {
    FakeRegistryOps registry;
    EXPECT_TRUE(WriteRegNumber(registry, "TopLevel", 42));
    EXPECT_EQ(ReadRegNumber(registry, "TopLevel", 0), 42);
    EXPECT_TRUE(RegValueExists(registry, "TopLevel"));
    EXPECT_TRUE(DeleteRegValue(registry, "TopLevel"));
    EXPECT_FALSE(RegValueExists(registry, "TopLevel"));
    EXPECT_EQ(registry.log().front(), "RegOpenKeyExA(HKCU, \"\", 0x20006) -> 0");
}

// The exact calls each operation makes, with their access masks, in order.
TEST(RegistryStore, EachOperation_MakesExactlyItsCalls) {
    struct Case {
        const char* behaviour;
        bool keyExists;  // "Software\Maker\Kestrova" with a REG_DWORD "Delay" = 5
        std::function<void(RegistryOps&)> operation;
        std::vector<std::string> calls;
    };
    const std::vector<Case> cases = {
        {"read of a stored number", true, [](RegistryOps& r) { ReadRegNumber(r, "Software\\Maker\\Kestrova\\Delay", 1); },
         {"RegOpenKeyExA(HKCU, \"Software\\Maker\\Kestrova\", 0x20019) -> 0",
          "RegQueryValueExA(\"Delay\", &type, NULL, 0) -> 0",
          "RegQueryValueExA(\"Delay\", NULL, data, 4) -> 0",
          "RegCloseKey(key) -> 0"}},
        {"read of a missing value", true, [](RegistryOps& r) { ReadRegNumber(r, "Software\\Maker\\Kestrova\\Nope", 1); },
         {"RegOpenKeyExA(HKCU, \"Software\\Maker\\Kestrova\", 0x20019) -> 0",
          "RegQueryValueExA(\"Nope\", &type, NULL, 0) -> 2",
          "RegCloseKey(key) -> 0"}},
        {"read under a missing key", false, [](RegistryOps& r) { ReadRegNumber(r, "Software\\Maker\\Kestrova\\Delay", 1); },
         {"RegOpenKeyExA(HKCU, \"Software\\Maker\\Kestrova\", 0x20019) -> 2"}},
        {"write into an existing key", true, [](RegistryOps& r) { WriteRegNumber(r, "Software\\Maker\\Kestrova\\Delay", 9); },
         {"RegOpenKeyExA(HKCU, \"Software\\Maker\\Kestrova\", 0x20006) -> 0",
          "RegSetValueExA(\"Delay\", 4, 4) -> 0",
          "RegCloseKey(key) -> 0"}},
        {"write creating its key", false, [](RegistryOps& r) { WriteRegText(r, "Software\\Maker\\Kestrova\\Run", "abc"); },
         {"RegOpenKeyExA(HKCU, \"Software\\Maker\\Kestrova\", 0x20006) -> 2",
          "RegCreateKeyA(HKCU, \"Software\\Maker\\Kestrova\") -> 0",
          "RegSetValueExA(\"Run\", 1, 4) -> 0",
          "RegCloseKey(key) -> 0"}},
        {"delete of a stored value", true, [](RegistryOps& r) { DeleteRegValue(r, "Software\\Maker\\Kestrova\\Delay"); },
         {"RegOpenKeyExA(HKCU, \"Software\\Maker\\Kestrova\", 0x20006) -> 0",
          "RegDeleteValueA(\"Delay\") -> 0",
          "RegCloseKey(key) -> 0"}},
        {"delete of a missing value falls back after closing", true,
         [](RegistryOps& r) { DeleteRegValue(r, "Software\\Maker\\Kestrova\\Nope"); },
         {"RegOpenKeyExA(HKCU, \"Software\\Maker\\Kestrova\", 0x20006) -> 0",
          "RegDeleteValueA(\"Nope\") -> 2",
          "RegCloseKey(key) -> 0",
          "RegDeleteKeyA(HKCU, \"Software\\Maker\\Kestrova\\Nope\") -> 2"}},
        {"delete under a missing key", false, [](RegistryOps& r) { DeleteRegValue(r, "Software\\Maker\\Kestrova\\Delay"); },
         {"RegOpenKeyExA(HKCU, \"Software\\Maker\\Kestrova\", 0x20006) -> 2",
          "RegDeleteKeyA(HKCU, \"Software\\Maker\\Kestrova\\Delay\") -> 2"}},
        {"existence test", true, [](RegistryOps& r) { RegValueExists(r, "Software\\Maker\\Kestrova\\Delay"); },
         {"RegOpenKeyExA(HKCU, \"Software\\Maker\\Kestrova\", 0x20019) -> 0",
          "RegQueryValueExA(\"Delay\", &type, NULL, 0) -> 0",
          "RegCloseKey(key) -> 0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.behaviour);
        FakeRegistryOps registry;
        if (c.keyExists) {
            ASSERT_TRUE(WriteRegNumber(registry, "Software\\Maker\\Kestrova\\Delay", 5));
        }
        registry.clearLog();
        c.operation(registry);
        EXPECT_EQ(registry.log(), c.calls);
    }
}

TEST(RegistryStore, WritesToAKeyThatCannotBeWritten_GiveFalseAndStoreNothing) {
    FakeRegistryOps registry;
    const char* run = "Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Kestrova";
    registry.makeReadOnly("Software\\Microsoft\\Windows\\CurrentVersion\\Run");
    EXPECT_FALSE(WriteRegText(registry, run, "x"));
    EXPECT_FALSE(WriteRegNumber(registry, run, 1));
    EXPECT_FALSE(RegValueExists(registry, run));
    EXPECT_FALSE(DeleteRegValue(registry, run));
    EXPECT_EQ(registry.openHandles(), 0u);
}

}  // namespace

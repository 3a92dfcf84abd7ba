// The registry store against the real (Wine) registry, in scratch keys under
// HKEY_CURRENT_USER of the private prefix the test runs in.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "RegistryStoreCases.h"
#include "settings/RegistryStoreWin.h"
#include "settings/SettingsLogicWin.h"
#include "settings/RegistryOpsWin.h"

namespace {

// Each run takes a key of its own, so reruns in one prefix start clean.
std::string ScratchRoot() { return "Software\\KestrovaStoreScratch\\" + std::to_string(GetCurrentProcessId()); }

TEST(RegistryStoreOnWine, CurrentUserConstant_IsTheRealPredefinedKey) {
    EXPECT_EQ(reg::currentUser, reinterpret_cast<reg::Key>(HKEY_CURRENT_USER));
}

TEST(RegistryStoreOnWine, CaseTable_OnTheRealRegistry_GivesTheSameResults) {
    const auto& cases = storecases::Cases();
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].behaviour);
        storecases::Run(SystemRegistry(), ScratchRoot() + "\\" + std::to_string(i), cases[i]);
    }
}

TEST(RegistryStoreOnWine, PathWithoutBackslash_WorksDirectlyUnderCurrentUser) {
    const char* name = "KestrovaTopLevelScratch";
    EXPECT_FALSE(RegValueExists(name));
    EXPECT_TRUE(WriteRegNumber(name, -5));
    EXPECT_EQ(ReadRegNumber(name, 0), -5);

    HKEY root = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, nullptr, 0, KEY_READ, &root), ERROR_SUCCESS);
    DWORD type = 0;
    DWORD data = 0;
    DWORD size = sizeof data;
    EXPECT_EQ(RegQueryValueExA(root, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size), ERROR_SUCCESS);
    RegCloseKey(root);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(data, 0xFFFFFFFBu);

    EXPECT_TRUE(DeleteRegValue(name));
    EXPECT_FALSE(RegValueExists(name));
}

TEST(RegistryStoreOnWine, TextWrite_StoresTheNulAsPartOfTheData) {
    const std::string path = ScratchRoot() + "\\Text\\Kestrova";
    ASSERT_TRUE(WriteRegText(path.c_str(), "\"C:\\My Tools\\Kestrova.exe\" /hidden"));
    char data[128] = {};
    DWORD type = 0;
    DWORD size = sizeof data;
    ASSERT_EQ(RegGetValueA(HKEY_CURRENT_USER, (ScratchRoot() + "\\Text").c_str(), "Kestrova", RRF_RT_ANY, &type,
                           data, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(std::string(data, size), std::string("\"C:\\My Tools\\Kestrova.exe\" /hidden") + '\0');
}

// Run once from the build tree and once from a folder whose path is longer
// than 260 characters (KESTROVA_EXPECT_LONG_PATH set), where a 260-character
// buffer would cut the path.
TEST(ProgramPathOnWine, RunDirectoryAndFileName_RebuildTheWholeModulePath) {
    DetermineProgramPath();
    std::string full(32768, '\0');
    full.resize(GetModuleFileNameA(nullptr, &full[0], static_cast<DWORD>(full.size())));
    ASSERT_FALSE(full.empty());
    if (std::getenv("KESTROVA_EXPECT_LONG_PATH") != nullptr) {
        EXPECT_GT(full.size(), 260u);
    }
    EXPECT_EQ(RunDirectory() + "\\" + ExeFileName(), full);
    EXPECT_EQ(ExeFileName(), "settings_win_tests.exe");
    EXPECT_NE(RunDirectory().back(), '\\');
}

}  // namespace

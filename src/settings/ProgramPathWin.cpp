#include <windows.h>

#include "settings/ProgramPath.h"
#include "settings/SettingsLogicWin.h"

namespace {
ProgramPath programPath;
}

void DetermineProgramPath() {
    const std::string fullPath = ReadWholePath([](char* buffer, uint32_t size) -> uint32_t {
        return GetModuleFileNameA(nullptr, buffer, size);
    });
    // The path is in the system's ANSI code page, whatever the program's texts use.
    programPath = CutProgramPath(fullPath.c_str(), [](unsigned char byte) { return IsDBCSLeadByte(byte) != FALSE; });
}

const std::string& RunDirectory() { return programPath.runDirectory; }

const std::string& ExeFileName() { return programPath.fileName; }

#include <windows.h>

#include "settings/ProgramPath.h"
#include "settings/Settings.h"

namespace {
ProgramPath programPath;
}

void DetermineProgramPath() {
    const std::string fullPath = ReadWholePath([](char* buffer, uint32_t size) -> uint32_t {
        return GetModuleFileNameA(nullptr, buffer, size);
    });
    programPath = CutProgramPath(fullPath.c_str());
}

const std::string& RunDirectory() { return programPath.runDirectory; }

const std::string& ExeFileName() { return programPath.fileName; }

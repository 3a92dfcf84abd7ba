#pragma once
// The program's folder and file name, and the command that starts it with
// Windows.
#include <cstdint>
#include <functional>
#include <string>

#include "settings/RegPath.h"

struct ProgramPath {
    std::string runDirectory;  // never ends in a backslash: "C:" for a program in the root
    std::string fileName;      // with its extension
};

// Cut at the last backslash that is not the second byte of a double-byte
// character of the system's ANSI code page (isLeadByte tells its lead bytes;
// the default is the registry rule, every byte from 0x80 up); without a
// backslash the whole path is the file name.
ProgramPath CutProgramPath(const char* fullPath, LeadByteTest isLeadByte = IsHighByte);

// Reads a path through a GetModuleFileNameA-like call: fill(buffer, size)
// gives the number of characters stored, which equals size when the path was
// cut. The buffer starts at 260 characters and doubles while the result fills
// it, so a long path is never cut. A failing call gives an empty text.
std::string ReadWholePath(const std::function<uint32_t(char* buffer, uint32_t size)>& fill);

// The start-with-Windows command: the program path in quotation marks, so that
// a path with spaces cannot start another program, then " /hidden".
std::string AutostartCommand(const ProgramPath& program);

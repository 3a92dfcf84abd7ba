#include "settings/ProgramPath.h"

#include <vector>

#include "settings/RegPath.h"

ProgramPath CutProgramPath(const char* fullPath, LeadByteTest isLeadByte) {
    const std::size_t cut = LastSeparator(fullPath, isLeadByte);
    if (cut == std::string::npos) return {std::string(), std::string(fullPath)};
    return {std::string(fullPath, cut), std::string(fullPath + cut + 1)};
}

std::string ReadWholePath(const std::function<uint32_t(char* buffer, uint32_t size)>& fill) {
    // Beyond the longest path Windows knows, a full buffer means a broken call.
    constexpr uint32_t largest = 1u << 16;
    for (uint32_t size = 260; size <= largest; size *= 2) {
        std::vector<char> buffer(size, '\0');
        const uint32_t length = fill(buffer.data(), size);
        if (length == 0) return std::string();
        if (length < size) return std::string(buffer.data(), length);
    }
    return std::string();
}

std::string AutostartCommand(const ProgramPath& program) {
    return "\"" + program.runDirectory + "\\" + program.fileName + "\" /hidden";
}

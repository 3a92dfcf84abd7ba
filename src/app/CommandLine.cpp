#include "app/CommandLine.h"

namespace {

constexpr char quote = '"';

bool isLeadByte(char c) { return static_cast<unsigned char>(c) >= 0x80; }
bool isSeparator(char c) {
    const auto b = static_cast<unsigned char>(c);
    return b >= 0x01 && b <= 0x20;
}

// Appends the bytes from p until stop(*p) or the end, keeping each lead byte
// together with the byte after it. Returns where the scan stopped.
template <typename Stop>
const char* takeArgument(const char* p, std::string& into, Stop stop) {
    while (*p != '\0' && !stop(*p)) {
        if (isLeadByte(*p)) {
            if (p[1] == '\0') return p + 1;  // a lone lead byte at the end is dropped
            into.push_back(p[0]);
            into.push_back(p[1]);
            p += 2;
        } else {
            into.push_back(*p++);
        }
    }
    return p;
}

const char* skipProgramName(const char* p) {
    if (*p == quote) {
        ++p;
        while (*p != '\0' && *p != quote) ++p;
        if (*p == quote) ++p;
        if (*p == ' ') ++p;
    } else {
        while (*p != '\0' && *p != ' ') ++p;
        if (*p == ' ') ++p;
    }
    return p;
}

}  // namespace

std::vector<std::string> SplitCommandLine(const char* commandLine) {
    std::vector<std::string> args;
    if (commandLine == nullptr) return args;
    const char* p = skipProgramName(commandLine);
    while (*p != '\0') {
        if (*p == quote) {
            std::string arg;
            p = takeArgument(p + 1, arg, [](char c) { return c == quote; });
            if (*p == quote) ++p;
            args.push_back(std::move(arg));
        } else if (isSeparator(*p)) {
            ++p;
        } else {
            std::string arg;
            p = takeArgument(p, arg, [](char c) { return c == quote || isSeparator(c); });
            args.push_back(std::move(arg));
        }
    }
    return args;
}

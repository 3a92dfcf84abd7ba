#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/ProgramPath.h"
#include "settings/RegPath.h"

namespace {

struct CutCase {
    const char* given;
    std::string before;
    std::string after;
};

TEST(SplitRegPath, CutsAtTheLastBackslashThatIsNotASecondByte) {
    const std::vector<CutCase> cases = {
        {"Control Panel\\Desktop\\WindowMetrics\\AppliedDPI", "Control Panel\\Desktop\\WindowMetrics", "AppliedDPI"},
        {"Software\\MorvenhalTobrand\\Kestrova\\Delay", "Software\\MorvenhalTobrand\\Kestrova", "Delay"},
        {"Delay", "", "Delay"},                 // no backslash: the value right under the root
        {"", "", ""},
        {"Software\\Kestrova\\", "Software\\Kestrova", ""},  // trailing backslash: the default value
        {"\\Delay", "", "Delay"},
        // 0x81 0x5C is one character: its second byte is no separator.
        {"Software\\\x81\x5C", "Software", "\x81\x5C"},
        {"Software\\\x81\x5C\xB1\xED", "Software", "\x81\x5C\xB1\xED"},
        {"A\x81\x5C" "B\\C", "A\x81\x5C" "B", "C"},
        // A backslash right after a finished two-byte character still separates.
        {"\xB1\xED\\Delay", "\xB1\xED", "Delay"},
        // A lone lead byte at the end ends the scan and stays with the name.
        {"Software\\Delay\x81", "Software", "Delay\x81"},
        {"Software\\\x81", "Software", "\x81"},
        // Every byte from 0x80 leads, 0x80 and 0xFF included.
        {"Software\\\x80\x5C", "Software", "\x80\x5C"},
        {"Software\\\xFF\x5C", "Software", "\xFF\x5C"},
    };
    for (const CutCase& c : cases) {
        SCOPED_TRACE(c.given);
        const RegPath split = SplitRegPath(c.given);
        EXPECT_EQ(split.keyPath, c.before);
        EXPECT_EQ(split.valueName, c.after);
    }
}

TEST(CutProgramPath, GivesRunDirectoryAndFileName) {
    const std::vector<CutCase> cases = {
        {"D:\\My Tools\\tray.exe", "D:\\My Tools", "tray.exe"},
        {"C:\\Kestrova.exe", "C:", "Kestrova.exe"},
        {"Kestrova.exe", "", "Kestrova.exe"},
        {"\\\\server\\share\\k.exe", "\\\\server\\share", "k.exe"},
        // A folder whose name ends in a character with second byte 0x5C.
        {"C:\\\xB9\xA4\xBE\xDF\x81\x5C\\k.exe", "C:\\\xB9\xA4\xBE\xDF\x81\x5C", "k.exe"},
        // A file name with such a character is not cut inside it.
        {"C:\\Tools\\\x81\x5Ck.exe", "C:\\Tools", "\x81\x5Ck.exe"},
    };
    for (const CutCase& c : cases) {
        SCOPED_TRACE(c.given);
        const ProgramPath program = CutProgramPath(c.given);
        EXPECT_EQ(program.runDirectory, c.before);
        EXPECT_EQ(program.fileName, c.after);
    }
}

// The executable's path is in the system's code page: on a single-byte one
// (1252) a byte from 0x80 up is a whole character, and the backslash after it
// separates.
TEST(CutProgramPath, OnASingleByteCodePage_HighBytesAreWholeCharacters) {
    const LeadByteTest singleByte = [](unsigned char) { return false; };
    const std::vector<CutCase> cases = {
        {"C:\\Users\\Jos\xE9\\Kestrova.exe", "C:\\Users\\Jos\xE9", "Kestrova.exe"},
        {"C:\\Tools\\\x80\\k.exe", "C:\\Tools\\\x80", "k.exe"},
        {"C:\\caf\xE9.exe", "C:", "caf\xE9.exe"},
    };
    for (const CutCase& c : cases) {
        SCOPED_TRACE(c.given);
        const ProgramPath program = CutProgramPath(c.given, singleByte);
        EXPECT_EQ(program.runDirectory, c.before);
        EXPECT_EQ(program.fileName, c.after);
    }
}

// GetModuleFileNameA as documented: copies at most size characters; where the
// path does not fit, the result is cut, returns size and, since Vista, is
// NUL-terminated within the buffer (XP left it unterminated).
struct ModuleFileName {
    std::string path;
    bool terminatesCutResult;
    std::vector<uint32_t> sizesAsked;

    uint32_t operator()(char* buffer, uint32_t size) {
        sizesAsked.push_back(size);
        const auto length = static_cast<uint32_t>(path.size());
        if (length < size) {
            path.copy(buffer, length);
            buffer[length] = '\0';
            return length;
        }
        if (terminatesCutResult) {
            path.copy(buffer, size - 1);
            buffer[size - 1] = '\0';
        } else {
            path.copy(buffer, size);
        }
        return size;
    }
};

std::string LongPath(std::size_t length) {
    std::string path = "C:\\";
    while (path.size() + 11 + 5 <= length) path += "abcdefghij\\";
    path += std::string(length - path.size() - 4, 'k') + ".exe";
    return path;
}

TEST(ReadWholePath, PathsOfAnyLength_AreReadWhole) {
    for (const std::size_t length : {std::size_t{20}, std::size_t{259}, std::size_t{260}, std::size_t{261},
                                     std::size_t{600}, std::size_t{32767}}) {
        for (const bool terminates : {true, false}) {
            SCOPED_TRACE(std::to_string(length) + (terminates ? " terminated" : " unterminated"));
            ModuleFileName fill{LongPath(length), terminates, {}};
            const std::string expected = fill.path;
            EXPECT_EQ(ReadWholePath(std::ref(fill)), expected);
            EXPECT_EQ(fill.sizesAsked.front(), 260u);
        }
    }
}

TEST(ReadWholePath, LongPath_CutsIntoTheRealFolderAndName) {
    ModuleFileName fill{LongPath(300), true, {}};
    const std::string full = fill.path;
    const ProgramPath program = CutProgramPath(ReadWholePath(std::ref(fill)).c_str());
    EXPECT_EQ(program.runDirectory + "\\" + program.fileName, full);
    EXPECT_EQ(program.fileName.substr(program.fileName.size() - 4), ".exe");
}

TEST(ReadWholePath, FailingOrNeverFittingCall_GivesEmptyText) {
    EXPECT_EQ(ReadWholePath([](char*, uint32_t) -> uint32_t { return 0; }), "");
    int calls = 0;
    EXPECT_EQ(ReadWholePath([&](char*, uint32_t size) { ++calls; return size; }), "");
    EXPECT_LT(calls, 20);
}

}  // namespace

#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Args = std::vector<std::string>;

struct Case {
    const char* name;
    std::string commandLine;
    Args expected;
};

// Each command line is spelled byte by byte; "\x22" is the quotation mark.
const std::vector<Case> cases = {
    {"quoted program name alone", "\"C:\\Tools\\p.exe\"", {}},
    {"quoted program name, space, switch", "\"C:\\Tools\\p.exe\" /hidden", {"/hidden"}},
    {"unquoted program name, space, switch", "C:\\Tools\\p.exe /hidden", {"/hidden"}},
    {"argument glued to the closing quotation mark", "\"C:\\Tools\\p.exe\"x", {"x"}},
    {"only spaces after the name", "p.exe   ", {}},
    {"tab belongs to an unquoted program name", "p.exe\tx", {}},
    {"two quotation marks give an empty argument", "p.exe \"\"", {""}},
    {"quotation marks split and join arguments", "p.exe a\"b c\"d", {"a", "b c", "d"}},
    {"backslash is no escape", "p.exe \"a\\\"b\"", {"a\\", "b", ""}},
    {"unterminated quoted argument runs to the end", "p.exe \"open end", {"open end"}},
    {"unquoted program name with a space", "C:\\Program Files\\T\\p.exe /hidden",
     {"Files\\T\\p.exe", "/hidden"}},
    {"lone lead byte at the end is dropped", std::string("p.exe caf\xE9"), {"caf"}},
    // Beyond the listed cases: the rules they stand for, at their edges.
    {"empty text", "", {}},
    {"quoted program name never closed", "\"C:\\Tools\\p.exe /hidden", {}},
    {"only one space is skipped after a quoted name", "\"p.exe\"  x", {"x"}},
    {"tab after a quoted program name separates", "\"p.exe\"\tx", {"x"}},
    {"control bytes separate arguments", "p.exe a\x01" "b\x1f" "c\rd\ne", {"a", "b", "c", "d", "e"}},
    {"byte 0x21 is part of an argument", "p.exe !a!", {"!a!"}},
    {"lead byte carries a quotation mark along", "p.exe a\x81\"b", {"a\x81\"b"}},
    {"lead byte carries a space along", "p.exe a\x81 b", {"a\x81 b"}},
    {"lead byte carries a control byte along", "p.exe a\xFF\x01" "b", {"a\xFF\x01" "b"}},
    {"lead byte carries another lead byte along", "p.exe \x81\x81\x81", {"\x81\x81"}},
    {"code page 936 text intact", "p.exe \xB3\xCC\xD0\xF2", {"\xB3\xCC\xD0\xF2"}},
    {"lead byte inside quotes carries the closing mark", "p.exe \"a\x81\" b", {"a\x81\" b"}},
    {"lone lead byte at the end of a quoted argument", "p.exe \"ab\x90", {"ab"}},
    {"lone lead byte as the whole argument", "p.exe \x90", {""}},
    {"quoted argument directly after an unquoted one", "p.exe x\"\"", {"x", ""}},
    {"several empty quoted arguments", "p.exe \"\"\"\"", {"", ""}},
    {"trailing unmatched quotation mark", "p.exe x \"", {"x", ""}},
};

TEST(SplitCommandLine, SplitsEachCommandLineByteByByte) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(SplitCommandLine(c.commandLine.c_str()), c.expected);
    }
}

TEST(SplitCommandLine, NullText_GivesNoArgument) {
    EXPECT_TRUE(SplitCommandLine(nullptr).empty());
}

}  // namespace

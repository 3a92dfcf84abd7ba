#pragma once
// Splitting the process command line into the arguments after the program name.
// Pure: no windows.h, so it is tested natively and fuzzed.
#include <string>
#include <vector>

// The arguments after the program name, byte by byte:
// - a quoted program name ends at the next quotation mark; an unquoted one at
//   the first space (a tab does not end it); one space after it is skipped;
// - a quoted argument runs to the next quotation mark or the end;
// - bytes 0x01..0x20 separate unquoted arguments, and a quotation mark also
//   ends one and opens the next at once;
// - a byte of 0x80 or above takes the byte after it along, whatever it is; as
//   the last byte of the text it is dropped.
// There is no escape character. A null text gives no argument.
std::vector<std::string> SplitCommandLine(const char* commandLine);

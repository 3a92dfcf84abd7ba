// Any byte string as a command line: the splitter must stay inside the text,
// and every argument must be made of bytes of the text, in order.
#include "app/CommandLine.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The command line is NUL-terminated, so it ends at the first NUL.
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string commandLine = text.substr(0, text.find('\0'));
    // The arguments, one after the other, are a subsequence of the text.
    size_t at = 0;
    for (const std::string& arg : SplitCommandLine(commandLine.c_str())) {
        for (char c : arg) {
            at = commandLine.find(c, at);
            if (at == std::string::npos) std::abort();
            ++at;
        }
    }
    return 0;
}

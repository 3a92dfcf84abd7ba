// Path splitting on arbitrary bytes: no crash, and the two parts always put
// back together give the path.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "settings/ProgramPath.h"
#include "settings/RegPath.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path(reinterpret_cast<const char*>(data), strnlen(reinterpret_cast<const char*>(data), size));

    const RegPath split = SplitRegPath(path.c_str());
    const bool cut = LastSeparator(path.c_str()) != std::string::npos;
    if (!cut && !split.keyPath.empty()) std::abort();
    if ((cut ? split.keyPath + "\\" + split.valueName : split.valueName) != path) std::abort();
    // The cut falls on a character boundary, so the name holds no separator.
    if (LastSeparator(split.valueName.c_str()) != std::string::npos) std::abort();

    const ProgramPath program = CutProgramPath(path.c_str());
    if (program.runDirectory != split.keyPath || program.fileName != split.valueName) std::abort();
    return 0;
}

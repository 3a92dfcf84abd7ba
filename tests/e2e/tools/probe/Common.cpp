#include "probe/Probe.h"

namespace probe {

std::string Hex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out.push_back(digits[c >> 4]);
        out.push_back(digits[c & 15]);
    }
    return out;
}

namespace {
int Nibble(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 0;
}
}  // namespace

std::string FromHex(const char* hex) {
    std::string out;
    for (std::size_t i = 0; hex[i] && hex[i + 1]; i += 2)
        out.push_back(static_cast<char>(Nibble(hex[i]) * 16 + Nibble(hex[i + 1])));
    return out;
}

unsigned long long Handle(HWND w) { return static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(w)); }

std::string ClassOf(HWND w) {
    char name[256] = {};
    GetClassNameA(w, name, sizeof name);
    return name;
}

long long NowMicroseconds() {
    static LARGE_INTEGER frequency{};
    if (frequency.QuadPart == 0) QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart * 1000000 / frequency.QuadPart;
}

bool Send(HWND w, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result, UINT timeoutMs) {
    DWORD_PTR answer = 0;
    const bool sent = SendMessageTimeoutA(w, message, wParam, lParam, SMTO_ABORTIFHUNG, timeoutMs, &answer) != 0;
    if (result) *result = static_cast<LRESULT>(answer);
    return sent;
}

}  // namespace probe

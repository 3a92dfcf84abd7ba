// Small things the robustness tests need done from inside Wine.
//
//   winpeek clip HEX             puts the bytes (hex) on the clipboard as CF_TEXT
//   winpeek text CAPTION CLASS   the whole text of the first descendant of the
//                                window CAPTION whose class is CLASS:
//                                "len=N hex=..." (no length limit)
//   winpeek proc EXENAME         the process with that file name:
//                                "pid=P threads=T handles=H private=B"
//                                (handles from the system's handle table, as
//                                GetProcessHandleCount answers 0 under Wine;
//                                -1 where neither can be read)
//   winpeek launch HEX|-         CreateProcessA with the command line given
//                                as hex bytes, exactly as they are ("-": the
//                                hex is the first line of standard input, for
//                                lines longer than a command line may be);
//                                waits for it and prints "exit=N"
//   winpeek menu-at-start CAPTION TIMEOUTMS
//                                waits for the window CAPTION to exist (it may
//                                be hidden), posts it a right-button-up tray
//                                notification (0x8064, id 100), waits for a
//                                popup menu to be shown and presses X with
//                                SendInput. Prints "found us=...", "posted",
//                                "menu us=...", "pressed"
//
// Exit code 0, 2 when the window or process is not found, 1 for a usage error.
#include <windows.h>

#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::string FromHex(const char* hex) {
    std::string out;
    for (std::size_t i = 0; hex[i] && hex[i + 1]; i += 2) {
        const char pair[3] = {hex[i], hex[i + 1], 0};
        out.push_back(static_cast<char>(std::strtoul(pair, nullptr, 16)));
    }
    return out;
}

std::string ToHex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out.push_back(digits[c >> 4]);
        out.push_back(digits[c & 15]);
    }
    return out;
}

long long NowMicroseconds() {
    static LARGE_INTEGER frequency{};
    if (frequency.QuadPart == 0) QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart * 1000000 / frequency.QuadPart;
}

int Clip(const char* hex) {
    const std::string text = FromHex(hex);
    // The clipboard may be held for a moment by the shell: retry briefly.
    bool opened = false;
    for (int i = 0; i < 50 && !opened; ++i) {
        opened = OpenClipboard(nullptr) != 0;
        if (!opened) Sleep(20);
    }
    if (!opened) return 1;
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    bool ok = false;
    if (memory) {
        auto* p = static_cast<char*>(GlobalLock(memory));
        std::memcpy(p, text.data(), text.size());
        p[text.size()] = '\0';
        GlobalUnlock(memory);
        ok = SetClipboardData(CF_TEXT, memory) != nullptr;  // the system owns it now
        if (!ok) GlobalFree(memory);
    }
    CloseClipboard();
    std::printf("clip=%d len=%zu\n", ok ? 1 : 0, text.size());
    return ok ? 0 : 1;
}

struct ClassSearch {
    const char* className;
    HWND found;
};

BOOL CALLBACK MatchClass(HWND w, LPARAM lp) {
    auto* search = reinterpret_cast<ClassSearch*>(lp);
    char name[256] = {};
    GetClassNameA(w, name, sizeof name);
    if (lstrcmpiA(name, search->className) == 0) {
        search->found = w;
        return FALSE;
    }
    return TRUE;
}

int Text(const char* caption, const char* className) {
    const HWND top = FindWindowA(nullptr, caption);
    if (!top) return 2;
    ClassSearch search{className, nullptr};
    EnumChildWindows(top, &MatchClass, reinterpret_cast<LPARAM>(&search));
    if (!search.found) return 2;
    DWORD_PTR length = 0;
    SendMessageTimeoutA(search.found, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length);
    std::string buffer(length + 1, '\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(search.found, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(&buffer[0]),
                        SMTO_ABORTIFHUNG, 5000, &copied);
    buffer.resize(copied < buffer.size() ? copied : buffer.size() - 1);
    std::printf("len=%zu hex=%s\n", buffer.size(), ToHex(buffer).c_str());
    return 0;
}

// The system-wide handle table (NtQuerySystemInformation class 16), whose
// entries name their owning process.
struct HandleEntry {
    ULONG ownerPid;
    BYTE objectType;
    BYTE flags;
    USHORT value;
    PVOID object;
    ULONG access;
};
struct HandleTable {
    ULONG count;
    HandleEntry entries[1];
};
using QuerySystemInformation = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);

long long CountHandlesInTable(DWORD pid) {
    const auto query = reinterpret_cast<QuerySystemInformation>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    if (!query) return -1;
    std::string buffer(1 << 16, '\0');
    for (int attempt = 0; attempt < 12; ++attempt) {
        ULONG needed = 0;
        const LONG status = query(16, &buffer[0], static_cast<ULONG>(buffer.size()), &needed);
        if (status == 0) {
            const auto* table = reinterpret_cast<const HandleTable*>(buffer.data());
            long long count = 0;
            for (ULONG i = 0; i < table->count; ++i)
                if (table->entries[i].ownerPid == pid) ++count;
            return count;
        }
        buffer.assign(std::max<std::size_t>(buffer.size() * 2, needed + 4096), '\0');
    }
    return -1;
}

int Proc(const char* exeName) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS | TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 1;
    PROCESSENTRY32 process{};
    process.dwSize = sizeof process;
    DWORD pid = 0;
    for (BOOL more = Process32First(snapshot, &process); more; more = Process32Next(snapshot, &process)) {
        if (lstrcmpiA(process.szExeFile, exeName) == 0) {
            pid = process.th32ProcessID;
            break;
        }
    }
    long threads = 0;
    THREADENTRY32 thread{};
    thread.dwSize = sizeof thread;
    for (BOOL more = Thread32First(snapshot, &thread); more && pid; more = Thread32Next(snapshot, &thread))
        if (thread.th32OwnerProcessID == pid) ++threads;
    CloseHandle(snapshot);
    if (!pid) {
        std::printf("missing\n");
        return 2;
    }
    long long handles = -1;
    unsigned long long privateBytes = 0;
    if (HANDLE p = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid)) {
        DWORD count = 0;
        if (GetProcessHandleCount(p, &count) && count > 0) handles = count;
        PROCESS_MEMORY_COUNTERS_EX counters{};
        counters.cb = sizeof counters;
        if (GetProcessMemoryInfo(p, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters))
            privateBytes = counters.PrivateUsage;
        CloseHandle(p);
    }
    if (handles < 0) handles = CountHandlesInTable(pid);
    std::printf("pid=%lu threads=%ld handles=%lld private=%llu\n", pid, threads, handles, privateBytes);
    return 0;
}

std::string ReadLine() {
    std::string line;
    for (int c = std::getchar(); c != EOF && c != '\n' && c != '\r'; c = std::getchar())
        line.push_back(static_cast<char>(c));
    return line;
}

int Launch(const char* hex) {
    std::string commandLine = std::strcmp(hex, "-") == 0 ? FromHex(ReadLine().c_str()) : FromHex(hex);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        std::printf("failed=%lu\n", GetLastError());
        return 1;
    }
    std::printf("pid=%lu\n", info.dwProcessId);
    std::fflush(stdout);
    WaitForSingleObject(info.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(info.hProcess, &code);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    std::printf("exit=%lu\n", code);
    return 0;
}

struct MenuSearch {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK MatchMenu(HWND w, LPARAM lp) {
    auto* search = reinterpret_cast<MenuSearch*>(lp);
    char name[64] = {};
    GetClassNameA(w, name, sizeof name);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid == search->pid && std::strcmp(name, "#32768") == 0 && IsWindowVisible(w)) {
        search->found = w;
        return FALSE;
    }
    return TRUE;
}

int MenuAtStart(const char* caption, long timeoutMs) {
    const long long start = NowMicroseconds();
    const long long deadline = start + static_cast<long long>(timeoutMs) * 1000;
    HWND window = nullptr;
    // Looked for every millisecond: the post must land while the program is
    // still early in its start-up.
    while (!(window = FindWindowA(nullptr, caption))) {
        if (NowMicroseconds() > deadline) return 2;
        Sleep(1);
    }
    std::printf("found us=%lld\n", NowMicroseconds() - start);
    PostMessageA(window, WM_APP + 0x64, 100, WM_RBUTTONUP);
    std::printf("posted\n");
    std::fflush(stdout);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    MenuSearch search{pid, nullptr};
    while (EnumWindows(&MatchMenu, reinterpret_cast<LPARAM>(&search)), !search.found) {
        if (NowMicroseconds() > deadline) return 2;
        Sleep(5);
    }
    std::printf("menu us=%lld\n", NowMicroseconds() - start);
    std::fflush(stdout);
    INPUT keys[2]{};
    keys[0].type = keys[1].type = INPUT_KEYBOARD;
    keys[0].ki.wVk = keys[1].ki.wVk = 'X';
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, keys, sizeof(INPUT));
    std::printf("pressed\n");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "clip" && argc == 3) return Clip(argv[2]);
    if (command == "text" && argc == 4) return Text(argv[2], argv[3]);
    if (command == "proc" && argc == 3) return Proc(argv[2]);
    if (command == "launch" && argc == 3) return Launch(argv[2]);
    if (command == "menu-at-start" && argc == 4) return MenuAtStart(argv[2], std::strtol(argv[3], nullptr, 10));
    std::fprintf(stderr, "usage: winpeek clip HEX | text CAPTION CLASS | proc EXENAME | launch HEX |"
                         " menu-at-start CAPTION TIMEOUTMS\n");
    return 1;
}

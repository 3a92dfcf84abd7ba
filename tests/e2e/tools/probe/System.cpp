// Commands about the clipboard and processes.
#include "probe/Probe.h"

#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace probe {

// Puts the bytes on the clipboard as CF_TEXT.
int Clip(const char* hex) {
    const std::string text = FromHex(hex);
    // The clipboard may be held for a moment by the shell: retry briefly.
    bool opened = false;
    for (int i = 0; i < 50 && !opened; ++i) {
        opened = OpenClipboard(nullptr) != 0;
        if (!opened) Sleep(20);
    }
    if (!opened) {
        std::printf("kind=clip set=0 len=%zu\n", text.size());
        return kFailed;
    }
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
    std::printf("kind=clip set=%d len=%zu\n", ok ? 1 : 0, text.size());
    return ok ? kDone : kFailed;
}

namespace {
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
}  // namespace

// Threads, handles and private bytes of the process with that file name.
// Handles come from the system's handle table where GetProcessHandleCount
// answers 0, as it does under Wine; -1 where neither can be read.
int Proc(const char* exeName) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS | TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return kFailed;
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
        std::printf("kind=missing\n");
        return kMissing;
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
    std::printf("kind=proc pid=%lu threads=%ld handles=%lld private=%llu\n", pid, threads, handles, privateBytes);
    return kDone;
}

namespace {
std::string ReadLine() {
    std::string line;
    for (int c = std::getchar(); c != EOF && c != '\n' && c != '\r'; c = std::getchar())
        line.push_back(static_cast<char>(c));
    return line;
}
}  // namespace

// CreateProcessA with the command line exactly as given in hex ("-": the hex
// is the first line of standard input, for lines longer than a command line
// may be); waits for the process and prints its exit code.
int Launch(const char* hex) {
    std::string commandLine = std::strcmp(hex, "-") == 0 ? FromHex(ReadLine().c_str()) : FromHex(hex);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        std::printf("kind=launch started=0 error=%lu\n", GetLastError());
        return kFailed;
    }
    std::printf("kind=launch started=1 pid=%lu\n", info.dwProcessId);
    std::fflush(stdout);
    WaitForSingleObject(info.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(info.hProcess, &code);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    std::printf("kind=exit code=%lu\n", code);
    return kDone;
}

}  // namespace probe

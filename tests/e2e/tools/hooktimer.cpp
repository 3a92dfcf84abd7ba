// Times the program's keyboard hook procedure, KeyboardHookProc, the way it
// runs in the program: called by the system for every key event of the
// desktop, feeding the real detector and starting real workers.
//
// A low-level hook of this program calls KeyboardHookProc directly and
// measures the call with QueryPerformanceCounter. The time spent inside
// CallNextHookEx, which hands the event on to the hooks of other programs and
// belongs to the system, is taken out: this program's import of
// CallNextHookEx is pointed at a wrapper that adds up its time. What remains
// is the procedure's own time. Durations go into a fixed array; the timing
// adds no allocation or I/O to the hook.
//
//   hooktimer [--delay MS]
//
// Prints "hooked"; a line "quit" on standard input removes the hook and prints
//   "events N median_us M p99_us P worst_us W"   every key event
//   "taps N median_us M p99_us P worst_us W"     the events that started a worker
//   "clock_us C"                                 two back-to-back clock reads
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "keymap/KeyboardHook.h"

namespace {

using CallNextFn = LRESULT(WINAPI*)(HHOOK, int, WPARAM, LPARAM);

constexpr std::size_t capacity = 1 << 16;
// Written by the hook thread only.
long long ownTicks[capacity];
bool startedWorker[capacity];
std::size_t timed = 0;
long long ticksInCallNext = 0;

CallNextFn realCallNext = nullptr;
HHOOK timingHook = nullptr;
LARGE_INTEGER frequency;

LRESULT WINAPI TimedCallNext(HHOOK hook, int nCode, WPARAM wParam, LPARAM lParam) {
    LARGE_INTEGER before, after;
    QueryPerformanceCounter(&before);
    const LRESULT result = realCallNext(hook, nCode, wParam, lParam);
    QueryPerformanceCounter(&after);
    ticksInCallNext += after.QuadPart - before.QuadPart;
    return result;
}

// The slot of this program's import address table through which every call
// of dll!name goes, KeyboardHookProc's included; null when not imported.
void** ImportSlot(const char* dll, const char* name) {
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.VirtualAddress == 0) return nullptr;
    for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); d->Name; ++d) {
        if (lstrcmpiA(reinterpret_cast<const char*>(base + d->Name), dll) != 0) continue;
        const DWORD namesRva = d->OriginalFirstThunk ? d->OriginalFirstThunk : d->FirstThunk;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + namesRva);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            const auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), name) == 0)
                return reinterpret_cast<void**>(&slots->u1.Function);
        }
    }
    return nullptr;
}

bool RedirectCallNext() {
    void** slot = ImportSlot("user32.dll", "CallNextHookEx");
    if (!slot) return false;
    DWORD old = 0;
    if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &old)) return false;
    realCallNext = reinterpret_cast<CallNextFn>(*slot);
    *slot = reinterpret_cast<void*>(&TimedCallNext);
    VirtualProtect(slot, sizeof *slot, old, &old);
    return true;
}

LRESULT CALLBACK TimingHookProc(int nCode, WPARAM wParam, LPARAM lParam) {
    const auto* e = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    // The detector's answer is not returned to us: a release of right Alt
    // while it is armed is the event that starts a worker.
    const bool tap = tapDetector.altArmed() && wParam == WM_KEYUP && e && e->vkCode == VK_RMENU;
    ticksInCallNext = 0;
    LARGE_INTEGER before, after;
    QueryPerformanceCounter(&before);
    const LRESULT result = KeyboardHookProc(nCode, wParam, lParam);
    QueryPerformanceCounter(&after);
    if (timed < capacity) {
        ownTicks[timed] = after.QuadPart - before.QuadPart - ticksInCallNext;
        startedWorker[timed] = tap;
        ++timed;
    }
    return result;
}

DWORD WINAPI WatchInput(LPVOID mainThread) {
    char line[64];
    while (std::fgets(line, sizeof line, stdin)) {
        if (std::strncmp(line, "quit", 4) == 0) break;
    }
    PostThreadMessageA(static_cast<DWORD>(reinterpret_cast<UINT_PTR>(mainThread)), WM_QUIT, 0, 0);
    return 0;
}

double Microseconds(long long ticks) {
    return static_cast<double>(ticks) * 1e6 / static_cast<double>(frequency.QuadPart);
}

void PrintFigures(const char* name, std::vector<long long> ticks) {
    std::sort(ticks.begin(), ticks.end());
    const std::size_t n = ticks.size();
    if (n == 0) {
        std::printf("%s 0\n", name);
        return;
    }
    std::printf("%s %zu median_us %.2f p99_us %.2f worst_us %.2f\n", name, n, Microseconds(ticks[n / 2]),
                Microseconds(ticks[std::min(n - 1, n * 99 / 100)]), Microseconds(ticks.back()));
}

}  // namespace

int main(int argc, char** argv) {
    long delay = 100;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--delay") == 0 && i + 1 < argc) {
            delay = std::strtol(argv[++i], nullptr, 10);
        } else {
            std::fprintf(stderr, "usage: hooktimer [--delay MS]\n");
            return 2;
        }
    }
    QueryPerformanceFrequency(&frequency);
    actionDelayMs.store(static_cast<int32_t>(delay));
    if (!RedirectCallNext()) {
        std::puts("no CallNextHookEx import");
        return 1;
    }
    timingHook = SetWindowsHookExA(WH_KEYBOARD_LL, &TimingHookProc, GetModuleHandleA(nullptr), 0);
    std::puts(timingHook ? "hooked" : "hook failed");
    std::fflush(stdout);
    if (!timingHook) return 1;

    MSG m;
    PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE);  // the queue exists before the quit is posted
    const auto self = reinterpret_cast<LPVOID>(static_cast<UINT_PTR>(GetCurrentThreadId()));
    if (HANDLE watcher = CreateThread(nullptr, 0, &WatchInput, self, 0, nullptr)) CloseHandle(watcher);
    while (GetMessageA(&m, nullptr, 0, 0) > 0) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
    UnhookWindowsHookEx(timingHook);

    std::vector<long long> all(ownTicks, ownTicks + timed), taps;
    for (std::size_t i = 0; i < timed; ++i)
        if (startedWorker[i]) taps.push_back(ownTicks[i]);
    PrintFigures("events", all);
    PrintFigures("taps", taps);
    LARGE_INTEGER a, b;
    QueryPerformanceCounter(&a);
    QueryPerformanceCounter(&b);
    std::printf("clock_us %.3f\n", Microseconds(b.QuadPart - a.QuadPart));
    std::fflush(stdout);
    return 0;
}

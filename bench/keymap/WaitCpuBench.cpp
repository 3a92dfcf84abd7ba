// Processor time used by the pumped wait, as a share of the wall time: on a UI
// thread that owns a window (empty queue, and with a WM_QUIT at the head), and
// on a worker thread. A busy loop on the tick count is measured the same way
// as a reference for what spinning costs.
#include <windows.h>

#include <cstdio>

#include "keymap/KeyRemap.h"

namespace {

constexpr int runs = 3;

double Seconds(const FILETIME& t) {
    ULARGE_INTEGER v;
    v.LowPart = t.dwLowDateTime;
    v.HighPart = t.dwHighDateTime;
    return static_cast<double>(v.QuadPart) / 1e7;
}

double CpuSeconds(HANDLE thread) {
    FILETIME created, ended, kernel, user;
    GetThreadTimes(thread, &created, &ended, &kernel, &user);
    return Seconds(kernel) + Seconds(user);
}

double WallSeconds() {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

void Row(const char* name, int ms, double wall, double cpu) {
    std::printf("%-34s %6d %9.1f %9.1f %8.1f%%\n", name, ms, wall * 1000, cpu * 1000, 100.0 * cpu / wall);
    std::fflush(stdout);
}

void SpinFor(int ms) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start <= static_cast<DWORD>(ms)) {
    }
}

// Runs fn(ms) on this thread `runs` times and prints the totals.
template <typename Fn>
void OnThisThread(const char* name, int ms, Fn fn) {
    HANDLE self = GetCurrentThread();
    const double cpu0 = CpuSeconds(self), wall0 = WallSeconds();
    for (int i = 0; i < runs; ++i) fn(ms);
    Row(name, ms * runs, WallSeconds() - wall0, CpuSeconds(self) - cpu0);
}

struct WorkerJob {
    int ms;
    bool spin;
    double cpu = 0;  // measured by the worker itself: Wine has no times for an ended thread
};

DWORD WINAPI WorkerWait(LPVOID p) {
    auto* job = static_cast<WorkerJob*>(p);
    HANDLE self = GetCurrentThread();
    const double cpu0 = CpuSeconds(self);
    if (job->spin) {
        SpinFor(job->ms);
    } else {
        DelayWithEvents(job->ms);
    }
    job->cpu = CpuSeconds(self) - cpu0;
    return 0;
}

void OnWorkers(const char* name, WorkerJob job) {
    double wall = 0, cpu = 0;
    for (int i = 0; i < runs; ++i) {
        const double w0 = WallSeconds();
        HANDLE t = CreateThread(nullptr, 0, &WorkerWait, &job, 0, nullptr);
        if (!t) return;
        WaitForSingleObject(t, INFINITE);
        wall += WallSeconds() - w0;
        cpu += job.cpu;
        CloseHandle(t);
    }
    Row(name, job.ms * runs, wall, cpu);
}

}  // namespace

int main() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = &DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "WaitBenchWindow";
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(0, wc.lpszClassName, "wait bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200,
                                  100, nullptr, nullptr, wc.hInstance, nullptr);
    if (!window) return 1;
    DelayWithEvents(200);  // let the window settle

    std::printf("%-34s %6s %9s %9s %9s\n", "case", "ms", "wall ms", "cpu ms", "share");
    OnThisThread("UI thread, DelayWithEvents", 500, [](int ms) { DelayWithEvents(ms); });
    OnThisThread("UI thread, WM_QUIT at the head", 500, [](int ms) {
        PostQuitMessage(0);
        DelayWithEvents(ms);
        MSG m;
        PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    });
    OnWorkers("worker, DelayWithEvents", {300, false, 0});
    OnThisThread("reference: UI thread spinning", 500, &SpinFor);
    OnWorkers("reference: worker spinning", {300, true, 0});
    return 0;
}

// TEMPORARY: stand-ins for operations whose libraries have not landed yet.
// shell.cmake compiles this file only while one of keymap_win, settings_win or
// scaling_win is missing, and each block only for its missing library. Delete
// the file once all three exist.
#include <windows.h>

#include "app/MainWindow.h"
#include "keymap/KeyRemap.h"
#include "scaling/ScaleLayout.h"
#include "settings/Settings.h"

#include <cstdlib>
#include <string>

#ifdef KESTROVA_WITHOUT_KEYMAP_WIN
// No remapping: the program runs without a hook.
std::atomic<int32_t> actionDelayMs{0};
namespace {
PreTranslateFn pumpPreTranslate = nullptr;
}
void InstallKeyboardHook() {}
void RemoveKeyboardHook() {}
void SetPreTranslate(PreTranslateFn fn) { pumpPreTranslate = fn; }
void DelayWithEvents(int32_t ms) {
    const DWORD start = GetTickCount();
    const DWORD wait = static_cast<DWORD>(ms < 0 ? 0 : ms);
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                return;
            }
            if (pumpPreTranslate != nullptr && pumpPreTranslate(&msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed > wait) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, wait - elapsed + 1, QS_ALLINPUT);
    }
}
#endif

#ifdef KESTROVA_WITHOUT_SETTINGS_WIN
// Nothing is stored: the delay follows the box, the check box does nothing.
namespace {
std::string runDirectory, exeFileName;
}
void InitAutostartBox() {}
void LoadDelaySetting() {
    HWND box = ControlHandle(ControlId::DelayBox);
    SetControlText(box, GetControlText(box).c_str());
}
void SaveDelaySetting() {}
void onDelayTextChanged() {
    actionDelayMs = std::atoi(GetControlText(ControlHandle(ControlId::DelayBox)).c_str());
}
void onAutostartClicked() {}
void DetermineProgramPath() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string full = path;
    const size_t cut = full.find_last_of('\\');
    runDirectory = cut == std::string::npos ? std::string() : full.substr(0, cut);
    exeFileName = cut == std::string::npos ? full : full.substr(cut + 1);
}
const std::string& RunDirectory() { return runDirectory; }
const std::string& ExeFileName() { return exeFileName; }
#endif

#ifdef KESTROVA_WITHOUT_SCALING_WIN
// The layout stays at its 96-DPI size.
void ScaleLayout() {}
#endif

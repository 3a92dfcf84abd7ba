#include "app/Startup.h"

#include "app/CommandLine.h"
#include "app/IconDataWin.h"
#include "app/MainWindow.h"
#include "app/MainWindowOps.h"
#include "app/TrayIcon.h"
#include "keymap/KeyRemap.h"
#include "scaling/LayoutScalerWin.h"
#include "settings/SettingsLogicWin.h"

#include <ole2.h>

#include <cfenv>

namespace {

// INVALID_HANDLE_VALUE (-1) while this instance has not created the instance
// event, and for good in a second instance; otherwise what CreateEventA gave,
// NULL included. Never closed: the event marks, by existing, that we run.
HANDLE runningEvent = INVALID_HANDLE_VALUE;
// The arguments after the program name; only their count is used.
std::vector<std::string> commandLineArgs;
// Set just before the main loop; from then on the end of the main window ends
// the process.
bool loopEntered = false;

const char instanceEventName[] = "KestrovaRunning";
const char programCaption[] = "Kestrova";
const char alreadyRunningText[] = "\xb3\xcc\xd0\xf2\xd2\xd1\xd4\xda\xd4\xcb\xd0\xd0\xa3\xa1";  // 程序已在运行！
constexpr int32_t hookDelayMs = 500;
constexpr int windowNotCreatedExitCode = 1;

bool shutdownDone = false;

bool preTranslate(void* msg) { return PreTranslateWindowMessage(static_cast<MSG*>(msg)); }

// "C:" alone names the drive's current directory, not its root.
std::string folderForCurrentDirectory(const std::string& runDirectory) {
    if (!runDirectory.empty() && runDirectory.back() == ':') return runDirectory + "\\";
    return runDirectory;
}

void runShutdownSteps() {
    if (runningEvent == INVALID_HANDLE_VALUE || shutdownDone) return;
    shutdownDone = true;
    RemoveKeyboardHook();
    SaveDelaySetting();
    RemoveTrayIcon();
}

MainWindowEvents programEvents() {
    MainWindowEvents events;
    events.onCreated = onCreated;
    events.onWillBeDestroyed = onWillBeDestroyed;
    events.onCloseQuery = onCloseQuery;
    events.onTrayEvent = onTrayEvent;
    events.onMenuItem = onTrayMenuItem;
    events.onDelayTextChanged = onDelayTextChanged;
    events.onAutostartClicked = onAutostartClicked;
    events.onEndSession = onEndSession;
    events.onTaskbarCreated = onTaskbarCreated;
    events.onKeyboardInput = onKeyboardInput;
    events.onPowerBroadcast = onPowerBroadcast;
    events.onSessionChange = onSessionChange;
    events.removeTrayIcon = RemoveTrayIcon;
    events.onDestroyed = onMainWindowDestroyed;
    return events;
}

}  // namespace

int RunProgram() {
    OleInitialize(nullptr);
    DetermineProgramPath();
    SetCurrentDirectoryA(folderForCurrentDirectory(RunDirectory()).c_str());
    // Round to nearest with every exception masked: the layout arithmetic
    // relies on it, whatever a loader or injected DLL left behind.
    std::fesetenv(FE_DFL_ENV);
    commandLineArgs.clear();

    SetMainWindowEvents(programEvents());
    SetPreTranslate(preTranslate);
    SetSettingsControls(&MainWindowSettingsControlOps());
    SetLayoutWindow(&MainWindowLayoutOps());

    int exitCode = 0;
    if (!CreateMainWindow()) {
        exitCode = windowNotCreatedExitCode;
    } else {
        loopEntered = true;
        // A second instance has destroyed its window by now.
        if (MainWindowHandle() != nullptr) exitCode = RunMainLoop();
    }

    std::vector<std::string>().swap(commandLineArgs);
    OleUninitialize();
    return exitCode;
}

void onCreated() {
    runningEvent = INVALID_HANDLE_VALUE;
    if (ClaimSingleInstance()) {
        DestroyMainWindow();
        ShowMessageBox(alreadyRunningText, programCaption);
        return;
    }
    InitAutostartBox();
    LoadDelaySetting();
    ScaleLayout();
    commandLineArgs = SplitCommandLine(GetCommandLineA());
    if (commandLineArgs.empty()) SetMainWindowVisible(true);
    AddTrayIcon(ApplicationIconData(), programCaption);
    DelayWithEvents(hookDelayMs);
    // A quit chosen during the wait (or the end of the session) has run the
    // shutdown steps already: the key remapping then installs nothing, since
    // nothing would remove a hook installed now.
    InstallKeyboardHook(MainWindowHandle());
}

bool ClaimSingleInstance() {
    // The handle is neither used nor closed: the process ends soon after.
    if (OpenEventA(SYNCHRONIZE, FALSE, instanceEventName) != nullptr) return true;
    runningEvent = CreateEventA(nullptr, FALSE, FALSE, instanceEventName);
    return false;
}

void onWillBeDestroyed() { runShutdownSteps(); }

void onEndSession() { runShutdownSteps(); }

void onMainWindowDestroyed() {
    if (loopEntered) PostQuitMessage(0);
}

int RunMainLoop() {
    MSG msg{};
    BOOL got;
    while ((got = GetMessageA(&msg, nullptr, 0, 0)) > 0) {
        if (PreTranslateWindowMessage(&msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    // -1 is an invalid argument, which cannot happen here; end all the same
    // rather than spin on the error.
    return got == 0 ? static_cast<int>(msg.wParam) : 1;
}

#pragma once
// Helpers shared by the in-process tests, which run under Wine against the
// real platform in the build tree's own prefix.
#include "app/HotKey.h"
#include "app/KeepDisplayOn.h"
#include "app/cm_lullwick.h"
#include "framework/Handles.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Records every message box instead of showing it.
class MessageBoxRecorder {
public:
    struct Box {
        std::wstring text;
        std::wstring caption;
        UINT style;
        HWND owner;
    };
    MessageBoxRecorder();
    ~MessageBoxRecorder();
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

    const std::vector<Box>& Boxes() const { return FBoxes; }
    void Clear() { FBoxes.clear(); }

private:
    static int Record(HWND, const std::wstring& text, const std::wstring& caption, UINT style);
    std::vector<Box> FBoxes;
};

// Keeps the user's screen-saver settings of the prefix as they were before the test.
class ScreenSaverSettingsGuard {
public:
    ScreenSaverSettingsGuard();
    ~ScreenSaverSettingsGuard();
    ScreenSaverSettingsGuard(const ScreenSaverSettingsGuard&) = delete;
    ScreenSaverSettingsGuard& operator=(const ScreenSaverSettingsGuard&) = delete;

private:
    BOOL FActive = FALSE;
    INT FSeconds = 0;
};

// While it lives the system refuses every change of the screen-saver state,
// as a policy or a locked machine can.
class ScreenSaverChangesRefused {
public:
    ScreenSaverChangesRefused();
    ~ScreenSaverChangesRefused();
    ScreenSaverChangesRefused(const ScreenSaverChangesRefused&) = delete;
    ScreenSaverChangesRefused& operator=(const ScreenSaverChangesRefused&) = delete;

private:
    SystemParametersFn FOriginal;
};

void SetSaverSeconds(int seconds);
int SaverSeconds();

// Handles messages until `done` holds or the time is up; false on timeout.
bool PumpUntil(const std::function<bool()>& done, DWORD limitMs);
// Handles messages for the given time.
void PumpFor(DWORD ms);
// Takes a waiting quit message off the queue; true when there was one.
bool TakeQuitMessage();
// Replaces an edit's whole text by pasting through the clipboard, as Ctrl+V
// does; false when the clipboard could not be opened.
bool PasteText(HWND edit, const std::wstring& text);
// Sets the thread's view of the Shift key, as GetKeyState reports it.
void SetShiftHeld(bool held);

// The power calls, recorded: what is held, by requests or by the thread's execution state.
struct PowerRecorder {
    enum class Mode { Requests, NoRequest, RequestRefused };
    explicit PowerRecorder(Mode mode);
    ~PowerRecorder() { PowerCalls = FOriginal; }
    PowerRecorder(const PowerRecorder&) = delete;
    PowerRecorder& operator=(const PowerRecorder&) = delete;
    // "DS" for the display and the system, "S" for the system alone, "" for nothing, by the one
    // mechanism the mode gives; "muddled" otherwise.
    static std::string Held();
    // The system ends every request of the program, as at a lid close.
    static void SystemEndsRequests();
    static inline std::wstring reason;

private:
    TPowerCalls FOriginal = PowerCalls;
};

// The hotkey registrations, passed on to the system and noted: "+4003:4B" held (modifiers and
// key in hex), "!4003:4B" refused, "-" let go, each followed by a blank.
struct HotKeyRecorder {
    HotKeyRecorder();
    ~HotKeyRecorder() { HotKeyCalls = FOriginal; }
    static inline std::string log;
    const THotKeyCalls FOriginal = HotKeyCalls;
};

// The system refusing to open a process, as it does other users' programs; for ProcessOpen.
HANDLE WINAPI RefuseProcessOpen(DWORD access, BOOL inherit, DWORD processId);

// A copy of this test program started suspended under another file name: a process of this
// session that has no window and runs none of its own code. Ended when it goes.
class SuspendedProcess {
public:
    explicit SuspendedProcess(const wchar_t* fileName);
    ~SuspendedProcess() { End(); }
    DWORD Id() const { return FId; }
    // Ends it; its id stays held until it goes.
    void End();

private:
    UniqueKernelHandle FProcess;
    DWORD FId = 0;
};

#include "tests/TestSupport.h"

#include "framework/Application.h"
#include "framework/MessageBox.h"

#include <utility>

namespace {
MessageBoxRecorder* activeRecorder = nullptr;
}

MessageBoxRecorder::MessageBoxRecorder()
{
    activeRecorder = this;
    ShowMessageBoxHandler = Record;
}

MessageBoxRecorder::~MessageBoxRecorder()
{
    activeRecorder = nullptr;
    ShowMessageBoxHandler = [](HWND, const std::wstring&, const std::wstring&, UINT) { return IDOK; };
}

int MessageBoxRecorder::Record(HWND owner, const std::wstring& text, const std::wstring& caption, UINT style)
{
    if (activeRecorder) activeRecorder->FBoxes.push_back({text, caption, style, owner});
    return IDOK;
}

ScreenSaverSettingsGuard::ScreenSaverSettingsGuard()
{
    SystemParametersInfoW(SPI_GETSCREENSAVEACTIVE, 0, &FActive, 0);
    SystemParametersInfoW(SPI_GETSCREENSAVETIMEOUT, 0, &FSeconds, 0);
}

ScreenSaverSettingsGuard::~ScreenSaverSettingsGuard()
{
    SystemParametersInfoW(SPI_SETSCREENSAVEACTIVE, FActive, nullptr, SPIF_UPDATEINIFILE);
    SystemParametersInfoW(SPI_SETSCREENSAVETIMEOUT, static_cast<UINT>(FSeconds), nullptr, SPIF_UPDATEINIFILE);
}

ScreenSaverChangesRefused::ScreenSaverChangesRefused() : FOriginal(SystemParameters)
{
    SystemParameters = [](UINT action, UINT param, void* data, UINT winIni) -> BOOL {
        if (action != SPI_SETSCREENSAVEACTIVE) return SystemParametersInfoW(action, param, data, winIni);
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    };
}

ScreenSaverChangesRefused::~ScreenSaverChangesRefused() { SystemParameters = FOriginal; }

void SetSaverSeconds(int seconds)
{
    SystemParametersInfoW(SPI_SETSCREENSAVETIMEOUT, static_cast<UINT>(seconds), nullptr, SPIF_UPDATEINIFILE);
}

int SaverSeconds()
{
    INT seconds = -1;
    SystemParametersInfoW(SPI_GETSCREENSAVETIMEOUT, 0, &seconds, 0);
    return seconds;
}

bool PumpUntil(const std::function<bool()>& done, DWORD limitMs)
{
    const ULONGLONG end = GetTickCount64() + limitMs;
    while (!done()) {
        if (GetTickCount64() > end) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        Application->ProcessMessages();
    }
    return true;
}

void PumpFor(DWORD ms)
{
    PumpUntil([] { return false; }, ms);
}

bool TakeQuitMessage()
{
    MSG msg;
    return PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
}

bool PasteText(HWND edit, const std::wstring& text)
{
    if (!OpenClipboard(nullptr)) return false;
    EmptyClipboard();
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    memcpy(GlobalLock(memory), text.c_str(), bytes);
    GlobalUnlock(memory);
    SetClipboardData(CF_UNICODETEXT, memory);
    CloseClipboard();
    SendMessageW(edit, EM_SETSEL, 0, -1);
    SendMessageW(edit, WM_PASTE, 0, 0);
    return true;
}

HotKeyRecorder::HotKeyRecorder()
{
    log.clear();
    HotKeyCalls.Register = [](HWND window, int id, UINT modifiers, UINT key) -> BOOL {
        const BOOL held = RegisterHotKey(window, id, modifiers, key);
        char note[16];
        wsprintfA(note, "%c%X:%X ", held ? '+' : '!', modifiers, key);
        log += note;
        return held;
    };
    HotKeyCalls.Unregister = [](HWND window, int id) -> BOOL { return log += "- ", UnregisterHotKey(window, id); };
}

void SetShiftHeld(bool held)
{
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_SHIFT] = held ? 0x80 : 0;
    keys[VK_LSHIFT] = held ? 0x80 : 0;
    SetKeyboardState(keys);
}

namespace {
PowerRecorder::Mode powerMode;
int requests[8]; // per request type: how often it is set, as the system counts
bool unbalanced = false; // a type cleared more often than it was set
bool ended = false; // by the system, until the program holds again
EXECUTION_STATE threadState = ES_CONTINUOUS;
} // namespace

PowerRecorder::PowerRecorder(Mode mode)
{
    powerMode = mode, threadState = ES_CONTINUOUS, unbalanced = ended = false;
    for (int& n : requests) n = 0;
    PowerCalls.CreateRequest = [](PREASON_CONTEXT c) -> HANDLE {
        reason = c->Reason.SimpleReasonString;
        if (powerMode != Mode::NoRequest) return CreateEventW(nullptr, TRUE, FALSE, nullptr);
        SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
        return INVALID_HANDLE_VALUE;
    };
    PowerCalls.SetRequest = [](HANDLE, POWER_REQUEST_TYPE t) -> BOOL {
        if (powerMode == Mode::RequestRefused && t == PowerRequestSystemRequired) return FALSE;
        return ended = false, ++requests[t], TRUE;
    };
    PowerCalls.ClearRequest = [](HANDLE, POWER_REQUEST_TYPE t) -> BOOL {
        unbalanced |= requests[t] == 0;
        return requests[t] > 0 ? (--requests[t], TRUE) : FALSE;
    };
    PowerCalls.SetThreadState = [](EXECUTION_STATE s) {
        ended &= s == ES_CONTINUOUS;
        return std::exchange(threadState, s);
    };
}

std::string PowerRecorder::Held()
{
    const bool byRequest = powerMode == Mode::Requests;
    const int display = requests[PowerRequestDisplayRequired], system = requests[PowerRequestSystemRequired];
    if (unbalanced || display > 1 || system > 1) return "muddled";
    if (byRequest ? threadState != ES_CONTINUOUS : display + system != 0) return "muddled";
    if (threadState & ~(ES_CONTINUOUS | ES_DISPLAY_REQUIRED | ES_SYSTEM_REQUIRED)) return "muddled";
    const bool d = byRequest ? display != 0 : (threadState & ES_DISPLAY_REQUIRED) != 0;
    const bool s = byRequest ? system != 0 : (threadState & ES_SYSTEM_REQUIRED) != 0;
    return ended ? "" : std::string(d ? "D" : "") + (s ? "S" : "");
}

void PowerRecorder::SystemEndsRequests() { ended = true; }

SuspendedProcess::SuspendedProcess(const wchar_t* fileName)
{
    wchar_t self[MAX_PATH] = {}, folder[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    GetTempPathW(MAX_PATH, folder);
    std::wstring path = std::wstring(folder) + fileName;
    CopyFileW(self, path.c_str(), TRUE); // kept from an earlier run otherwise
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    CreateProcessW(
        path.c_str(), path.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr, &startup, &started);
    CloseHandle(started.hThread);
    FProcess.reset(started.hProcess);
    FId = started.dwProcessId;
}

void SuspendedProcess::End()
{
    TerminateProcess(FProcess.get(), 1);
    WaitForSingleObject(FProcess.get(), 5000);
}

HANDLE WINAPI RefuseProcessOpen(DWORD, BOOL, DWORD)
{
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
}

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

int MessageBoxRecorder::Record(HWND, const std::wstring& text, const std::wstring& caption, UINT style)
{
    if (activeRecorder) activeRecorder->FBoxes.push_back({text, caption, style});
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
int requestTypes = 0; // a bit per request type set
EXECUTION_STATE threadState = ES_CONTINUOUS;
} // namespace

PowerRecorder::PowerRecorder(Mode mode)
{
    powerMode = mode, requestTypes = 0, threadState = ES_CONTINUOUS;
    PowerCalls.CreateRequest = [](PREASON_CONTEXT c) -> HANDLE {
        reason = c->Reason.SimpleReasonString;
        if (powerMode != Mode::NoRequest) return CreateEventW(nullptr, TRUE, FALSE, nullptr);
        SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
        return INVALID_HANDLE_VALUE;
    };
    PowerCalls.SetRequest = [](HANDLE, POWER_REQUEST_TYPE t) -> BOOL {
        if (powerMode == Mode::RequestRefused && t == PowerRequestSystemRequired) return FALSE;
        return requestTypes |= 1 << t, TRUE;
    };
    PowerCalls.ClearRequest = [](HANDLE, POWER_REQUEST_TYPE t) -> BOOL { return requestTypes &= ~(1 << t), TRUE; };
    PowerCalls.SetThreadState = [](EXECUTION_STATE s) { return std::exchange(threadState, s); };
}

std::string PowerRecorder::Held()
{
    const bool byRequest = powerMode == Mode::Requests;
    if (byRequest ? threadState != ES_CONTINUOUS : requestTypes != 0) return "muddled";
    const bool display =
        byRequest ? requestTypes & 1 << PowerRequestDisplayRequired : (threadState & ES_DISPLAY_REQUIRED) != 0;
    const bool system =
        byRequest ? requestTypes & 1 << PowerRequestSystemRequired : (threadState & ES_SYSTEM_REQUIRED) != 0;
    if (!byRequest && (threadState & ~(ES_CONTINUOUS | ES_DISPLAY_REQUIRED | ES_SYSTEM_REQUIRED))) return "muddled";
    return std::string(display ? "D" : "") + (system ? "S" : "");
}

void PowerRecorder::SystemEndsRequests() { requestTypes = 0, threadState = ES_CONTINUOUS; }

#include "tests/TestSupport.h"

#include "framework/Application.h"
#include "framework/MessageBox.h"

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

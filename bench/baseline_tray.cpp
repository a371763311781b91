// The smallest tray program: one icon and a message loop; a right click opens a
// menu like Lullwick's, WM_CLOSE removes the icon and ends it.  With "/a" it
// adds the icon, removes it and exits at once; with "/c" (or "/ca") it first
// loads the common controls, as Lullwick's spin button needs them, and its
// window class is LullwickBaselineControls instead of LullwickBaseline.  The
// benchmark measures Lullwick against it.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cwchar>

namespace {

constexpr UINT TrayMessage = WM_USER + 200;

NOTIFYICONDATAW icon{};

// The same items as Lullwick's tray menu, built anew for each opening as it does.
void ShowMenu(HWND hwnd, POINT at)
{
    const wchar_t* const items[] = {L"＜現在の状態\t：　有効＞", L"＜現在の待ち時間\t：　10分＞ ...",
        L"スクリーンセーバー起動", nullptr, L"バージョン情報 ...", L"ヘルプ", nullptr, L"終了"};
    HMENU menu = CreatePopupMenu();
    UINT id = 0;
    for (const wchar_t* item : items) {
        if (item) AppendMenuW(menu, MF_STRING, ++id, item);
        else AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    }
    SetForegroundWindow(hwnd);
    const UINT alignment = GetSystemMetrics(SM_MENUDROPALIGNMENT) ? TPM_RIGHTALIGN : TPM_LEFTALIGN;
    TrackPopupMenuEx(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY | alignment, at.x, at.y, hwnd, nullptr);
    DestroyMenu(menu);
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    // Version 4 of the notification protocol: the event in lParam, the anchor in wParam.
    if (msg == TrayMessage && LOWORD(lParam) == WM_CONTEXTMENU) {
        ShowMenu(hwnd, {static_cast<short>(LOWORD(wParam)), static_cast<short>(HIWORD(wParam))});
        return 0;
    }
    if (msg == WM_CLOSE) {
        Shell_NotifyIconW(NIM_DELETE, &icon);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int)
{
    const bool option = commandLine[0] == L'/';
    const bool addRemoveExit = option && wcschr(commandLine, L'a');
    const bool controls = option && wcschr(commandLine, L'c');
    if (controls) {
        // Loaded by hand: an import would load them in the plain runs too.
        using InitEx = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
        const auto initEx = reinterpret_cast<InitEx>(
            reinterpret_cast<void*>(GetProcAddress(LoadLibraryW(L"comctl32.dll"), "InitCommonControlsEx")));
        const INITCOMMONCONTROLSEX icc{sizeof icc, ICC_UPDOWN_CLASS};
        if (initEx) initEx(&icc);
    }
    WNDCLASSW wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = controls ? L"LullwickBaselineControls" : L"LullwickBaseline";
    RegisterClassW(&wc);
    HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
    icon.cbSize = sizeof icon;
    icon.hWnd = hwnd;
    icon.uID = 1;
    icon.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP | NIF_SHOWTIP;
    icon.uCallbackMessage = TrayMessage;
    icon.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    lstrcpyW(icon.szTip, L"baseline");
    Shell_NotifyIconW(NIM_ADD, &icon);
    icon.uVersion = NOTIFYICON_VERSION_4;
    Shell_NotifyIconW(NIM_SETVERSION, &icon);
    if (addRemoveExit) {
        Shell_NotifyIconW(NIM_DELETE, &icon);
        return 0;
    }
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    return 0;
}

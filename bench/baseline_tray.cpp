// The smallest tray program: one icon and a message loop; WM_CLOSE removes the
// icon and ends it.  With "/a" it adds the icon, removes it and exits at once.
// The benchmark measures Lullwick against it.
#include <windows.h>
#include <shellapi.h>

namespace {

NOTIFYICONDATAW icon{};

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
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
    WNDCLASSW wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = L"LullwickBaseline";
    RegisterClassW(&wc);
    HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
    icon.cbSize = NOTIFYICONDATAW_V1_SIZE;
    icon.hWnd = hwnd;
    icon.uID = 1;
    icon.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
    icon.uCallbackMessage = WM_USER + 200;
    icon.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    lstrcpyW(icon.szTip, L"baseline");
    Shell_NotifyIconW(NIM_ADD, &icon);
    if (commandLine[0] == L'/' && commandLine[1] == L'a') {
        Shell_NotifyIconW(NIM_DELETE, &icon);
        return 0;
    }
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    return 0;
}

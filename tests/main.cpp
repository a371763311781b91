#include "framework/Application.h"
#include "framework/MessageBox.h"

#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

namespace {

// Wine's own tray window waits two seconds for a window manager whenever it
// empties and hides; an icon of the test run keeps it from emptying.
class TrayAnchor {
public:
    TrayAnchor()
    {
        FWindow = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
        FData.cbSize = sizeof FData;
        FData.hWnd = FWindow;
        FData.uID = 0xA11C;
        FData.uFlags = NIF_ICON;
        FData.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
        Shell_NotifyIconW(NIM_ADD, &FData);
    }
    ~TrayAnchor()
    {
        Shell_NotifyIconW(NIM_DELETE, &FData);
        DestroyWindow(FWindow);
    }

private:
    HWND FWindow;
    NOTIFYICONDATAW FData{};
};

} // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    // No test may leave a box on the screen that nobody can answer.
    ShowMessageBoxHandler = [](HWND, const std::wstring&, const std::wstring&, UINT) { return IDOK; };
    TApplication application;
    application.SetTitle("Lullwick");
    const TrayAnchor anchor;
    return RUN_ALL_TESTS();
}

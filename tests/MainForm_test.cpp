#include "app/CommandLine.h"
#include "app/Lifecycle.h"
#include "app/SavedState.h"
#include "app/cm_lullwick.h"
#include "components/trayicon/ShellNotify.h"
#include "components/trayicon/TrayIcon.h"
#include "forms/Main.h"
#include "forms/SetTimeout.h"
#include "framework/Application.h"
#include "framework/Menus.h"
#include "framework/StdCtrls.h"
#include "framework/Text.h"
#include "tests/TestSupport.h"

#include "Version.h"

#include <gtest/gtest.h>

namespace {

LPWSTR WINAPI NoParameters()
{
    static wchar_t line[] = L"Lullwick.exe";
    return line;
}

// The main form as the program makes it, without its message loop.
class MainFormTest : public testing::Test {
protected:
    MainFormTest()
    {
        ProcessCommandLine = NoParameters;
        originalCommand_ = SendSystemCommand;
        SendSystemCommand = [](HWND, WPARAM command) -> LRESULT {
            executed += command == SC_SCREENSAVE;
            return 0;
        };
        executed = 0;
        TakeQuitMessage();
        Application->SetShowMainForm(true);
    }
    ~MainFormTest() override
    {
        if (FormMain) Free(FormMain);
        FormMain = nullptr;
        SendSystemCommand = originalCommand_;
        ProcessCommandLine = GetCommandLineW;
        SetShiftHeld(false);
        TakeQuitMessage();
    }
    void Create() { Application->CreateForm(FormMain); }
    void Destroy()
    {
        Free(FormMain);
        FormMain = nullptr;
    }
    // Opens the tray menu as the right button does, choosing nothing.
    void OpenMenu() { FormMain->PopupMenu->Popup(0, 0); }
    std::wstring Caption(TMenuItem* item) { return text::ToWide(item->Caption()); }

    static inline int executed = 0;
    ScreenSaverSettingsGuard settings_;
    MessageBoxRecorder boxes_;
    SendSystemCommandFn originalCommand_;
    TrackMenuFn originalTrack_ = TrackMenu;
    struct RestoreTrack {
        TrackMenuFn f;
        ~RestoreTrack() { TrackMenu = f; }
    } restoreTrack_{TrackMenu};
    void ChooseNothing()
    {
        TrackMenu = [](HMENU, int, int, HWND) -> UINT { return 0; };
    }
};

TEST_F(MainFormTest, StartUpSwitchesOffAndExitPutsTheStateBack)
{
    SetScreenSaverActive(true);
    Create();
    EXPECT_FALSE(GetScreenSaverActive());
    EXPECT_TRUE(FormMain->TrayIcon->Registered());
    EXPECT_FALSE(FormMain->Visible());
    EXPECT_FALSE(Application->ShowMainForm());
    EXPECT_FALSE(TakeQuitMessage());
    Destroy();
    EXPECT_TRUE(GetScreenSaverActive());
    EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(MainFormTest, ExitRestoresTheRecordedStateNotTheToggledOne)
{
    SetScreenSaverActive(false);
    Create();
    FormMain->ppStatusClick(nullptr);
    EXPECT_TRUE(GetScreenSaverActive());
    Destroy();
    EXPECT_FALSE(GetScreenSaverActive());
}

TEST_F(MainFormTest, CaptionsComeFromFreshQueries)
{
    SetScreenSaverActive(true);
    SetSaverSeconds(600);
    Create();
    // Start-up has switched the screen saver off.
    EXPECT_EQ(Caption(FormMain->ppStatus), L"＜現在の状態\t：　無効＞");
    EXPECT_EQ(Caption(FormMain->ppTimeout), L"＜現在の待ち時間\t：　10分＞ ...");
    ChooseNothing();
    SetScreenSaverActive(true);
    SetSaverSeconds(59);
    OpenMenu();
    EXPECT_EQ(Caption(FormMain->ppStatus), L"＜現在の状態\t：　有効＞");
    EXPECT_EQ(Caption(FormMain->ppTimeout), L"＜現在の待ち時間\t：　0分＞ ...");
    EXPECT_EQ(Caption(FormMain->ppExecute), L"スクリーンセーバー起動");
    ASSERT_EQ(FormMain->PopupMenu->Items().size(), 8u);
    EXPECT_EQ(Caption(FormMain->PopupMenu->Items()[3]), L"-");
}

TEST_F(MainFormTest, ShiftAtOpeningDecidesTheExitItem)
{
    Create();
    ChooseNothing();
    EXPECT_EQ(FormMain->ppExit->Tag(), 0);
    SetShiftHeld(true);
    OpenMenu();
    EXPECT_EQ(Caption(FormMain->ppExit), L"無効状態で終了");
    EXPECT_EQ(FormMain->ppExit->Tag(), 1);
    SetShiftHeld(false);
    EXPECT_EQ(FormMain->ppExit->Tag(), 1); // only the next opening reads it again
    OpenMenu();
    EXPECT_EQ(Caption(FormMain->ppExit), L"終了");
    EXPECT_EQ(FormMain->ppExit->Tag(), 0);
}

TEST_F(MainFormTest, ShiftExitLeavesTheScreenSaverOff)
{
    SetScreenSaverActive(true);
    Create();
    ChooseNothing();
    SetShiftHeld(true);
    OpenMenu();
    SetShiftHeld(false);
    FormMain->ppExitClick(nullptr);
    EXPECT_TRUE(TakeQuitMessage());
    Destroy();
    EXPECT_FALSE(GetScreenSaverActive());
}

TEST_F(MainFormTest, StatusItemTogglesAndTwiceLeavesTheState)
{
    Create();
    const bool before = GetScreenSaverActive();
    FormMain->ppStatusClick(nullptr);
    EXPECT_EQ(GetScreenSaverActive(), !before);
    EXPECT_EQ(Caption(FormMain->ppStatus), std::wstring(L"＜現在の状態\t：　") + (before ? L"無効" : L"有効") + L"＞");
    FormMain->ppStatusClick(nullptr);
    EXPECT_EQ(GetScreenSaverActive(), before);
}

TEST_F(MainFormTest, TipReadsTipHelpUntilTheFirstMouseMove)
{
    Create();
    EXPECT_EQ(FormMain->TrayIcon->TipHelp(), "TipHelp");
    SendMessageW(
        CallbackWindow->Handle(), WM_TRAYNOTIFY, static_cast<WPARAM>(FormMain->TrayIcon->TrayId()), WM_MOUSEMOVE);
    EXPECT_EQ(text::ToWide(FormMain->TrayIcon->TipHelp()), L"Lullwick ＜現在の状態：無効＞");
    SetScreenSaverActive(true);
    SendMessageW(
        CallbackWindow->Handle(), WM_TRAYNOTIFY, static_cast<WPARAM>(FormMain->TrayIcon->TrayId()), WM_MOUSEMOVE);
    EXPECT_EQ(text::ToWide(FormMain->TrayIcon->TipHelp()), L"Lullwick ＜現在の状態：有効＞");
}

TEST_F(MainFormTest, ExecuteWaitsASecondThenSwitchesOnAndStarts)
{
    Create();
    ASSERT_FALSE(GetScreenSaverActive());
    const ULONGLONG start = GetTickCount64();
    FormMain->ppExecuteClick(nullptr);
    EXPECT_GE(GetTickCount64() - start, 990u);
    EXPECT_TRUE(GetScreenSaverActive());
    EXPECT_EQ(executed, 1);
}

TEST_F(MainFormTest, VersionWindowShowsCentredOnceAndKeepsItsPlace)
{
    Create();
    FormMain->ppVersionClick(nullptr);
    ASSERT_TRUE(IsWindowVisible(FormMain->Handle()));
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_NEAR(FormMain->Left() + FormMain->Width() / 2, (work.left + work.right) / 2, 2);
    RECT client;
    GetClientRect(FormMain->Handle(), &client);
    EXPECT_EQ(client.right, 274);
    EXPECT_EQ(client.bottom, 208);
    FormMain->ButtonCloseClick(nullptr);
    EXPECT_FALSE(IsWindowVisible(FormMain->Handle()));
    FormMain->SetBounds(10, 20, FormMain->Width(), FormMain->Height());
    FormMain->ppVersionClick(nullptr);
    EXPECT_EQ(FormMain->Left(), 10);
    EXPECT_EQ(FormMain->Top(), 20);
    EXPECT_EQ(FormMain->LabelVersion->Text(), std::string("Ver.") + ProgramVersion);
    EXPECT_EQ(text::ToWide(FormMain->ButtonClose->Text()), L"閉じる");
}

TEST_F(MainFormTest, CloseBoxHidesAndEveryOtherCloseEndsTheProgram)
{
    Create();
    FormMain->ppVersionClick(nullptr);
    RECT r;
    GetWindowRect(FormMain->Handle(), &r);
    // Over the close box at the right end of the title bar.
    const int caption = GetSystemMetrics(SM_CYCAPTION);
    SetCursorPos(
        r.right - GetSystemMetrics(SM_CXFRAME) - caption / 2 - 1, r.top + GetSystemMetrics(SM_CYFRAME) + caption / 2);
    POINT p;
    GetCursorPos(&p);
    ASSERT_EQ(SendMessageW(FormMain->Handle(), WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y)), HTCLOSE);
    SendMessageW(FormMain->Handle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindowVisible(FormMain->Handle()));
    EXPECT_FALSE(TakeQuitMessage());

    // The same request with the pointer elsewhere ends the program.
    SetCursorPos(r.left + 30, r.top + 60);
    SendMessageW(FormMain->Handle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(TakeQuitMessage());
}

TEST_F(MainFormTest, ScalingToTheScreensDpiKeepsEveryProportion)
{
    Create();
    FormMain->ScaleBy(3, 2); // 96 to 144 pixels per inch
    FormMain->ppVersionClick(nullptr);
    RECT client;
    GetClientRect(FormMain->Handle(), &client);
    EXPECT_EQ(client.right, 411);
    EXPECT_EQ(client.bottom, 312);
    EXPECT_EQ(FormMain->Font().Height(), -18);
    EXPECT_EQ(FormMain->LabelTitle->Font().Height(), -24);
    EXPECT_TRUE(FormMain->Label3->ParentFont());
    EXPECT_EQ(FormMain->ButtonClose->Left(), 288);
    EXPECT_EQ(FormMain->ButtonClose->Width(), 113); // rounded, as MulDiv does
    EXPECT_EQ(FormMain->ImageIcon->Width(), 48);
    EXPECT_EQ(FormMain->PanelVersion->Height(), 242);
}

TEST(HelpFile, IsLullwickHlpBesideTheProgram)
{
    wchar_t program[MAX_PATH];
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    std::wstring folder = program;
    folder.erase(folder.find_last_of(L'\\') + 1);
    EXPECT_EQ(HelpFilePath(), folder + L"Lullwick.hlp");
}

TEST_F(MainFormTest, HelpOpensTheFileBesideTheProgram)
{
    static std::wstring opened;
    static UINT command = 0;
    const HelpViewerFn original = HelpViewer;
    HelpViewer = [](HWND, const wchar_t* file, UINT cmd, ULONG_PTR) -> BOOL {
        opened = file;
        command = cmd;
        return TRUE;
    };
    Create();
    Application->SetHelpFile(L"C:\\somewhere\\Lullwick.hlp");
    FormMain->ppHelpClick(nullptr);
    HelpViewer = original;
    EXPECT_EQ(opened, L"C:\\somewhere\\Lullwick.hlp");
    EXPECT_EQ(command, static_cast<UINT>(HELP_FINDER));
}

TEST_F(MainFormTest, RefusedTrayIconShowsTheErrorAndExitWritesNothing)
{
    SetScreenSaverActive(true);
    ShellNotifyIcon = [](DWORD, NOTIFYICONDATAW*) -> BOOL { return FALSE; };
    Create();
    ShellNotifyIcon = [](DWORD m, NOTIFYICONDATAW* d) { return Shell_NotifyIconW(m, d); };
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    EXPECT_EQ(boxes_.Boxes()[0].text, L"タスクトレイにアイコンを登録できません。");
    EXPECT_EQ(boxes_.Boxes()[0].style, static_cast<UINT>(MB_OK | MB_ICONERROR));
    EXPECT_TRUE(GetScreenSaverActive()); // never switched off
    EXPECT_TRUE(Application->ShowMainForm());
    SetScreenSaverActive(false); // another program changes it meanwhile
    SetScreenSaverActive(true);
    Destroy();
    EXPECT_TRUE(GetScreenSaverActive());
}

TEST_F(MainFormTest, ShiftExitAfterARefusedTrayIconLeavesTheScreenSaverOff)
{
    // The icon can come back with a new taskbar; leaving off is the user's own choice then too.
    SetScreenSaverActive(true);
    ShellNotifyIcon = [](DWORD, NOTIFYICONDATAW*) -> BOOL { return FALSE; };
    Create();
    ShellNotifyIcon = [](DWORD m, NOTIFYICONDATAW* d) { return Shell_NotifyIconW(m, d); };
    ChooseNothing();
    SetShiftHeld(true);
    OpenMenu();
    SetShiftHeld(false);
    Destroy();
    EXPECT_FALSE(GetScreenSaverActive());
}

TEST(FormDescriptions, EveryOneLoads)
{
    // A misspelt name must fail here, not at a user's start.
    ScreenSaverSettingsGuard settings;
    MessageBoxRecorder boxes;
    ProcessCommandLine = NoParameters;
    const auto load = [](TForm* form, const char* description) {
        EXPECT_NO_THROW(form->Load(description)) << form->Name();
        Free(form);
    };
    load(new TFormMain(Application), TFormMain::Description);
    load(new TFormSetTimeout(Application), TFormSetTimeout::Description);
    ProcessCommandLine = GetCommandLineW;
    EXPECT_TRUE(boxes.Boxes().empty());
    RemoveSavedState();
    TakeQuitMessage();
}

TEST_F(MainFormTest, CommandLineOptionRunsBeforeTheTailAndEnds)
{
    ProcessCommandLine = []() -> LPWSTR {
        static wchar_t line[] = L"Lullwick.exe /a";
        return line;
    };
    SetScreenSaverActive(false);
    Create();
    EXPECT_TRUE(TakeQuitMessage());
    EXPECT_FALSE(GetScreenSaverActive()); // the tail switched it off again for the moment
    Destroy();
    EXPECT_TRUE(GetScreenSaverActive());
}

} // namespace

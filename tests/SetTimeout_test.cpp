#include "app/CommandLine.h"
#include "app/cm_lullwick.h"
#include "components/editupdown/EditUpDown.h"
#include "forms/Main.h"
#include "forms/SetTimeout.h"
#include "framework/Application.h"
#include "framework/Menus.h"
#include "framework/StdCtrls.h"
#include "framework/Text.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>

namespace {

class SetTimeoutTest : public testing::Test {
protected:
    SetTimeoutTest()
    {
        ProcessCommandLine = []() -> LPWSTR {
            static wchar_t line[] = L"Lullwick.exe";
            return line;
        };
        beeps = 0;
        EditUpDownBeep = [](UINT) -> BOOL {
            ++beeps;
            return TRUE;
        };
        Application->CreateForm(FormMain);
        Application->CreateForm(FormSetTimeout);
        FDialog = FormSetTimeout;
        FEdit = FDialog->EditUpDownTimeout;
    }
    ~SetTimeoutTest() override
    {
        Application->DestroyForms();
        FormMain = nullptr;
        FormSetTimeout = nullptr;
        ProcessCommandLine = GetCommandLineW;
        EditUpDownBeep = MessageBeep;
        TakeQuitMessage();
    }
    void Open()
    {
        FormMain->ppTimeoutClick(nullptr);
        // Without a window manager the focus follows the pointer, which an
        // earlier test may have left anywhere: put it where the user's would be.
        RECT r;
        GetWindowRect(FDialog->Handle(), &r);
        SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        // Under a loaded display server the activation that follows can come late.
        PumpUntil([this] { return GetFocus() == FEdit->Handle(); }, 1000);
        PumpFor(30);
    }
    // Keys as the keyboard sends them to the focused window.
    void Press(WORD vk)
    {
        PostMessageW(GetFocus(), WM_KEYDOWN, vk, 1);
        PostMessageW(GetFocus(), WM_KEYUP, vk, 0xC0000001);
        PumpFor(30);
    }
    void Type(const std::wstring& chars)
    {
        for (wchar_t c : chars) {
            PostMessageW(GetFocus(), WM_CHAR, c, 1);
            PumpFor(10);
        }
    }
    void ClearEdit()
    {
        SendMessageW(FEdit->Handle(), EM_SETSEL, 0, -1);
        Press(VK_DELETE);
    }
    bool Shown() const { return IsWindowVisible(FDialog->Handle()) != FALSE; }

    static inline int beeps = 0;
    ScreenSaverSettingsGuard FSettings;
    MessageBoxRecorder FBoxes;
    TFormSetTimeout* FDialog;
    TEditUpDown* FEdit;
};

TEST_F(SetTimeoutTest, OpensWithTheSystemsWaitTimeAndTheFocusInTheEdit)
{
    SetSaverSeconds(600);
    EXPECT_FALSE(Shown());
    Open();
    ASSERT_TRUE(Shown());
    EXPECT_EQ(FEdit->Text(), "10");
    EXPECT_EQ(GetFocus(), FEdit->Handle());
    EXPECT_EQ(FDialog->ButtonOK->Text(), "OK");
    EXPECT_EQ(text::ToWide(FDialog->ButtonCancel->Text()), L"キャンセル");
    RECT client;
    GetClientRect(FDialog->Handle(), &client);
    EXPECT_EQ(client.right, 225);
    EXPECT_EQ(client.bottom, 113);
}

TEST_F(SetTimeoutTest, BelowAMinuteOpensAtOneAndOkStoresSixtySeconds)
{
    SetSaverSeconds(59);
    Open();
    EXPECT_EQ(FEdit->Text(), "1");
    FDialog->ButtonOK->Click();
    EXPECT_EQ(SaverSeconds(), 60);
    EXPECT_FALSE(Shown());
}

TEST_F(SetTimeoutTest, BeyondTheSixteenBitRangeOpensAtTheUpperBound)
{
    SetSaverSeconds(40000 * 60);
    Open();
    EXPECT_EQ(FEdit->Text(), "9999");
}

TEST_F(SetTimeoutTest, TypingEnterEnterStoresAndHides)
{
    SetSaverSeconds(600);
    Open();
    ClearEdit();
    Type(L"25");
    Press(VK_RETURN);
    EXPECT_TRUE(Shown());
    EXPECT_EQ(GetFocus(), FDialog->ButtonOK->Handle());
    EXPECT_EQ(SaverSeconds(), 600);
    Press(VK_RETURN);
    EXPECT_FALSE(Shown());
    EXPECT_EQ(SaverSeconds(), 1500);
    EXPECT_EQ(beeps, 0);
    EXPECT_EQ(FEdit->Text(), "25");
}

TEST_F(SetTimeoutTest, EscMovesToCancelThenHidesWithoutStoring)
{
    SetSaverSeconds(600);
    Open();
    ClearEdit();
    Type(L"33");
    Press(VK_ESCAPE);
    EXPECT_TRUE(Shown());
    EXPECT_EQ(GetFocus(), FDialog->ButtonCancel->Handle());
    Press(VK_ESCAPE);
    EXPECT_FALSE(Shown());
    EXPECT_EQ(SaverSeconds(), 600);
    EXPECT_EQ(beeps, 0);
}

TEST_F(SetTimeoutTest, OkStoresTheLastAcceptedValueWhenTheTextIsNoNumber)
{
    SetSaverSeconds(600);
    Open();
    ClearEdit();
    FDialog->ButtonOK->Click();
    EXPECT_EQ(SaverSeconds(), 600);

    Open();
    ClearEdit();
    Type(L"7");
    ClearEdit();
    Type(L"0");
    FDialog->ButtonOK->Click();
    EXPECT_EQ(SaverSeconds(), 7 * 60);
}

TEST_F(SetTimeoutTest, PastedTextThatIsNoNumberIsIgnoredByOk)
{
    SetSaverSeconds(600);
    Open();
    ASSERT_TRUE(PasteText(FEdit->Handle(), L"abc 12"));
    EXPECT_NE(FEdit->Text(), "10");
    EXPECT_EQ(FEdit->Position(), 10);
    FDialog->ButtonOK->Click();
    EXPECT_EQ(SaverSeconds(), 600);
}

TEST_F(SetTimeoutTest, ReopeningAfterCancelShowsTheSystemsValue)
{
    SetSaverSeconds(300);
    Open();
    ClearEdit();
    Type(L"77");
    FDialog->ButtonCancel->Click();
    EXPECT_FALSE(Shown());
    Open();
    EXPECT_EQ(FEdit->Text(), "5");
}

TEST_F(SetTimeoutTest, CloseBoxHidesLikeCancel)
{
    SetSaverSeconds(300);
    Open();
    ClearEdit();
    Type(L"9");
    SendMessageW(FDialog->Handle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(Shown());
    EXPECT_EQ(SaverSeconds(), 300);
    EXPECT_FALSE(TakeQuitMessage());
}

TEST_F(SetTimeoutTest, ChoosingTheItemAgainDoesNotReload)
{
    SetSaverSeconds(600);
    Open();
    ClearEdit();
    Type(L"42");
    SetSaverSeconds(1200);
    Open();
    EXPECT_TRUE(Shown());
    EXPECT_EQ(FEdit->Text(), "42");
}

TEST_F(SetTimeoutTest, MenuCaptionShowsTheNewValueOnlyAtTheNextOpening)
{
    SetSaverSeconds(600);
    Open();
    EXPECT_EQ(text::ToWide(FormMain->ppTimeout->Caption()), L"＜現在の待ち時間\t：　10分＞ ...");
    ClearEdit();
    Type(L"25");
    FDialog->ButtonOK->Click();
    EXPECT_EQ(text::ToWide(FormMain->ppTimeout->Caption()), L"＜現在の待ち時間\t：　10分＞ ...");
    const TrackMenuFn original = TrackMenu;
    TrackMenu = [](HMENU, int, int, HWND) -> UINT { return 0; };
    FormMain->PopupMenu->Popup(0, 0);
    TrackMenu = original;
    EXPECT_EQ(text::ToWide(FormMain->ppTimeout->Caption()), L"＜現在の待ち時間\t：　25分＞ ...");
}

TEST_F(SetTimeoutTest, TabOrderAndTheAcceleratorLetter)
{
    Open();
    ASSERT_EQ(GetFocus(), FEdit->Handle());
    Press(VK_TAB);
    EXPECT_EQ(GetFocus(), FDialog->ButtonOK->Handle());
    Press(VK_TAB);
    EXPECT_EQ(GetFocus(), FDialog->ButtonCancel->Handle());
    Press(VK_TAB);
    EXPECT_EQ(GetFocus(), FEdit->Handle());
    FDialog->ButtonCancel->SetFocus();
    PostMessageW(GetFocus(), WM_SYSCHAR, L'w', 1 << 29);
    PumpFor(30);
    EXPECT_EQ(GetFocus(), FEdit->Handle());
    FDialog->ButtonOK->SetFocus();
    Type(L"W");
    EXPECT_EQ(GetFocus(), FEdit->Handle());
    EXPECT_TRUE(Shown());
}

} // namespace

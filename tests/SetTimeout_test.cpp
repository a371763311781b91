#include "app/CommandLine.h"
#include "app/cm_lullwick.h"
#include "components/editupdown/EditUpDown.h"
#include "components/hotkeyedit/HotKeyEdit.h"
#include "forms/ChooseApp.h"
#include "forms/HoldFor.h"
#include "forms/HotKeyDialog.h"
#include "forms/Main.h"
#include "forms/SetTimeout.h"
#include "framework/Application.h"
#include "framework/Menus.h"
#include "framework/StdCtrls.h"
#include "framework/Text.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

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
        StoreHotKey(0); // what a run cut short may have left
        Application->CreateForm(FormMain);
        Application->CreateForm(FormSetTimeout);
        FDialog = FormSetTimeout;
        FEdit = FormSetTimeout->EditUpDownTimeout;
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
        // The display server's answer to an earlier hiding comes late; arriving after the
        // activation below, it would take the focus again.
        PumpFor(100);
        if (FHold) {
            FormMain->ppHoldCustomClick(nullptr);
            FDialog = dynamic_cast<TNumberDialog*>(FormMain->FindComponent("FormHoldFor"));
            FEdit = FDialog->NumberEdit();
        } else {
            FormMain->ppTimeoutClick(nullptr);
        }
        // Without a window manager the focus follows the pointer, which an
        // earlier test may have left anywhere: put it where the user's would be.
        RECT r;
        GetWindowRect(FDialog->Handle(), &r);
        SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        // Under a loaded display server the activation that follows can come late;
        // typing before it would reach another window.
        ASSERT_TRUE(PumpUntil([this] { return GetFocus() == FEdit->Handle(); }, 3000)) << "the edit has no focus";
        PumpFor(30);
        ASSERT_EQ(GetFocus(), FEdit->Handle()) << "the edit lost the focus";
    }
    bool AllSelected() const
    {
        const LRESULT selection = SendMessageW(FEdit->Handle(), EM_GETSEL, 0, 0);
        return LOWORD(selection) == 0 && HIWORD(selection) == GetWindowTextLengthW(FEdit->Handle());
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
    bool Shown(TForm* form = nullptr) const { return IsWindowVisible((form ? form : FDialog)->Handle()) != FALSE; }

    static inline int beeps = 0;
    ScreenSaverSettingsGuard FSettings;
    MessageBoxRecorder FBoxes;
    TNumberDialog* FDialog;
    TEditUpDown* FEdit;
    bool FHold = false;
};

// The wait-time dialog and the hold dialog, which work alike.
class NumberDialogTest : public SetTimeoutTest, public testing::WithParamInterface<bool> {
protected:
    NumberDialogTest() { FHold = GetParam(); }
    // Both dialogs back at their starting point: a wait time of 10 minutes, no timed hold.
    void Reset()
    {
        SetSaverSeconds(600);
        FormMain->ppHoldCancel->Click();
    }
    // What OK stored, in minutes: the wait time, or the length of the timed hold (0: none).
    int Stored() const
    {
        const auto end = FormMain->Rules().End();
        if (!FHold) return SaverSeconds() / 60;
        return end ? static_cast<int>((*end - HoldClock() + 300'000'000) / 600'000'000) : 0;
    }
    const char* Opening() const { return FHold ? "60" : "10"; }
    int Untouched() const { return FHold ? 0 : 10; }
};
INSTANTIATE_TEST_SUITE_P(BothDialogs, NumberDialogTest, testing::Bool());

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

TEST_F(SetTimeoutTest, OkWithoutAChangeWritesNothing)
{
    for (const auto& [seconds, shown] : {std::pair{59, "1"}, {90, "1"}, {600000, "9999"}}) {
        SetSaverSeconds(seconds);
        Open();
        EXPECT_EQ(FEdit->Text(), shown);
        Press(VK_RETURN);
        Press(VK_RETURN);
        EXPECT_FALSE(Shown());
        EXPECT_EQ(SaverSeconds(), seconds);
    }
}

TEST_F(SetTimeoutTest, BeyondTheSixteenBitRangeOpensAtTheUpperBound)
{
    SetSaverSeconds(40000 * 60);
    Open();
    EXPECT_EQ(FEdit->Text(), "9999");
}

TEST_P(NumberDialogTest, TypingEnterEnterStoresAndHides)
{
    Reset();
    Open();
    EXPECT_EQ(FEdit->Text(), Opening());
    Type(L"25"); // at once, as the user does: the shown value is selected
    Press(VK_RETURN);
    EXPECT_TRUE(Shown());
    EXPECT_EQ(GetFocus(), FDialog->ButtonOK->Handle());
    EXPECT_EQ(Stored(), Untouched());
    Press(VK_RETURN);
    EXPECT_FALSE(Shown());
    EXPECT_EQ(Stored(), 25);
    // A hold chosen here checks its own item.
    const TrackMenuFn original = std::exchange(TrackMenu, [](HMENU, int, int, HWND) -> UINT { return 0; });
    FormMain->PopupMenu->Popup(0, 0);
    TrackMenu = original;
    EXPECT_EQ(FormMain->ppHoldCustom->Checked(), FHold);
    EXPECT_EQ(beeps, 0);
    EXPECT_EQ(FEdit->Text(), "25");
}

TEST_P(NumberDialogTest, EscMovesToCancelThenHidesWithoutStoring)
{
    Reset();
    Open();
    ClearEdit();
    Type(L"33");
    Press(VK_ESCAPE);
    EXPECT_TRUE(Shown());
    EXPECT_EQ(GetFocus(), FDialog->ButtonCancel->Handle());
    Press(VK_ESCAPE);
    EXPECT_FALSE(Shown());
    EXPECT_EQ(Stored(), Untouched());
    EXPECT_EQ(beeps, 0);
}

TEST_P(NumberDialogTest, OkStoresTheShownNumberOrKeepsTheDialogOpenWithTheLastValue)
{
    // Pasted over the cleared text, then Enter twice; 0 minutes: refused.
    for (const auto& [pasted, minutes] :
        {std::pair{L"25\r\n", 25}, {L"1440", 1440}, {L"", 0}, {L"0", 0}, {L"-", 0}, {L"ab 1", 0}}) {
        Reset();
        Open();
        beeps = 0;
        ClearEdit();
        EXPECT_TRUE(!*pasted || PasteText(FEdit->Handle(), pasted));
        Press(VK_RETURN);
        Press(VK_RETURN);
        EXPECT_EQ(Stored(), minutes ? minutes : Untouched()) << minutes;
        EXPECT_EQ(Shown(), !minutes);
        if (minutes) continue;
        // Refused: one beep, the last accepted value selected, the focus back in the edit.
        EXPECT_EQ(beeps, 1);
        EXPECT_EQ(FEdit->Text(), Opening());
        EXPECT_EQ(GetFocus(), FEdit->Handle());
        EXPECT_TRUE(AllSelected());
        FDialog->ButtonCancel->Click();
        PumpFor(200); // the display server's answer to the hiding comes late
    }
    // The last accepted value is the last number typed, not the value at opening.
    Open();
    Type(L"7");
    ClearEdit();
    Type(L"0");
    FDialog->ButtonOK->Click();
    EXPECT_EQ(FEdit->Text(), "7");
    FDialog->ButtonOK->Click();
    EXPECT_EQ(Stored(), 7);
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
    EXPECT_TRUE(AllSelected()); // as the dialog opened
    SendMessageW(FEdit->Handle(), EM_SETSEL, 0, 0);
    Press(VK_TAB);
    EXPECT_EQ(GetFocus(), FDialog->ButtonOK->Handle());
    Press(VK_TAB);
    EXPECT_EQ(GetFocus(), FDialog->ButtonCancel->Handle());
    Press(VK_TAB);
    EXPECT_EQ(GetFocus(), FEdit->Handle());
    EXPECT_TRUE(AllSelected());
    FDialog->ButtonCancel->SetFocus();
    SendMessageW(FEdit->Handle(), EM_SETSEL, 0, 0);
    PostMessageW(GetFocus(), WM_SYSCHAR, L'w', 1 << 29);
    PumpFor(30);
    EXPECT_EQ(GetFocus(), FEdit->Handle());
    EXPECT_TRUE(AllSelected());
    FDialog->ButtonOK->SetFocus();
    Type(L"W");
    EXPECT_EQ(GetFocus(), FEdit->Handle());
    EXPECT_TRUE(Shown());
}

TEST_F(SetTimeoutTest, HotKeyDialogTakesTheKeysPressedAndHoldsWhatOkConfirms)
{
    const HotKeyRecorder hotKeys;
    RegisterHotKey(nullptr, 1, MOD_CONTROL | MOD_ALT, 'J'); // another program's
    TFormHotKey* dialog = nullptr;
    // The modifiers pressed and held, the last key pressed, then all let go, as a keyboard sends them.
    const auto typed = [](std::vector<BYTE> keys) -> std::function<void()> {
        return [keys] {
            BYTE state[256];
            GetKeyboardState(state);
            const auto send = [&state](BYTE key, bool down) {
                state[key] = down ? 0x80 : 0;
                SetKeyboardState(state);
                const bool system = state[VK_MENU] && !state[VK_CONTROL];
                // With the scan code, from which the control reads the key of a character.
                PostMessageW(GetFocus(), (down ? WM_KEYDOWN : WM_KEYUP) + (system ? 4 : 0), key,
                    LPARAM{MapVirtualKeyW(key, MAPVK_VK_TO_VSC)} << 16 | (system ? 1 << 29 : 0) |
                        (down ? 1 : 0xC0000001));
                PumpFor(10);
            };
            for (const BYTE key : keys) send(key, true);
            for (auto key = keys.rbegin(); key != keys.rend(); ++key) send(*key, false);
        };
    };
    const struct {
        const char* name;
        std::function<void()> act;
        WORD button;
        const char* held; // the registrations from the opening on
        DWORD stored;
        bool shown;
        const wchar_t* key; // in the menu item afterwards
    } rows[] = {
        {"Ctrl+Alt+K at once", typed({VK_CONTROL, VK_MENU, 'K'}), VK_RETURN, "+4003:4B ", 0x064B, false, L"Ctrl+Alt+K"},
        {"Esc", typed({VK_CONTROL, VK_SHIFT, 'M'}), VK_ESCAPE, "- +4003:4B ", 0x064B, false, L"Ctrl+Alt+K"},
        {"OK unchanged, the key of before shown again", [] {}, VK_RETURN, "- +4003:4B ", 0x064B, false, L"Ctrl+Alt+K"},
        {"Alt alone gets Ctrl", typed({VK_MENU, 'M'}), VK_RETURN, "- +4003:4D ", 0x064D, false, L"Ctrl+Alt+M"},
        {"taken", typed({VK_CONTROL, VK_MENU, 'J'}), VK_RETURN, "- !4003:4A ", 0x064D, true, L"Ctrl+Alt+M"},
        {"then Esc", [] {}, VK_ESCAPE, "+4003:4D ", 0x064D, false, L"Ctrl+Alt+M"},
        {"none, Alt+N", typed({VK_MENU, 'N'}), VK_RETURN, "- ", 0, false, L"なし"},
        {"modifiers without a key", [&] { dialog->HotKeyEdit->SetHotKey(0x0600); }, VK_RETURN, "", 0, false, L"なし"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        PumpFor(100);
        HotKeyRecorder::log.clear();
        FormMain->ppHotKeyClick(nullptr);
        dialog = dynamic_cast<TFormHotKey*>(FormMain->FindComponent("FormHotKey"));
        RECT r;
        GetWindowRect(dialog->Handle(), &r);
        SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        ASSERT_TRUE(PumpUntil([dialog] { return GetFocus() == dialog->HotKeyEdit->Handle(); }, 3000));
        FBoxes.Clear();
        row.act();
        Press(row.button);
        EXPECT_EQ(HotKeyRecorder::log, row.held);
        EXPECT_EQ(LoadHotKey(), row.stored);
        EXPECT_EQ(IsWindowVisible(dialog->Handle()) != FALSE, row.shown);
        EXPECT_EQ(text::ToWide(FormMain->ppHotKey->Caption()), L"ホットキー（" + std::wstring(row.key) + L"） ...");
        ASSERT_EQ(FBoxes.Boxes().size(), row.shown ? 1u : 0u);
        for (const auto& box : FBoxes.Boxes()) // with the warning icon, MB_OK | MB_ICONWARNING
            EXPECT_EQ(box.caption + L" " + std::to_wstring(box.style) + L" " + box.text,
                L"Lullwick 48 このキーは他のアプリが使用しているため、設定できません。別のキーを指定してください。");
    }
    UnregisterHotKey(nullptr, 1);
}

// A program without a window, shown once the box is ticked (Alt+W) and chosen by typing its first letter.
TEST_F(SetTimeoutTest, ChooserOpensTheProgramTypedOrTellsWhyItCannotWaitForIt)
{
    auto* chooser = new TFormChooseApp(FormMain);
    chooser->Load(TFormChooseApp::Description);
    std::optional<SuspendedProcess> zebra;
    std::wstring chosen;
    bool taken = true;
    chooser->OnChosen = [&](UniqueKernelHandle process, const std::wstring& fileName) {
        chosen = fileName + (GetProcessId(process.get()) == zebra->Id() ? L"" : L" (another)");
        return taken;
    };
    const std::wstring cannot = L"Lullwick 48 このアプリの終了を待つことができません。";
    const struct {
        const char* name;
        std::function<void()> before;
        bool taken;
        WORD key; // 0: a double click on the line
        std::wstring box;
        const wchar_t* chosen; // afterwards, in the list, also of a closed dialog
        const wchar_t* held;
    } rows[] = {
        {"Enter", [] {}, true, VK_RETURN, L"", L"Zebra.exe", L"Zebra.exe"},
        {"a double click", [] {}, true, 0, L"", L"Zebra.exe", L"Zebra.exe"},
        {"shown again first", [&] { chooser->ShowApps(); }, true, VK_RETURN, L"", L"Zebra.exe", L"Zebra.exe"},
        {"refused", [] { ProcessOpen = RefuseProcessOpen; }, true, VK_RETURN, cannot, L"Zebra.exe", L""},
        {"not taken by the hold", [] {}, false, VK_RETURN, cannot, L"Zebra.exe", L"Zebra.exe"},
        {"ended", [&] { zebra->End(); }, true, VK_RETURN, L"Lullwick 48 選んだアプリは既に終了しています。", L"", L""},
        {"Esc", [] {}, true, VK_ESCAPE, L"", L"Zebra.exe", L""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        PumpFor(100);
        zebra.emplace(L"Zebra.exe");
        chosen.clear();
        taken = row.taken;
        chooser->CheckBoxAll->SetChecked(false);
        chooser->ShowApps();
        RECT r;
        GetWindowRect(chooser->Handle(), &r);
        SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        ASSERT_TRUE(PumpUntil([chooser] { return GetFocus() == chooser->ListBoxApps->Handle(); }, 3000));
        EXPECT_EQ(chooser->ListBoxApps->ItemIndex(), -1);
        EXPECT_FALSE(IsWindowEnabled(chooser->ButtonOK->Handle()));
        for (const wchar_t letter : {L'w', L'a'}) {
            PostMessageW(GetFocus(), WM_SYSCHAR, letter, 1 << 29);
            PumpFor(30);
        }
        EXPECT_TRUE(chooser->CheckBoxAll->Checked());
        Type(L"z");
        const auto shownLine = [chooser] {
            const int index = chooser->ListBoxApps->ItemIndex();
            return index < 0 ? L"" : chooser->ListBoxApps->Items()[static_cast<size_t>(index)];
        };
        EXPECT_EQ(shownLine(), L"Zebra.exe");
        EXPECT_TRUE(IsWindowEnabled(chooser->ButtonOK->Handle()));
        FBoxes.Clear();
        row.before();
        if (row.key) {
            Press(row.key);
        } else {
            RECT item;
            SendMessageW(GetFocus(), LB_GETITEMRECT, static_cast<WPARAM>(chooser->ListBoxApps->ItemIndex()),
                reinterpret_cast<LPARAM>(&item));
            const LPARAM at = MAKELPARAM(item.left + 4, (item.top + item.bottom) / 2);
            for (const UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
                PostMessageW(GetFocus(), message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, at);
            PumpFor(30);
        }
        ProcessOpen = OpenProcess;
        EXPECT_EQ(chosen, row.held);
        EXPECT_EQ(Shown(chooser), !row.box.empty());
        ASSERT_EQ(FBoxes.Boxes().size(), row.box.empty() ? 0u : 1u);
        for (const auto& box : FBoxes.Boxes()) {
            EXPECT_EQ(box.caption + L" " + std::to_wstring(box.style) + L" " + box.text, row.box);
            EXPECT_EQ(box.owner, chooser->Handle()) << "no second OK while it is up";
        }
        // A program that ended is gone from the list read again, and nothing is chosen.
        EXPECT_EQ(std::ranges::count(chooser->ListBoxApps->Items(), L"Zebra.exe"), *row.chosen ? 1 : 0);
        EXPECT_EQ(shownLine(), std::wstring(row.chosen));
        EXPECT_EQ(IsWindowEnabled(chooser->ButtonOK->Handle()) != FALSE, *row.chosen != 0);
        chooser->ButtonCancel->Click();
    }
}

// Moved to monitors of other scales: every form takes the rectangle the system suggests and lays
// itself out again, from its description and without drift, every control inside its parent.
TEST_F(SetTimeoutTest, BothFormsFollowTheirMonitorsScale)
{
    const auto inside = [](auto& self, TWinControl* parent) -> void {
        for (TWinControl* c : parent->Controls()) {
            RECT r, area, both;
            GetWindowRect(c->Handle(), &r);
            GetClientRect(parent->Handle(), &area);
            MapWindowPoints(parent->Handle(), HWND_DESKTOP, reinterpret_cast<POINT*>(&area), 2);
            EXPECT_TRUE(UnionRect(&both, &r, &area) && EqualRect(&both, &area));
            self(self, c);
        }
    };
    FormMain->ppHoldCustomClick(nullptr); // a dialog made later
    auto* hold = dynamic_cast<TForm*>(FormMain->FindComponent("FormHoldFor"));
    FormMain->ppHotKeyClick(nullptr);
    auto* hotKey = dynamic_cast<TForm*>(FormMain->FindComponent("FormHotKey"));
    auto* chooser = new TFormChooseApp(FormMain);
    chooser->Load(TFormChooseApp::Description);
    for (TForm* form :
        {static_cast<TForm*>(FormMain), static_cast<TForm*>(FDialog), hold, hotKey, static_cast<TForm*>(chooser)}) {
        form->Show();
        RECT window, client;
        GetClientRect(form->Handle(), &client);
        const SIZE designed{client.right, client.bottom};
        const int panelWidth = form->Controls().front()->Width();
        for (const int dpi : {144, 120}) {
            GetWindowRect(form->Handle(), &window);
            GetClientRect(form->Handle(), &client);
            const RECT suggested{window.left + 20, window.top + 10,
                window.right + 20 + MulDiv(designed.cx, dpi, 96) - client.right,
                window.bottom + 10 + MulDiv(designed.cy, dpi, 96) - client.bottom};
            SendMessageW(form->Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
            GetWindowRect(form->Handle(), &window);
            EXPECT_TRUE(EqualRect(&window, &suggested)) << dpi;
            EXPECT_EQ(form->Font().Height(), MulDiv(-12, dpi, 96)) << dpi;
            EXPECT_EQ(form->Controls().front()->Width(), MulDiv(panelWidth, dpi, 96)) << dpi; // the panel
            inside(inside, form);
        }
    }
    ICONINFO icon{};
    ASSERT_TRUE(GetIconInfo(FormMain->ImageIcon->Picture().Handle(), &icon));
    const UniqueHandle<HGDIOBJ, DeleteGdiObject> colour(icon.hbmColor), mask(icon.hbmMask);
    BITMAP picture{};
    GetObjectW(colour.get(), sizeof picture, &picture);
    EXPECT_EQ(picture.bmWidth, 40); // loaded again at the new size, sharp
}

} // namespace

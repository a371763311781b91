#include "components/editupdown/EditUpDown.h"
#include "components/editupdown/NumberConversion.h"
#include "framework/Application.h"
#include "framework/Form.h"
#include "tests/TestSupport.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstring>

namespace {

// The formatting rectangle last given to an edit, seen in front of the framework.
RECT textRect{};
WNDPROC editProcedure = nullptr;
LRESULT CALLBACK RecordTextRect(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == EM_SETRECTNP) textRect = *reinterpret_cast<const RECT*>(lParam);
    return CallWindowProcW(editProcedure, window, msg, wParam, lParam);
}
void LogTextRect(HWND edit)
{
    editProcedure =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordTextRect)));
}

TEST(NumberConversion, DecimalHexAndTheFallback)
{
    using number::StrToIntDef;
    EXPECT_EQ(StrToIntDef("25", -1), 25);
    EXPECT_EQ(StrToIntDef("   -7", -1), -7);
    EXPECT_EQ(StrToIntDef("+7", -1), 7);
    EXPECT_EQ(StrToIntDef("007", -1), 7);
    EXPECT_EQ(StrToIntDef("2147483647", -1), 2147483647);
    EXPECT_EQ(StrToIntDef("-2147483648", -1), -2147483647 - 1);
    EXPECT_EQ(StrToIntDef("2147483648", -1), -1);
    EXPECT_EQ(StrToIntDef("$1F", -1), 31);
    EXPECT_EQ(StrToIntDef("0x1f", -1), 31);
    EXPECT_EQ(StrToIntDef("XfF", -1), 255);
    EXPECT_EQ(StrToIntDef("$FFFFFFFF", 0), -1);
    EXPECT_EQ(StrToIntDef("$100000000", 3), 3);
    for (const char* bad :
        {"", " ", "-", "+", "1-", "--1", "1 ", "12a", "$", "0x", "$G", "-$1", "1.5", "\x82\x50" /* "１" */})
        EXPECT_EQ(StrToIntDef(bad, 42), 42) << '"' << bad << '"';
}

class EditUpDownTest : public testing::Test {
protected:
    EditUpDownTest() : FForm(new TForm(Application))
    {
        FForm->SetClientSize(200, 100);
        beeps = 0;
        EditUpDownBeep = [](UINT) -> BOOL {
            ++beeps;
            return TRUE;
        };
        untied.clear();
        EditUpDownAssociateContext = [](HWND window, HIMC context) -> HIMC {
            if (!context) untied.push_back(window);
            return nullptr;
        };
    }
    ~EditUpDownTest() override
    {
        Free(FForm);
        EditUpDownBeep = MessageBeep;
        EditUpDownAssociateContext = original;
    }
    // The dialog's edit, loaded as its description does it.
    TEditUpDown* DialogEdit()
    {
        auto* e = new TEditUpDown(FForm);
        e->SetParent(FForm);
        e->SetBounds(96, 32, 57, 21);
        e->SetLoading(true);
        e->SetMax(9999);
        e->SetMin(1);
        e->SetPosition(1);
        e->Loaded();
        return e;
    }
    static int Limit(TEditUpDown* e) { return static_cast<int>(SendMessageW(e->Handle(), EM_GETLIMITTEXT, 0, 0)); }
    void Type(TEditUpDown* e, const std::wstring& keys)
    {
        for (wchar_t k : keys) PostMessageW(e->Handle(), WM_CHAR, k, 1);
        PumpFor(30);
    }
    void Key(TEditUpDown* e, WORD vk)
    {
        PostMessageW(e->Handle(), WM_KEYDOWN, vk, 1);
        PostMessageW(e->Handle(), WM_KEYUP, vk, 0xC0000001);
        PumpFor(30);
    }
    void Clear(TEditUpDown* e)
    {
        SendMessageW(e->Handle(), EM_SETSEL, 0, -1);
        PostMessageW(e->Handle(), WM_KEYDOWN, VK_DELETE, 1);
        PumpFor(30);
    }
    void Paste(TEditUpDown* e, const std::wstring& text) { ASSERT_TRUE(PasteText(e->Handle(), text)); }
    void ClickArrow(TEditUpDown* e, bool up, DWORD heldMs = 0)
    {
        HWND button = e->SpinButton()->Handle();
        RECT r;
        GetClientRect(button, &r);
        const LPARAM at = MAKELPARAM(r.right / 2, up ? r.bottom / 4 : r.bottom * 3 / 4);
        PostMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PumpFor(heldMs);
        PostMessageW(button, WM_LBUTTONUP, 0, at);
        PumpFor(60);
    }

    static inline int beeps = 0;
    // Windows whose input context the edit untied.
    static inline std::vector<HWND> untied;
    const AssociateContextFn original = EditUpDownAssociateContext;
    TForm* FForm;
};

TEST_F(EditUpDownTest, AfterConstruction)
{
    auto* e = new TEditUpDown(FForm);
    EXPECT_EQ(e->Min(), 0);
    EXPECT_EQ(e->Max(), 100);
    EXPECT_EQ(e->Position(), 0);
    EXPECT_EQ(e->Text(), "0");
    EXPECT_FALSE(e->HandleAllocated());
    EXPECT_EQ(e->SpinButton()->Width(), 15);
    EXPECT_EQ(e->SpinButton()->Height(), 17);
    EXPECT_EQ(e->SpinButton()->Parent(), e);
}

TEST_F(EditUpDownTest, LoadingSequenceOfTheDialogsEdit)
{
    auto* e = new TEditUpDown(FForm);
    e->SetParent(FForm);
    e->SetBounds(96, 32, 57, 21);
    e->SetLoading(true);

    e->SetMax(9999);
    EXPECT_EQ(e->SpinButton()->RangeHigh(), 9999);
    EXPECT_EQ(e->Text(), "0");
    EXPECT_TRUE(e->HandleAllocated());
    EXPECT_FALSE(e->SpinButton()->HandleAllocated());
    EXPECT_EQ(Limit(e), 4);
    EXPECT_EQ(untied, std::vector<HWND>{e->Handle()}); // the input method is off in it

    e->SetMin(1);
    EXPECT_EQ(e->SpinButton()->RangeLow(), 1);
    EXPECT_EQ(e->Text(), "0");
    EXPECT_EQ(Limit(e), 4);

    e->SetPosition(1);
    ASSERT_TRUE(e->SpinButton()->HandleAllocated());
    int low = 0, high = 0;
    SendMessageW(
        e->SpinButton()->Handle(), UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low), reinterpret_cast<LPARAM>(&high));
    EXPECT_EQ(low, 1);
    EXPECT_EQ(high, 9999);
    EXPECT_EQ(e->Position(), 1);
    EXPECT_EQ(e->Text(), "1");
    EXPECT_EQ(e->LastValue(), 1);

    // Wine's control has no acceleration table: none is invented for it.
    UDACCEL accel[4]{};
    EXPECT_EQ(SendMessageW(e->SpinButton()->Handle(), UDM_GETACCEL, 4, reinterpret_cast<LPARAM>(accel)), 0);
}

TEST_F(EditUpDownTest, ButtonCreatedAgainGetsTheLastPositionRead)
{
    TEditUpDown* e = DialogEdit();
    e->SetPosition(42);
    DestroyWindow(e->SpinButton()->Handle());
    ASSERT_FALSE(e->SpinButton()->HandleAllocated());
    EXPECT_EQ(e->Position(), 42);
    e->SpinButton()->HandleNeeded();
    EXPECT_EQ(LOWORD(SendMessageW(e->SpinButton()->Handle(), UDM_GETPOS, 0, 0)), 42);
}

TEST_F(EditUpDownTest, PositionWrittenBeforeTheEditHasAWindowPlacesTheButtons)
{
    FForm->Font().SetHeight(12);
    auto* e = new TEditUpDown(FForm);
    e->SetParent(FForm);
    e->SetBounds(96, 32, 57, 21);
    e->SetPosition(5); // creates the button's window, and the edit's for it
    EXPECT_EQ(e->Position(), 5);
    RECT button;
    GetWindowRect(e->SpinButton()->Handle(), &button);
    MapWindowPoints(HWND_DESKTOP, e->Handle(), reinterpret_cast<POINT*>(&button), 2);
    EXPECT_EQ(button.left, 37);
    EXPECT_EQ(button.right, 52);
}

TEST_F(EditUpDownTest, TypingTakesDigitsAndMinusAndDropsTheRestWithABeep)
{
    TEditUpDown* e = DialogEdit();
    std::vector<wchar_t> pressed;
    e->OnKeyPress = [&pressed](TComponent*, wchar_t& k) { pressed.push_back(k); };
    Clear(e);
    Type(e, L"2\uff0d\uff15"); // full width, as a Japanese input method types them
    EXPECT_EQ(e->Text(), "2-5");
    EXPECT_EQ(beeps, 0);
    // Superscript two, soft hyphen, Arabic-Indic three, the minus sign U+2212.
    for (wchar_t k :
        {L'\b', L'a', L' ', L'+', L'\r', L'\x1b', L'\x16', L'あ', L'\u00b2', L'\u00ad', L'\u0663', L'\u2212'}) {
        const int before = beeps;
        pressed.clear();
        Type(e, std::wstring(1, k));
        EXPECT_EQ(beeps, before + 1) << int(k);
        ASSERT_EQ(pressed.size(), 1u);
        EXPECT_EQ(pressed[0], L'\0');
    }
    const int before = beeps;
    Type(e, L"\U0001F600"); // two halves, one character
    EXPECT_EQ(beeps, before + 1);
    EXPECT_EQ(e->Text(), "2-5");
}

TEST_F(EditUpDownTest, TextThatIsNoNumberInRangeKeepsThePosition)
{
    TEditUpDown* e = DialogEdit();
    e->SetPosition(12);
    for (const wchar_t* typed : {L"0", L"", L"-", L"-3", L"00"}) {
        Clear(e);
        Type(e, typed);
        EXPECT_EQ(e->Position(), 12) << typed;
        EXPECT_EQ(e->LastValue(), 12);
    }
    // A minus after a digit: typed in front of the minus, so no step passes a number.
    Clear(e);
    Type(e, L"-");
    SendMessageW(e->Handle(), EM_SETSEL, 0, 0);
    Type(e, L"1");
    EXPECT_EQ(e->Text(), "1-");
    EXPECT_EQ(e->Position(), 12);
    // At most four characters can be typed.
    Clear(e);
    Type(e, L"12345");
    EXPECT_EQ(e->Text(), "1234");
    Clear(e);
    Type(e, L"25");
    EXPECT_EQ(e->Position(), 25);
}

TEST_F(EditUpDownTest, PastedTextIsReadLikeTypedTextAndRefusedWholeWhenTooLong)
{
    TEditUpDown* e = DialogEdit();
    e->SetMin(-100);
    const struct {
        const wchar_t* pasted;
        const char* shown;
        int position;
        int beeps;
    } cases[] = {
        {L"\uff12\uff15", "25", 25, 0}, // full width
        {L"\uff0d\uff13", "-3", -3, 0}, {L" 30 ", "30", 30, 0}, // blanks around a number are dropped
        {L"4\r\n", "4", 4, 0}, {L"12000", "12", 12, 1}, // does not fit: nothing of it is taken
        {L"2\r\n5", "12", 12, 1}, // a second line
        {L"\u00b2\u00b9", "??", 12, 0}, // superscript two and one
        {L"\u00ad5", "?5", 12, 0}, // a soft hyphen before a five
        {L"\u0663", "?", 12, 0}, // Arabic-Indic three
    };
    for (const auto& c : cases) {
        e->SetPosition(12);
        beeps = 0;
        Paste(e, c.pasted);
        EXPECT_EQ(e->Text(), c.shown) << c.shown;
        EXPECT_EQ(e->Position(), c.position) << c.shown;
        EXPECT_EQ(beeps, c.beeps) << c.shown;
    }
    // Shift+Insert pastes the same way.
    e->SetPosition(12);
    beeps = 0;
    Paste(e, L"12000");
    SendMessageW(e->Handle(), EM_SETSEL, 0, -1);
    SetShiftHeld(true);
    Key(e, VK_INSERT);
    SetShiftHeld(false);
    EXPECT_EQ(e->Text(), "12");
    EXPECT_EQ(beeps, 2);
    // Writing the position shows it, whatever stood there.
    Paste(e, L"\u00b2");
    e->SetPosition(2);
    wchar_t shown[8] = {};
    GetWindowTextW(e->Handle(), shown, 8);
    EXPECT_STREQ(shown, L"2");
}

TEST_F(EditUpDownTest, OnChangeSeesThePositionFromBeforeTheNewText)
{
    TEditUpDown* e = DialogEdit();
    e->SetPosition(5);
    std::vector<std::pair<std::string, int>> changes;
    e->OnChange = [&](TComponent*) { changes.emplace_back(e->Text(), e->Position()); };
    SendMessageW(e->Handle(), EM_SETSEL, 0, -1);
    Type(e, L"8");
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0], (std::pair<std::string, int>{"8", 5}));
    EXPECT_EQ(e->Position(), 8);
    Key(e, VK_UP);
    e->SetPosition(3);
    e->SetMax(50);
    EXPECT_EQ(changes.size(), 3u); // arrow and position; the bound left the text as it was
    EXPECT_EQ(changes.back().first, "3");
}

TEST_F(EditUpDownTest, ArrowKeysStepFromTheTextWithinTheBounds)
{
    TEditUpDown* e = DialogEdit();
    e->SetPosition(7);
    Clear(e);
    Key(e, VK_UP);
    EXPECT_EQ(e->Text(), "8"); // empty text: the last accepted value plus one
    Type(e, L"-");
    e->SetPosition(40);
    Clear(e);
    Key(e, VK_UP);
    EXPECT_EQ(e->Text(), "41"); // the position written last, not the text's last number
    e->SetPosition(8);
    EXPECT_EQ(e->Position(), 8);
    Key(e, VK_DOWN);
    Key(e, VK_DOWN);
    EXPECT_EQ(e->Position(), 6);
    Clear(e);
    Type(e, L"0");
    Key(e, VK_DOWN);
    EXPECT_EQ(e->Text(), "0");
    Key(e, VK_UP);
    EXPECT_EQ(e->Position(), 1);
    Key(e, VK_DOWN);
    EXPECT_EQ(e->Position(), 1);
    e->SetPosition(9999);
    Key(e, VK_UP);
    EXPECT_EQ(e->Position(), 9999);
    EXPECT_EQ(e->Text(), "9999");
    EXPECT_EQ(beeps, 0);
    SetShiftHeld(true); // Shift changes nothing
    Key(e, VK_DOWN);
    EXPECT_EQ(e->Position(), 9998);
    Key(e, VK_UP);
    SetShiftHeld(false);
    EXPECT_EQ(e->Position(), 9999);
}

TEST_F(EditUpDownTest, ArrowButtonsStepAndTheEditFollows)
{
    TEditUpDown* e = DialogEdit();
    e->SetPosition(10);
    ClickArrow(e, true);
    EXPECT_EQ(e->Position(), 11);
    EXPECT_EQ(e->Text(), "11");
    EXPECT_EQ(e->LastValue(), 11);
    ClickArrow(e, false);
    ClickArrow(e, false);
    EXPECT_EQ(e->Text(), "9");
    e->SetPosition(1);
    ClickArrow(e, false);
    EXPECT_EQ(e->Position(), 1);
    // Held for a second: the control's own pace, not a step per timer tick (about 50).
    ClickArrow(e, true, 1000);
    EXPECT_GT(e->Position(), 2);
    EXPECT_LT(e->Position(), 30);
}

TEST_F(EditUpDownTest, ReadOnlyStillStepsWithArrowsAndButtons)
{
    TEditUpDown* e = DialogEdit();
    e->SetReadOnly(true);
    e->SetPosition(4);
    Key(e, VK_UP);
    EXPECT_EQ(e->Position(), 5);
    ClickArrow(e, true);
    EXPECT_EQ(e->Text(), "6");
}

TEST_F(EditUpDownTest, LimitFollowsTheLongerBound)
{
    auto* e = new TEditUpDown(FForm);
    e->SetParent(FForm);
    e->SetMin(-1000);
    e->SetMax(5);
    EXPECT_EQ(Limit(e), 5);
    e->SetMin(-5);
    e->SetMax(100);
    EXPECT_EQ(Limit(e), 3);
    e->SetText("123456"); // the program's own text is not limited
    EXPECT_EQ(e->Text(), "123456");
    // Loaded without bounds in its description: the defaults 0 and 100.
    auto* plain = new TEditUpDown(FForm);
    plain->SetParent(FForm);
    plain->SetLoading(true);
    plain->Loaded();
    EXPECT_EQ(Limit(plain), 3);
}

TEST_F(EditUpDownTest, TextIsAcceptedExactlyWithinTheBoundsAndFallsBackToTheLastValue)
{
    auto* e = new TEditUpDown(FForm);
    e->SetParent(FForm);
    e->SetMin(-5);
    e->SetMax(5);
    e->SetPosition(3);
    const struct {
        const wchar_t* typed;
        int position;
    } cases[] = {{L"-6", 3}, {L"-5", -5}, {L"6", -5}, {L"5", 5}, {L"-", 5}, {L"", 5}, {L"0", 0}, {L"4-", 4}};
    for (const auto& c : cases) {
        Clear(e);
        Type(e, c.typed);
        EXPECT_EQ(e->Position(), c.position) << c.typed;
    }
    // A text that is no number steps from the last value, not from 0.
    e->SetPosition(3);
    Clear(e);
    Type(e, L"-");
    Key(e, VK_UP);
    EXPECT_EQ(e->Position(), 4);
    Clear(e);
    Key(e, VK_DOWN);
    EXPECT_EQ(e->Position(), 3);
    // The arrows reach both bounds and stop there.
    e->SetPosition(4);
    Key(e, VK_UP);
    Key(e, VK_UP);
    EXPECT_EQ(e->Position(), 5);
    e->SetPosition(-4);
    Key(e, VK_DOWN);
    Key(e, VK_DOWN);
    EXPECT_EQ(e->Position(), -5);
}

TEST_F(EditUpDownTest, WritingPositionEndsAtTheNearerBound)
{
    TEditUpDown* e = DialogEdit();
    e->SetPosition(20000);
    EXPECT_EQ(e->Position(), 9999);
    EXPECT_EQ(e->Text(), "9999");
    e->SetPosition(-3);
    EXPECT_EQ(e->Position(), 1);
    EXPECT_EQ(e->LastValue(), 1);
    e->SetText("007");
    e->SetPosition(7);
    EXPECT_EQ(e->Text(), "7");
}

TEST_F(EditUpDownTest, WritingABoundReplacesTypedText)
{
    TEditUpDown* e = DialogEdit();
    e->SetPosition(30);
    Clear(e);
    Type(e, L"-");
    e->SetMax(500);
    EXPECT_EQ(e->Text(), "30");
    Clear(e);
    e->SetMin(2);
    EXPECT_EQ(e->Text(), "30");
}

TEST_F(EditUpDownTest, MinAboveMaxAcceptsNothing)
{
    auto* e = new TEditUpDown(FForm);
    e->SetParent(FForm);
    e->SetMin(10);
    e->SetMax(5);
    const int16_t before = e->LastValue();
    Clear(e);
    Type(e, L"7");
    EXPECT_EQ(e->LastValue(), before);
    Key(e, VK_UP);
    Key(e, VK_DOWN);
    EXPECT_EQ(e->Text(), "7");
    e->SetPosition(8); // written by code, it is the fallback all the same
    Clear(e);
    EXPECT_FALSE(e->TakeText());
    EXPECT_EQ(e->Text(), "8");
}

TEST_F(EditUpDownTest, ButtonsSitInsideTheRightEdge)
{
    // A font whose cell is 12 pixels high, as the dialog's is on Windows.
    FForm->Font().SetHeight(12);
    TEditUpDown* e = DialogEdit();
    ASSERT_EQ(e->RequiredHeight(), 21);
    LogTextRect(e->Handle());
    FForm->Show();
    PumpFor(30);
    EXPECT_EQ(e->Height(), 21);
    TUpDownButton* b = e->SpinButton();
    EXPECT_EQ(b->Left(), 37);
    EXPECT_EQ(b->Top(), 0);
    EXPECT_EQ(b->Width(), 15);
    EXPECT_EQ(b->Height(), 16);
    RECT text;
    SendMessageW(e->Handle(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&text));
    RECT client;
    GetClientRect(e->Handle(), &client);
    EXPECT_LE(text.right, client.right - 15);

    e->SetHeight(10);
    PumpFor(30);
    EXPECT_EQ(e->Height(), e->RequiredHeight());
    e->SetWidth(90);
    PumpFor(30);
    SendMessageW(e->Handle(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&text));
    EXPECT_LE(text.right, b->Left());
    EXPECT_EQ(b->Left(), 70);
    EXPECT_EQ(textRect.bottom, e->ClientHeight() + 1); // a pixel below: the platform rounds it to lines
}

TEST_F(EditUpDownTest, ButtonsStayInsideTheEditAtEveryDpi)
{
    for (const int dpi : {120, 144, 192}) {
        auto* form = new TForm(Application);
        form->SetClientSize(225, 113);
        form->Font().SetHeight(12);
        auto* e = new TEditUpDown(form);
        e->SetParent(form);
        e->SetBounds(96, 32, 57, 21);
        e->SetPosition(1);
        LogTextRect(e->Handle());
        form->Show();
        const RECT suggested{0, 0, 400, 300};
        SendMessageW(form->Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
        PumpFor(30);
        const int bw = MulDiv(15, dpi, 96);
        RECT button;
        GetWindowRect(e->SpinButton()->Handle(), &button);
        MapWindowPoints(HWND_DESKTOP, e->Handle(), reinterpret_cast<POINT*>(&button), 2);
        EXPECT_EQ(button.left, e->Width() - bw - 5) << dpi;
        EXPECT_EQ(button.top, 0) << dpi;
        EXPECT_EQ(button.right - button.left, bw) << dpi;
        EXPECT_EQ(button.bottom, e->Height() - 5) << dpi;
        EXPECT_LE(button.right, e->ClientWidth()) << dpi;
        EXPECT_LE(button.bottom, e->ClientHeight()) << dpi;
        RECT text;
        SendMessageW(e->Handle(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&text));
        EXPECT_LE(text.right, button.left) << dpi; // the text keeps clear of the buttons
        EXPECT_EQ(textRect.bottom, e->ClientHeight() + 1) << dpi;
        Free(form);
    }
}

TEST_F(EditUpDownTest, FocusDoesNotSelectTheText)
{
    TEditUpDown* e = DialogEdit();
    e->SetPosition(1234);
    FForm->Show();
    e->SetFocus();
    PumpFor(30);
    DWORD start = 0, end = 0;
    SendMessageW(e->Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, end);
}

// The colours of a window as the screen shows it.
std::vector<COLORREF> Pixels(HWND window)
{
    RECT r;
    GetWindowRect(window, &r);
    const HDC screen = GetDC(nullptr);
    std::vector<COLORREF> pixels;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) pixels.push_back(GetPixel(screen, x, y));
    ReleaseDC(nullptr, screen);
    return pixels;
}

TEST_F(EditUpDownTest, ButtonsStayDrawnWhenTheFocusLeaves)
{
    TEditUpDown* e = DialogEdit();
    auto* other = new TEditUpDown(FForm);
    other->SetParent(FForm);
    other->SetBounds(10, 60, 57, 21);
    FForm->Show();
    e->SetFocus();
    PumpFor(100);
    other->SetFocus();
    PumpFor(100);
    const HWND button = e->SpinButton()->Handle();
    const std::vector<COLORREF> shown = Pixels(button);
    RedrawWindow(button, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    PumpFor(30);
    EXPECT_EQ(shown, Pixels(button));
}

} // namespace

#include "framework/Application.h"
#include "framework/Exception.h"
#include "framework/Form.h"
#include "framework/Handles.h"
#include "framework/Library.h"
#include "framework/Menus.h"
#include "framework/StdCtrls.h"
#include "framework/Text.h"
#include "framework/Thread.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

std::vector<std::string> events;

class TProbe : public TComponent {
public:
    static constexpr const char* ClassName = "TProbe";
    explicit TProbe(TComponent* owner) : TComponent(owner) { }
    ~TProbe() override { events.push_back("destroy " + Name()); }

    TProbe* Other = nullptr;
    void Notification(TComponent* removed) override
    {
        TComponent::Notification(removed);
        if (removed == Other) {
            events.push_back(Name() + " told " + removed->Name());
            Other = nullptr;
        }
    }
    bool SetProperty(std::string_view name, const TValue& value, TReader& reader) override
    {
        if (name == "Other") {
            reader.Reference(value, [this](TComponent* c) {
                events.push_back(Name() + ".Other := " + c->Name());
                Other = static_cast<TProbe*>(c);
                Other->FreeNotification(this);
            });
            return true;
        }
        if (name == "Mark") {
            events.push_back(Name() + ".Mark := " + value.AsString());
            return true;
        }
        return TComponent::SetProperty(name, value, reader);
    }
    void Loaded() override
    {
        TComponent::Loaded();
        events.push_back("loaded " + Name());
    }
};

TProbe* Make(TComponent* owner, const std::string& name)
{
    auto* p = new TProbe(owner);
    p->SetName(name);
    return p;
}

TEST(Components, OwnerDestroysWhatItOwnsInReverseOrder)
{
    events.clear();
    auto* owner = Make(nullptr, "owner");
    Make(owner, "a");
    Make(owner, "b");
    Make(Make(owner, "c"), "c1");
    Free(owner);
    EXPECT_EQ(events, (std::vector<std::string>{"destroy owner", "destroy c", "destroy c1", "destroy b", "destroy a"}));
}

TEST(Components, ReferencesAreClearedWhenTheOtherGoesEitherWay)
{
    events.clear();
    const std::unique_ptr<TProbe> a(Make(nullptr, "a"));
    auto* b = Make(nullptr, "b");
    a->Other = b;
    b->FreeNotification(a.get());
    Free(b);
    EXPECT_EQ(a->Other, nullptr);
    EXPECT_EQ(events, (std::vector<std::string>{"a told b", "destroy b"}));

    auto* c = Make(nullptr, "c");
    auto* d = Make(nullptr, "d");
    c->Other = d;
    d->FreeNotification(c);
    Free(c); // d must not tell the destroyed c later
    Free(d);
    SUCCEED();
}

TEST(Components, ComponentsOfTheSameOwnerHearOfARemoval)
{
    events.clear();
    const std::unique_ptr<TProbe> owner(Make(nullptr, "owner"));
    auto* a = Make(owner.get(), "a");
    auto* b = Make(owner.get(), "b");
    a->Other = b;
    Free(b);
    EXPECT_EQ(a->Other, nullptr);
    EXPECT_EQ(owner->FindComponent("b"), nullptr);
    EXPECT_EQ(owner->FindComponent("a"), a);
}

class TProbeForm : public TForm {
public:
    explicit TProbeForm(TComponent* owner) : TForm(owner) { }
    TProbe* First = nullptr;
    TProbe* Second = nullptr;
    TButton* Button = nullptr;
    TListBox* List = nullptr;
    TCheckBox* Box = nullptr;
    void ButtonClick(TComponent*) { ++clicks; }
    void Create(TComponent*) { events.push_back("created"); }
    int clicks = 0;

protected:
    void DeclareBindings(TBindings& b) override
    {
        b.Field("First", First);
        b.Field("Second", Second);
        b.Field("Button", Button);
        b.Field("List", List);
        b.Field("Box", Box);
        b.Method("ButtonClick", this, &TProbeForm::ButtonClick);
        b.Method("Create", this, &TProbeForm::Create);
    }
};

constexpr char ProbeDescription[] = R"(
object ProbeForm: TProbeForm
  Caption = 'Probe'
  ClientWidth = 200
  ClientHeight = 100
  OnCreate = Create
  object First: TProbe
    Other = Second
    Mark = 'it''s first'
  end
  object Second: TProbe
    Mark = 'second'
  end
  object Button: TButton
    Left = 10
    Top = 10
    Width = 80
    Height = 25
    Caption = 'OK'
    OnClick = ButtonClick
  end
  object List: TListBox
    Left = 100
    Width = 100
    Height = 80
  end
  object Box: TCheckBox
    Left = 100
    Top = 80
    Width = 100
    Height = 17
    Checked = True
  end
end
)";

TEST(FormDescriptions, ReadInOrderWithReferencesResolvedBeforeLoading)
{
    events.clear();
    auto* form = new TProbeForm(Application);
    form->Load(ProbeDescription);
    EXPECT_EQ(events,
        (std::vector<std::string>{"First.Mark := it's first", "Second.Mark := second", "First.Other := Second",
            "loaded First", "loaded Second", "created"}));
    EXPECT_EQ(form->First->Other, form->Second);
    EXPECT_EQ(form->Button->Text(), "OK");
    EXPECT_EQ(form->Button->Parent(), form);
    form->Button->Click();
    EXPECT_EQ(form->clicks, 1);
    Free(form);
}

TEST(FormDescriptions, MistakesAreReportedWithTheirPlace)
{
    try {
        ParseDescription("object A: TA\n  Caption = 'open\nend\n");
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_NE(std::string(e.what()).find("unterminated string"), std::string::npos);
    }
    try {
        ParseDescription("object A: TA\n  Left 5\nend\n");
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_NE(std::string(e.what()).find("line 2"), std::string::npos) << e.what();
    }
    auto* form = new TProbeForm(Application);
    EXPECT_THROW(form->Load("object P: TProbeForm\n Bogus = 1\nend\n"), Exception);
    Free(form);
    form = new TProbeForm(Application);
    EXPECT_THROW(form->Load("object P: TProbeForm\n object First: TButton\n end\nend\n"), Exception);
    Free(form);
}

TEST(ExceptionHandler, ErrorInAnEventHandlerIsShownAndTheProgramRunsOn)
{
    MessageBoxRecorder boxes;
    auto* form = new TProbeForm(Application);
    form->Load(ProbeDescription);
    int calls = 0;
    form->Button->OnClick = [&calls](TComponent*) {
        if (++calls == 1) throw Exception(text::FromUtf8("壊れました"));
    };
    SendMessageW(form->Button->Handle(), BM_CLICK, 0, 0);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, L"壊れました");
    EXPECT_EQ(boxes.Boxes()[0].caption, L"Lullwick");
    EXPECT_EQ(boxes.Boxes()[0].style, static_cast<UINT>(MB_OK | MB_ICONERROR | MB_SETFOREGROUND));
    SendMessageW(form->Button->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(boxes.Boxes().size(), 1u);
    Free(form);
}

// The C++ library's own errors reach the handler with the library's text.
TEST(ExceptionHandler, LibraryErrorsAreShownWithTheirText)
{
    const struct {
        std::function<void()> fail;
        const wchar_t* text;
    } cases[] = {
        {[] { (void)std::string("ab").substr(3); },
            L"basic_string::substr: __pos (which is 3) > this->size() (which is 2)"},
        {[] { (void)std::vector<int>(2).at(7); },
            L"vector::_M_range_check: __n (which is 7) >= this->size() (which is 2)"},
        {[] { (void)std::stoi("x"); }, L"stoi"},
        {[] { (void)std::stoi("99999999999"); }, L"stoi"},
        {[] { std::function<void()>()(); }, L"bad_function_call"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        MessageBoxRecorder boxes;
        auto* form = new TProbeForm(Application);
        form->Load(ProbeDescription);
        form->Button->OnClick = [&c](TComponent*) { c.fail(); };
        SendMessageW(form->Button->Handle(), BM_CLICK, 0, 0);
        ASSERT_EQ(boxes.Boxes().size(), 1u);
        EXPECT_EQ(boxes.Boxes()[0].text, c.text);
        Free(form);
    }
}

TEST(ExceptionHandler, ErrorInOnCreateIsShownAndCreationGoesOn)
{
    MessageBoxRecorder boxes;
    auto* form = new TProbeForm(Application);
    form->OnCreate = [](TComponent*) { throw Exception(text::FromUtf8("作成時エラー")); };
    form->Load("object P: TProbeForm\n object Second: TProbe\n end\nend\n");
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, L"作成時エラー");
    EXPECT_NE(form->Second, nullptr);
    Free(form);
}

// A control of a system class that this system lacks, as a start without the common controls meets it.
class TMissingClassControl : public TWinControl {
public:
    using TWinControl::TWinControl;

protected:
    void CreateParams(TCreateParams& params) override
    {
        TWinControl::CreateParams(params);
        CreateSubClass(params, L"NoSuchSystemClass");
    }
};

TEST(ExceptionHandler, MissingSystemClassIsNamedInTheUsersLanguage)
{
    TMissingClassControl control(nullptr);
    try {
        control.HandleNeeded();
        ADD_FAILURE() << "no error";
    } catch (const Exception& e) {
        EXPECT_EQ(text::ToWide(e.Message()), L"ウィンドウクラス NoSuchSystemClass を使用できません。");
    }
}

TEST(Forms, ClosingAnOrdinaryFormHidesItAndTheCloseHandlerDecides)
{
    auto* form = new TProbeForm(Application);
    form->Load(ProbeDescription);
    form->Show();
    EXPECT_TRUE(IsWindowVisible(form->Handle()));
    TCloseAction seen = TCloseAction::caNone;
    form->OnClose = [&seen](TComponent*, TCloseAction& action) {
        seen = action;
        action = TCloseAction::caNone;
    };
    SendMessageW(form->Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(seen, TCloseAction::caHide);
    EXPECT_TRUE(IsWindowVisible(form->Handle()));
    form->OnClose = nullptr;
    SendMessageW(form->Handle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindowVisible(form->Handle()));
    EXPECT_FALSE(TakeQuitMessage());
    Free(form);
}

TEST(Forms, WrittenTextReplacesShownTextThatConvertsToTheSameBytes)
{
    auto* form = new TProbeForm(Application);
    form->Load(ProbeDescription);
    HWND button = form->Button->Handle();
    // Neither "é" nor "²" has a code page 932 form; both must give way.
    const std::pair<const wchar_t*, const char*> cases[] = {{L"\u00e9", "?"}, {L"\u00b2", "2"}};
    for (const auto& [shown, written] : cases) {
        SetWindowTextW(button, shown);
        form->Button->SetText(written);
        wchar_t now[8] = {};
        GetWindowTextW(button, now, 8);
        EXPECT_EQ(text::ToWide(written), now) << written;
    }
    Free(form);
}

// The lines are the program's own UTF-16, shown whole; only the user's changes raise the events.
TEST(Forms, AListShowsItsLinesWholeAndABoxItsStateAndBothTellTheUsersChanges)
{
    auto* form = new TProbeForm(Application);
    form->Load(ProbeDescription);
    std::string heard;
    form->List->OnClick = [&heard](TComponent*) { heard += "chose "; };
    form->List->OnDblClick = [&heard](TComponent*) { heard += "double "; };
    form->Box->OnClick = [&heard](TComponent*) { heard += "ticked "; };
    const std::vector<std::wstring> lines{L"Naïve 漢字 \U0001F600", L"b", std::wstring(60, L'w')};
    form->List->SetItems(lines); // before the window, which the showing makes
    form->List->SetItemIndex(1);
    form->Show();
    const HWND list = form->List->Handle();
    wchar_t first[32] = {};
    SendMessageW(list, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(first));
    EXPECT_EQ(first, lines[0]);
    EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(form->List->ItemIndex(), 1);
    PostMessageW(list, WM_KEYDOWN, VK_DOWN, 1);
    for (const UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
        PostMessageW(list, message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(4, 4));
    PumpFor(50);
    EXPECT_EQ(form->List->ItemIndex(), 0);
    // The longest line scrolls into view sideways.
    const LRESULT extent = SendMessageW(list, LB_GETHORIZONTALEXTENT, 0, 0);
    EXPECT_GT(extent, form->List->ClientWidth());
    form->Font().SetHeight(-24); // as at a larger scale
    EXPECT_GT(SendMessageW(list, LB_GETHORIZONTALEXTENT, 0, 0), extent);
    form->List->SetItems({L"c", L"d"});
    EXPECT_EQ(form->List->ItemIndex(), -1);

    const HWND box = form->Box->Handle();
    EXPECT_EQ(SendMessageW(box, BM_GETCHECK, 0, 0), BST_CHECKED);
    SendMessageW(box, BM_CLICK, 0, 0);
    EXPECT_FALSE(form->Box->Checked());
    form->Box->SetChecked(true);
    EXPECT_EQ(SendMessageW(box, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(heard, "chose chose double ticked ");
    const int face = COLOR_BTNTEXT; // set apart from the window's, as a contrast theme does
    const COLORREF saved = GetSysColor(face), apart = GetSysColor(COLOR_WINDOWTEXT) ^ 0x123456;
    SetSysColors(1, &face, &apart);
    const HDC dc = CreateCompatibleDC(nullptr); // the box writes in the face's text colour
    SendMessageW(form->Handle(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(box));
    SetSysColors(1, &face, &saved);
    EXPECT_EQ(GetTextColor(dc), apart);
    DeleteDC(dc);
    Free(form);
}

class TCountingThread : public TThread {
public:
    explicit TCountingThread(std::function<void(TThread*)> done, DWORD wait) : FWait(wait)
    {
        OnTerminate = std::move(done);
        Start();
    }

protected:
    void Execute() override { Wait(FWait); }

private:
    DWORD FWait;
};

TEST(Threads, CompletionRunsOnTheUserInterfaceThread)
{
    DWORD completedOn = 0;
    new TCountingThread([&completedOn](TThread*) { completedOn = GetCurrentThreadId(); }, 20);
    ASSERT_TRUE(PumpUntil([&] { return completedOn != 0; }, 5000));
    EXPECT_EQ(completedOn, GetCurrentThreadId());
}

TEST(Threads, CompletionRunsInsideAPopupMenusLoop)
{
    // A menu's own message loop still hands over completions.
    static bool completed = false;
    completed = false;
    new TCountingThread([](TThread*) { completed = true; }, 20);
    TPopupMenu menu(nullptr);
    const TrackMenuFn original = TrackMenu;
    TrackMenu = [](HMENU, int, int, HWND) -> UINT {
        MSG msg;
        const auto end = GetTickCount64() + 5000;
        while (!completed && GetTickCount64() < end)
            if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        return 0;
    };
    menu.Popup(0, 0);
    TrackMenu = original;
    EXPECT_TRUE(completed);
}

TEST(Menus, ItemsShowTheirStateAndASubmenusItemsAreChosenInPlace)
{
    TPopupMenu menu(nullptr);
    TMenuItem checked(nullptr), parent(nullptr), first(nullptr), greyed(nullptr), last(nullptr);
    checked.SetChecked(true);
    greyed.SetEnabled(false);
    for (TMenuItem* item : {&checked, &parent, &last}) menu.Add(item);
    for (TMenuItem* item : {&first, &greyed}) parent.Add(item);
    static std::vector<UINT> states;
    static TMenuItem* chosen;
    const TrackMenuFn original = TrackMenu;
    for (TMenuItem* item : {&checked, &first, &greyed, &last})
        item->OnClick = [](TComponent* c) { chosen = static_cast<TMenuItem*>(c); };
    // The last item's command follows the submenu's: the second of three commands chosen.
    TrackMenu = [](HMENU m, int, int, HWND) -> UINT {
        const HMENU sub = GetSubMenu(m, 1);
        states = {GetMenuState(m, 0, MF_BYPOSITION) & MF_CHECKED, GetMenuState(sub, 1, MF_BYPOSITION) & MF_GRAYED,
            GetMenuState(m, 2, MF_BYPOSITION) & (MF_CHECKED | MF_GRAYED), GetMenuItemID(sub, 1), GetMenuItemID(m, 2)};
        return GetMenuItemID(sub, 0);
    };
    menu.Popup(0, 0);
    TrackMenu = original;
    EXPECT_EQ(states, (std::vector<UINT>{MF_CHECKED, MF_GRAYED, 0, 3, 4}));
    EXPECT_EQ(chosen, &first);
}

TEST(Menus, AnEndAskedForWhileTheMenuIsOpenSurvivesTheMenuLoop)
{
    static bool taken = false;
    TPopupMenu menu(nullptr);
    const TrackMenuFn original = TrackMenu;
    TrackMenu = [](HMENU, int, int, HWND) -> UINT {
        // A close request handled inside the menu's loop, which then takes the quit message.
        Application->Terminate();
        MSG msg;
        taken = PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
        return 0;
    };
    menu.Popup(0, 0);
    EXPECT_TRUE(taken);
    EXPECT_TRUE(TakeQuitMessage());

    // A menu closed without such a request posts nothing.
    TrackMenu = [](HMENU, int, int, HWND) -> UINT { return 0; };
    menu.Popup(0, 0);
    TrackMenu = original;
    EXPECT_FALSE(TakeQuitMessage());
}

TEST(Menus, AMenuOpensToTheSideTheSystemAlignsMenusTo)
{
    static RECT shown{};
    TPopupMenu menu(nullptr);
    TMenuItem item(nullptr);
    item.SetCaption("item");
    menu.Add(&item);
    for (const BOOL rightAligned : {TRUE, FALSE}) { // the test prefix's own setting last
        SystemParametersInfoW(SPI_SETMENUDROPALIGNMENT, rightAligned, nullptr, 0);
        SetTimer(nullptr, 0, 200, [](HWND, UINT, UINT_PTR timer, DWORD) {
            KillTimer(nullptr, timer);
            GetWindowRect(FindWindowW(L"#32768", nullptr), &shown);
            EndMenu();
        });
        menu.Popup(300, 200);
        EXPECT_EQ(rightAligned ? shown.right : shown.left, 300) << rightAligned;
    }
}

TEST(SystemLibraries, ComeFromTheSystemFolderByFullPathWhereTheLoaderLacksTheSearchFlags)
{
    const SearchFlagsFn original = std::exchange(LoaderTakesSearchFlags, [] { return false; });
    wchar_t system[MAX_PATH] = {}, path[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    GetModuleFileNameW(UniqueModule(LoadSystemLibrary(L"wtsapi32.dll")).get(), path, MAX_PATH);
    EXPECT_EQ(lstrcmpiW(path, (std::wstring(system) + L"\\wtsapi32.dll").c_str()), 0) << path;
    // A bare name would take a module of that name from elsewhere: this test program itself.
    EXPECT_FALSE(UniqueModule(LoadSystemLibrary(L"lullwick_tests.exe")));
    LoaderTakesSearchFlags = original;
}

} // namespace

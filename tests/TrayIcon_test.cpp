#include "components/trayicon/ShellNotify.h"
#include "components/trayicon/TrayIcon.h"
#include "framework/Application.h"
#include "framework/Form.h"
#include "framework/ImageList.h"
#include "framework/Menus.h"
#include "framework/StdCtrls.h"
#include "framework/Text.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

struct ShellCall {
    DWORD message;
    NOTIFYICONDATAW data;
    bool accepted;
    bool windowAlive; // the window the shell is to report to
};

// Watches every shell request; passes it to the real shell unless told to refuse.
class ShellWatch {
public:
    ShellWatch()
    {
        active = this;
        ShellNotifyIcon = [](DWORD message, NOTIFYICONDATAW* data) -> BOOL {
            if (active->during) active->during(message);
            const bool refused = active->refuse || (message == NIM_ADD && data->uID == active->refuseAddOf);
            const BOOL accepted =
                !refused && Shell_NotifyIconW(message, data) && !(message == NIM_ADD && active->addReportedRefused);
            active->calls.push_back({message, *data, accepted != FALSE, IsWindow(data->hWnd) != FALSE});
            return accepted;
        };
    }
    ~ShellWatch()
    {
        ShellNotifyIcon = [](DWORD message, NOTIFYICONDATAW* data) { return Shell_NotifyIconW(message, data); };
        active = nullptr;
    }
    int Count(DWORD message, UINT id = 0) const
    {
        return static_cast<int>(std::count_if(calls.begin(), calls.end(),
            [=](const ShellCall& c) { return c.message == message && (id == 0 || c.data.uID == id); }));
    }
    const ShellCall& Last() const { return calls.back(); }

    std::vector<ShellCall> calls;
    bool refuse = false;
    UINT refuseAddOf = 0; // an icon whose adds are refused
    bool addReportedRefused = false; // a busy shell: the add takes, its answer says refused
    std::function<void(DWORD message)> during; // what the shell does while it handles a request
    static inline ShellWatch* active = nullptr;
};

class TrayIconTest : public testing::Test {
protected:
    TrayIconTest() : FForm(new TForm(Application)) { }
    ~TrayIconTest() override
    {
        Free(FForm);
        TrackMenu = FOriginal;
    }

    TTrayIcon* NewIcon(TComponent* owner = nullptr) { return new TTrayIcon(owner ? owner : FForm); }
    TTrayIcon* NewVisibleIcon(TComponent* owner = nullptr)
    {
        TTrayIcon* icon = NewIcon(owner);
        // Wine's tray answers within a time limit; a loaded machine can miss it.
        for (int attempt = 0;; ++attempt) {
            try {
                icon->SetVisible(true);
                return icon;
            } catch (const ENotifyIconError&) {
                if (attempt == 2) throw;
                icon->SetVisible(false);
                Sleep(200);
            }
        }
    }
    // A tray message as the shell sends it under version 4, with the anchor, or,
    // marked OldLayout, as a shell that kept the first protocol does.
    static constexpr UINT OldLayout = 0x10000;
    static constexpr POINT Anchor{321, 123};
    void Post(TTrayIcon* icon, UINT event)
    {
        if (event & OldLayout)
            PostMessageW(CallbackWindow->Handle(), WM_TRAYNOTIFY, static_cast<WPARAM>(icon->TrayId()), event & 0xFFFF);
        else
            PostMessageW(CallbackWindow->Handle(), WM_TRAYNOTIFY, MAKEWPARAM(Anchor.x, Anchor.y),
                MAKELPARAM(event, icon->TrayId()));
    }
    static void OpenMenu(TTrayIcon* icon)
    {
        SendMessageW(CallbackWindow->Handle(), WM_TRAYNOTIFY, 0, MAKELPARAM(WM_CONTEXTMENU, icon->TrayId()));
    }
    static DWORD ClickWait() { return GetDoubleClickTime() + 50; }

    ShellWatch FShell;
    TForm* FForm;
    TrackMenuFn FOriginal = TrackMenu;
};

TEST_F(TrayIconTest, IdentifiersFollowTheLastEntry)
{
    TTrayIcon* a = NewIcon();
    TTrayIcon* b = NewIcon();
    TTrayIcon* c = NewIcon();
    EXPECT_EQ(a->TrayId(), 1);
    EXPECT_EQ(b->TrayId(), 2);
    EXPECT_EQ(c->TrayId(), 3);
    Free(c);
    EXPECT_EQ(NewIcon()->TrayId(), 3);
    Free(b);
    EXPECT_EQ(NewIcon()->TrayId(), 4);
    ASSERT_EQ(TrayIconList.size(), 3u);
    EXPECT_EQ(TrayIconList[0].id, "1");
    EXPECT_EQ(TrayIconList[2].id, "4");
}

TEST_F(TrayIconTest, AHundredIconsAtMost)
{
    std::vector<TTrayIcon*> icons;
    for (int i = 0; i < MaxTrayIcons; ++i) icons.push_back(NewIcon());
    const size_t owned = FForm->Components().size();
    try {
        NewIcon();
        FAIL() << "the 101st icon was made";
    } catch (const ENotifyIconError& e) {
        EXPECT_EQ(text::ToWide(e.Message()), L"タスクトレイにアイコンを登録できません。");
    }
    EXPECT_EQ(TrayIconList.size(), 100u);
    EXPECT_EQ(FForm->Components().size(), owned);
    Free(icons[40]);
    EXPECT_EQ(NewIcon()->TrayId(), 101);
    EXPECT_TRUE(FShell.calls.empty());
}

TEST_F(TrayIconTest, TipIsCutAt127CharactersAndAnUnchangedTipSendsNothing)
{
    TTrayIcon* icon = NewVisibleIcon();
    ASSERT_TRUE(icon->Registered());
    const std::string long130(130, 'x');
    icon->SetTipHelp(long130);
    EXPECT_EQ(icon->TipHelp(), std::string(127, 'x'));
    EXPECT_EQ(FShell.Count(NIM_MODIFY), 1);
    EXPECT_EQ(FShell.Last().data.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP));
    icon->SetTipHelp(long130);
    EXPECT_EQ(FShell.Count(NIM_MODIFY), 1);
    // Characters count, not bytes, and a double-byte character stays whole.
    icon->SetTipHelp(std::string(125, 'y') + text::FromUtf8("あいう"));
    EXPECT_EQ(text::ToWide(icon->TipHelp()), std::wstring(125, L'y') + L"あい");
    EXPECT_EQ(std::wstring(FShell.Last().data.szTip), std::wstring(125, L'y') + L"あい");
    icon->SetTipHelp(std::string(126, 'y') + text::FromUtf8("あ").substr(0, 1));
    EXPECT_EQ(icon->TipHelp(), std::string(126, 'y'));
}

TEST_F(TrayIconTest, EmptyTipSendsAModifyWithoutTheTipFlag)
{
    TTrayIcon* icon = NewVisibleIcon();
    icon->SetTipHelp("");
    ASSERT_EQ(FShell.Last().message, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_EQ(FShell.Last().data.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON));
    EXPECT_EQ(FShell.Last().data.szTip[0], L'\0');
}

TEST_F(TrayIconTest, ShellRequestsCarryTheRecordOfThisIcon)
{
    static std::vector<std::pair<HWND, UINT>> allowed;
    const AllowMessageFn original = AllowWindowMessage;
    AllowWindowMessage = [](HWND window, UINT message) -> BOOL { return allowed.emplace_back(window, message), TRUE; };
    TTrayIcon* icon = NewVisibleIcon();
    AllowWindowMessage = original;
    // Elevated, the program hears of a new taskbar only when it lets the announcement through.
    EXPECT_EQ(allowed, (std::vector{std::pair{Application->Handle(), RegisterWindowMessageW(L"TaskbarCreated")}}));
    ASSERT_EQ(FShell.calls.size(), 2u);
    EXPECT_EQ(FShell.Last().message, static_cast<DWORD>(NIM_SETVERSION));
    EXPECT_EQ(FShell.Last().data.uVersion, static_cast<UINT>(NOTIFYICON_VERSION_4));
    const NOTIFYICONDATAW& d = FShell.calls[0].data;
    EXPECT_EQ(FShell.calls[0].message, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(d.cbSize, static_cast<DWORD>(sizeof(NOTIFYICONDATAW)));
    EXPECT_EQ(d.uID, static_cast<UINT>(icon->TrayId()));
    EXPECT_EQ(d.uCallbackMessage, WM_TRAYNOTIFY);
    EXPECT_EQ(d.hWnd, CallbackWindow->Handle());
    EXPECT_EQ(std::wstring(d.szTip), L"TipHelp");
    // Refused, as a shell that shows none does: no error, and no balloon on the test display.
    FShell.refuse = true;
    icon->ShowBalloon("Lullwick", text::FromUtf8("元に戻しました。"), TBalloonIcon::Warning,
        TBalloonFlags::RespectQuietTime | TBalloonFlags::NoSound | TBalloonFlags::Realtime);
    FShell.refuse = false;
    const NOTIFYICONDATAW& b = FShell.Last().data;
    EXPECT_EQ(FShell.Last().message, static_cast<DWORD>(NIM_MODIFY));
    // The icon's tip comes along, with the flag that keeps it shown.
    EXPECT_EQ(std::pair(b.uFlags, b.dwInfoFlags),
        (std::pair<UINT, DWORD>(
            NIF_INFO | NIF_TIP | NIF_SHOWTIP | NIF_REALTIME, NIIF_WARNING | NIIF_RESPECT_QUIET_TIME | NIIF_NOSOUND)));
    EXPECT_EQ(std::wstring(b.szInfoTitle) + L"|" + b.szInfo + L"|" + b.szTip, L"Lullwick|元に戻しました。|TipHelp");
    Free(icon);
    EXPECT_EQ(FShell.Last().message, static_cast<DWORD>(NIM_DELETE));
}

TEST_F(TrayIconTest, VisibleFallsBackFromOwnIconToFormIconToApplicationIcon)
{
    TIcon own;
    own.LoadFromResource(GetModuleHandleW(nullptr), L"MAINICON", 16);
    TTrayIcon* withOwn = NewIcon();
    withOwn->SetIcon(&own);
    withOwn->SetVisible(true);
    EXPECT_EQ(FShell.Last().data.hIcon, withOwn->Icon().Handle());

    FForm->Icon().LoadFromResource(GetModuleHandleW(nullptr), L"MAINICON", 32);
    NewVisibleIcon();
    EXPECT_EQ(FShell.Last().data.hIcon, FForm->Icon().Handle());
    FForm->Icon().Clear();

    NewVisibleIcon();
    EXPECT_EQ(FShell.Last().data.hIcon, Application->Icon().Handle());

    Application->Icon().Clear();
    const size_t calls = FShell.calls.size();
    TTrayIcon* none = NewIcon();
    none->SetVisible(true);
    EXPECT_FALSE(none->Visible());
    EXPECT_EQ(FShell.calls.size(), calls);
    Application->Icon().LoadFromResource(GetModuleHandleW(nullptr), L"MAINICON", GetSystemMetrics(SM_CXICON));
}

TEST_F(TrayIconTest, EmptyingTheOwnIconShowsTheFallback)
{
    TTrayIcon* icon = NewIcon();
    TIcon own;
    own.LoadFromResource(GetModuleHandleW(nullptr), L"MAINICON", 16);
    icon->SetIcon(&own);
    icon->SetVisible(true);
    icon->SetIcon(nullptr);
    EXPECT_TRUE(icon->Icon().Empty());
    ASSERT_EQ(FShell.Last().message, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_EQ(FShell.Last().data.hIcon, Application->Icon().Handle());
}

TEST_F(TrayIconTest, RefusedAddRaisesAndLeavesVisibleButUnregistered)
{
    TTrayIcon* icon = NewIcon();
    FShell.refuse = true;
    EXPECT_THROW(icon->SetVisible(true), ENotifyIconError);
    EXPECT_TRUE(icon->Visible());
    EXPECT_FALSE(icon->Registered());
    const size_t calls = FShell.calls.size();
    icon->SetVisible(true);
    EXPECT_EQ(FShell.calls.size(), calls);
    FShell.refuse = false;
    icon->SetVisible(false);
    EXPECT_EQ(FShell.calls.size(), calls); // nothing to delete
    icon->SetVisible(true);
    EXPECT_TRUE(icon->Registered());
}

TEST_F(TrayIconTest, AddReportedRefusedThatTookIsRemovedAtTheEnd)
{
    FShell.addReportedRefused = true;
    TTrayIcon* icon = NewVisibleIcon();
    FShell.addReportedRefused = false;
    EXPECT_EQ(FShell.Count(NIM_SETVERSION), 1);
    Free(icon);
    EXPECT_EQ(FShell.Count(NIM_DELETE), 1);
}

TEST_F(TrayIconTest, RefusedModifyRaisesButKeepsTheNewTip)
{
    TTrayIcon* icon = NewVisibleIcon();
    FShell.refuse = true;
    EXPECT_THROW(icon->SetTipHelp("new"), ENotifyIconError);
    EXPECT_EQ(icon->TipHelp(), "new");
    FShell.refuse = false;
}

TEST_F(TrayIconTest, IconLeavesTheTrayWhileItsWindowStillExists)
{
    const UINT id = static_cast<UINT>(NewVisibleIcon()->TrayId());
    Free(std::exchange(FForm, new TForm(Application)));
    ASSERT_EQ(FShell.Last().message, static_cast<DWORD>(NIM_DELETE));
    EXPECT_EQ(FShell.Last().data.uID, id);
    EXPECT_TRUE(FShell.Last().windowAlive);
}

TEST_F(TrayIconTest, TaskbarCreatedWhileTheRemovalIsSentLeavesTheIconOut)
{
    // Wine's tray announces itself anew when its last icon goes.
    const UINT id = static_cast<UINT>(NewVisibleIcon()->TrayId());
    MessageBoxRecorder boxes;
    FShell.during = [announced = false](DWORD message) mutable {
        if (message == NIM_DELETE && !std::exchange(announced, true))
            SendMessageW(Application->Handle(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    };
    Free(std::exchange(FForm, new TForm(Application)));
    FShell.during = nullptr;
    EXPECT_EQ(FShell.Count(NIM_ADD, id), 1);
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(TrayIconTest, IconsOfOtherOwnersOutliveTheFirstOwner)
{
    // A control on a form, which goes with its form's window.
    auto* first = new TForm(Application);
    auto* control = new TPanel(first);
    control->SetParent(first);
    NewVisibleIcon(control);
    TTrayIcon* kept = NewVisibleIcon();
    int moves = 0;
    kept->OnMouseMove = [&moves](TComponent*, TShiftState, int, int) { ++moves; };
    const UINT id = static_cast<UINT>(kept->TrayId());
    const HWND reportsTo = FShell.Last().data.hWnd;
    // Message-only: no window of any control takes it along, and no broadcast reaches it.
    EXPECT_NE(GetAncestor(reportsTo, GA_PARENT), GetDesktopWindow());
    Free(first);
    ASSERT_TRUE(kept->Registered());
    EXPECT_EQ(FShell.Count(NIM_DELETE, id), 0);
    ASSERT_NE(CallbackWindow, nullptr);
    PostMessageW(reportsTo, WM_TRAYNOTIFY, id, WM_MOUSEMOVE); // as the shell does
    PumpFor(50);
    EXPECT_EQ(moves, 1);
    kept->SetVisible(false);
    kept->SetVisible(true);
    EXPECT_TRUE(kept->Registered());
    EXPECT_EQ(FShell.Last().data.hWnd, CallbackWindow->Handle());
}

TEST_F(TrayIconTest, DestroyedMenuIsForgottenByBothReferences)
{
    auto* menu = new TPopupMenu(nullptr);
    auto* list = new TImageList(nullptr);
    TTrayIcon* icon = NewIcon();
    icon->SetLBPopupMenu(menu);
    icon->SetRBPopupMenu(menu);
    icon->SetAnimateIcons(list);
    Free(menu);
    EXPECT_EQ(icon->LBPopupMenu(), nullptr);
    EXPECT_EQ(icon->RBPopupMenu(), nullptr);
    EXPECT_EQ(icon->AnimateIcons(), list);
    Free(list);
    EXPECT_EQ(icon->AnimateIcons(), nullptr);
}

TEST_F(TrayIconTest, AnimateRateIsAtLeast100)
{
    TTrayIcon* icon = NewIcon();
    EXPECT_EQ(icon->AnimateRate(), 500);
    icon->SetAnimateRate(50);
    EXPECT_EQ(icon->AnimateRate(), 100);
    icon->SetAnimateRate(100);
    EXPECT_EQ(icon->AnimateRate(), 100);
    icon->SetAnimateRate(250);
    EXPECT_EQ(icon->AnimateRate(), 250);
}

TEST_F(TrayIconTest, DesignModeNeverTalksToTheShell)
{
    auto* designer = new TForm(Application);
    designer->SetDesigning(true);
    auto* icon = new TTrayIcon(designer);
    icon->SetVisible(true);
    icon->SetTipHelp("x");
    icon->ShowBalloon("x", "y", TBalloonIcon::Info, TBalloonFlags::None);
    EXPECT_TRUE(icon->Visible());
    EXPECT_FALSE(icon->Registered());
    Free(designer);
    EXPECT_TRUE(FShell.calls.empty());
}

class TIconForm : public TForm {
public:
    explicit TIconForm(TComponent* owner) : TForm(owner) { }
    TTrayIcon* Tray = nullptr;
    TPopupMenu* Menu = nullptr;

protected:
    void DeclareBindings(TBindings& b) override
    {
        b.Field("Tray", Tray);
        b.Field("Menu", Menu);
    }
};

TEST_F(TrayIconTest, ReadFromADescriptionTheTipStartsEmpty)
{
    auto* form = new TIconForm(Application);
    form->Load("object F: TIconForm\n object Tray: TTrayIcon\n  RBPopupMenu = Menu\n  Visible = True\n end\n"
               " object Menu: TPopupMenu\n end\nend\n");
    EXPECT_EQ(form->Tray->TipHelp(), "");
    EXPECT_EQ(form->Tray->RBPopupMenu(), form->Menu);
    ASSERT_EQ(FShell.Count(NIM_ADD), 1); // added once, at the end of loading
    EXPECT_EQ(FShell.Last().data.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON));
    Free(form);

    form = new TIconForm(Application);
    form->Load("object F: TIconForm\n object Tray: TTrayIcon\n  TipHelp = 'TipHelp'\n end\nend\n");
    EXPECT_EQ(form->Tray->TipHelp(), "TipHelp");
    Free(form);
    EXPECT_EQ(NewIcon()->TipHelp(), "TipHelp"); // made by code
}

TEST_F(TrayIconTest, RefusedAddWhileLoadingCanBeRetried)
{
    auto* form = new TIconForm(Application);
    FShell.refuse = true;
    EXPECT_THROW(
        form->Load("object F: TIconForm\n object Tray: TTrayIcon\n  Visible = True\n end\nend\n"), ENotifyIconError);
    FShell.refuse = false;
    form->Tray->SetVisible(false);
    form->Tray->SetVisible(true);
    EXPECT_EQ(FShell.calls.end()[-2].message, static_cast<DWORD>(NIM_ADD));
    EXPECT_TRUE(form->Tray->Registered());
    Free(form);
}

TEST_F(TrayIconTest, TaskbarCreatedAddsVisibleIconsAgain)
{
    // The shell still holds the icons here, so each add is taken only after a delete.
    const std::vector<TTrayIcon*> icons{NewVisibleIcon(), NewVisibleIcon(), NewVisibleIcon()};
    NewIcon(); // hidden: stays out
    TTrayIcon* refused = icons[1];
    FShell.refuseAddOf = static_cast<UINT>(refused->TrayId());
    FShell.calls.clear();
    MessageBoxRecorder boxes;
    SendMessageW(Application->Handle(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_EQ(FShell.Count(NIM_ADD), 3);
    EXPECT_EQ(FShell.Count(NIM_SETVERSION), 2);
    for (TTrayIcon* icon : icons) {
        const bool taken = std::any_of(FShell.calls.begin(), FShell.calls.end(), [icon](const ShellCall& c) {
            return c.message == NIM_ADD && c.data.uID == static_cast<UINT>(icon->TrayId()) && c.accepted;
        });
        EXPECT_EQ(taken, icon != refused) << icon->TrayId();
        EXPECT_EQ(icon->Registered(), icon != refused) << icon->TrayId();
    }
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, L"タスクトレイにアイコンを登録できません。");
}

TEST_F(TrayIconTest, IconOfADescriptionHasTheTraysSizeAlsoForANewTaskbar)
{
    static UINT dpi = 0;
    dpi = 144;
    const TrayDpiFn original = TrayDpi;
    TrayDpi = [] { return dpi; };
    // The colour pixels of an icon, which tell its size and its picture.
    const auto image = [](HICON icon) {
        ICONINFO info{};
        GetIconInfo(icon, &info);
        std::vector<BYTE> bits(64 * 64 * 4);
        bits.resize(static_cast<size_t>(GetBitmapBits(info.hbmColor, static_cast<LONG>(bits.size()), bits.data())));
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        return bits;
    };
    const auto shown = [&] { return image(FShell.Last().data.hIcon); };
    const auto picture = [&](const wchar_t* name, int size) {
        const UniqueIcon icon(
            static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), name, IMAGE_ICON, size, size, 0)));
        return image(icon.get());
    };
    auto* form = new TIconForm(Application);
    form->Load("object F: TIconForm\n object Tray: TTrayIcon\n  Icon = MAINICON\n  Visible = True\n end\nend\n");
    for (const wchar_t* name : {L"MAINICON", L"OFFICON"}) {
        const size_t calls = FShell.calls.size();
        dpi = 144;
        form->Tray->SetIconResource(name); // another picture comes in place, the same one asks nothing
        EXPECT_EQ(FShell.calls.size() - calls, name == std::wstring(L"MAINICON") ? 0u : 1u);
        EXPECT_EQ(shown(), picture(name, 24));
        // Each size is one of the icon file's own images: Windows would scale the nearest one, blurred.
        const auto* group =
            static_cast<const BYTE*>(LockResource(LoadResource(nullptr, FindResourceW(nullptr, name, RT_GROUP_ICON))));
        std::vector<int> held; // the widths in its 14-byte entries
        for (int i = 0; i < group[4]; ++i) held.push_back(group[6 + 14 * i]);
        // Windows announces a new taskbar when the scale changes.
        for (const auto& [ppi, size] : {std::pair{120u, 20}, {168u, 28}, {216u, 36}, {336u, 56}}) {
            dpi = ppi;
            SendMessageW(Application->Handle(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
            EXPECT_EQ(shown(), picture(name, size)) << ppi;
            EXPECT_EQ(std::count(held.begin(), held.end(), size), 1) << size;
        }
    }
    // Explorer shows the program with its first icon group.
    static std::wstring first;
    EnumResourceNamesW(
        nullptr, RT_GROUP_ICON, [](HMODULE, LPCWSTR, LPWSTR name, LONG_PTR) { return first = name, FALSE; }, 0);
    EXPECT_EQ(first, L"MAINICON");
    TrayDpi = original;
    Free(form);
}

TEST_F(TrayIconTest, ClickWaitIsTimedFromTheReleaseNotFromTheThreadStart)
{
    // A thread may start long after the release; the time already gone counts,
    // and a wait already over ends at once.
    const LONGLONG wait = ClickWait() * 1000LL;
    for (const LONGLONG gone : {300'000LL, wait + 1'000'000LL}) {
        const LONGLONG constructed = TSingleClick::Clock();
        LONGLONG doneAt = 0;
        new TSingleClick([&doneAt](TThread*) { doneAt = TSingleClick::Clock(); }, constructed - gone);
        ASSERT_TRUE(PumpUntil([&doneAt] { return doneAt != 0; }, 5000));
        EXPECT_GE(doneAt - (constructed - gone), wait) << gone;
        EXPECT_LT(doneAt - constructed, std::max(wait - gone, 0LL) + 200'000) << gone;
    }
}

// ---- tray messages

struct Seen {
    int clicks = 0, doubles = 0, downs = 0, ups = 0;
    TMouseButton button{};
    TShiftState shift = 99;
    ULONGLONG clickAt = 0;
};

class TrayMessages : public TrayIconTest {
protected:
    TrayMessages()
    {
        FIcon = NewVisibleIcon();
        FIcon->OnClick = [this](TComponent* sender) {
            EXPECT_EQ(sender, FIcon);
            ++FSeen.clicks;
            FSeen.clickAt = GetTickCount64();
        };
        FIcon->OnDblClick = [this](TComponent*) { ++FSeen.doubles; };
    }
    void Pump(DWORD ms) { PumpFor(ms); }
    // A released click whose wait is still running.
    void StartClick()
    {
        Post(FIcon, WM_LBUTTONDOWN);
        Post(FIcon, WM_LBUTTONUP);
        Pump(50);
        ASSERT_TRUE(FIcon->ClickPending);
    }

    TTrayIcon* FIcon;
    Seen FSeen;
};

TEST_F(TrayMessages, SingleClickRaisesOnClickAfterTheDoubleClickTime)
{
    Post(FIcon, WM_LBUTTONDOWN);
    Post(FIcon, WM_LBUTTONUP);
    const ULONGLONG released = GetTickCount64();
    ASSERT_TRUE(PumpUntil([this] { return FSeen.clicks > 0; }, 5000));
    const ULONGLONG waited = FSeen.clickAt - released;
    EXPECT_GE(waited + 20, ClickWait());
    EXPECT_LE(waited, ClickWait() + 400);
    Pump(ClickWait());
    EXPECT_EQ(FSeen.clicks, 1);
    EXPECT_EQ(FSeen.doubles, 0);
}

TEST_F(TrayMessages, ClickPatterns)
{
    static std::vector<HWND> fronts;
    const ForegroundFn original = BringToForeground;
    BringToForeground = [](HWND window) -> BOOL { return fronts.push_back(window), TRUE; };
    static int menus = 0;
    static bool choose = false;
    static POINT at{};
    TrackMenu = [](HMENU m, int x, int y, HWND) -> UINT {
        ++menus;
        at = {x, y};
        return choose ? GetMenuItemID(m, 0) : 0;
    };
    auto* menu = new TPopupMenu(FForm);
    menu->Add(new TMenuItem(FForm));
    FIcon->SetRBPopupMenu(menu);
    SetCursorPos(40, 50);
    POINT cursor;
    GetCursorPos(&cursor);
    bool againInside = false;
    FIcon->OnClick = [this, &againInside](TComponent*) {
        ++FSeen.clicks;
        if (!std::exchange(againInside, false)) return;
        // A click while OnClick holds a modal window open.
        Post(FIcon, WM_LBUTTONDOWN);
        Post(FIcon, WM_LBUTTONUP);
        Pump(ClickWait() + 300);
    };
    const DWORD w = ClickWait();
    // Left and right button, the shell's selection after a left release, the
    // menu request, and Enter on the icon chosen with the keyboard.
    constexpr UINT D = WM_LBUTTONDOWN, U = WM_LBUTTONUP, B = WM_LBUTTONDBLCLK, S = NIN_SELECT;
    constexpr UINT RD = WM_RBUTTONDOWN, RU = WM_RBUTTONUP, M = WM_CONTEXTMENU, K = NIN_KEYSELECT, O = OldLayout;
    const struct {
        const char* name;
        std::vector<UINT> first;
        DWORD gap;
        std::vector<UINT> second;
        bool againInsideOnClick, chooseAnItem;
        int clicksAfterTheGap, clicksOnceTheFirstWaitIsOver, clicks, doubles, fronts, menusAtAnchor, menusAtPointer,
            focusReturns;
    } rows[] = {
        {"click", {D, U, S}, 0, {}, false, false, 0, 1, 1, 0, 1, 0, 0, 0},
        {"double click", {D, U, S, B, U, S}, 0, {}, false, false, 0, 0, 0, 1, 1, 0, 0, 0},
        {"click right after a double click", {D, U, B, U}, 300, {D, U}, false, false, 0, 0, 1, 1, 2, 0, 0, 0},
        {"two double clicks", {D, U, B, U}, 300, {D, U, B, U}, false, false, 0, 0, 0, 2, 2, 0, 0, 0},
        {"second press held past the wait", {D, U, B}, w + 200, {U}, false, false, 1, 1, 2, 1, 2, 0, 0, 0},
        {"click during a modal OnClick", {D, U}, 0, {}, true, false, 0, 2, 2, 0, 2, 0, 0, 0},
        {"right press held", {RD}, 300, {}, false, false, 0, 0, 0, 0, 0, 0, 0, 0},
        {"right click, dismissed", {RD, RU, M}, 0, {}, false, false, 0, 0, 0, 0, 1, 1, 0, 0},
        {"menu key, dismissed", {M}, 0, {}, false, false, 0, 0, 0, 0, 1, 1, 0, 1},
        {"menu key, item chosen", {M}, 0, {}, false, true, 0, 0, 0, 0, 1, 1, 0, 0},
        {"right click, first protocol", {O | RD}, 300, {O | RU}, false, false, 0, 0, 0, 0, 1, 0, 1, 0},
        {"Enter reported twice", {K, K}, 100, {}, false, false, 1, 1, 1, 0, 1, 0, 0, 0},
        {"Enter, and Enter again", {K}, w + 200, {K}, false, false, 1, 2, 2, 0, 2, 0, 0, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        FSeen = {};
        fronts.clear();
        menus = 0;
        at = {};
        choose = row.chooseAnItem;
        FShell.calls.clear();
        againInside = row.againInsideOnClick;
        const ULONGLONG firstWaitOver = GetTickCount64() + w + 150;
        for (const UINT m : row.first) Post(FIcon, m);
        Pump(row.gap);
        EXPECT_EQ(FSeen.clicks, row.clicksAfterTheGap);
        EXPECT_TRUE(row.second.empty() || menus == 0) << "no row in two parts opens a menu in the first";
        for (const UINT m : row.second) Post(FIcon, m);
        Pump(static_cast<DWORD>(std::max(firstWaitOver, GetTickCount64() + 20) - GetTickCount64()));
        EXPECT_EQ(FSeen.clicks, row.clicksOnceTheFirstWaitIsOver);
        Pump(w + 300);
        EXPECT_EQ(FSeen.clicks, row.clicks);
        EXPECT_EQ(FSeen.doubles, row.doubles);
        EXPECT_FALSE(FIcon->ClickPending);
        // Brought to the front at the click, while the shell allows it.
        EXPECT_EQ(fronts, std::vector<HWND>(row.fronts, FForm->Handle()));
        EXPECT_EQ(menus, row.menusAtAnchor + row.menusAtPointer);
        const POINT where = row.menusAtAnchor ? Anchor : row.menusAtPointer ? cursor : POINT{};
        EXPECT_EQ(std::pair(at.x, at.y), std::pair(where.x, where.y));
        // A keyboard user dismissing the menu gets the notification area back.
        EXPECT_EQ(FShell.Count(NIM_SETFOCUS), row.focusReturns);
    }
    BringToForeground = original;
}

TEST_F(TrayMessages, PendingClickStaysWithItsIcon)
{
    TTrayIcon* other = NewIcon();
    ASSERT_NO_FATAL_FAILURE(StartClick());
    Post(other, WM_MOUSEMOVE);
    EXPECT_TRUE(PumpUntil([this] { return FSeen.clicks == 1; }, ClickWait() + 1000));
    EXPECT_FALSE(FIcon->ClickPending);
}

TEST_F(TrayMessages, RefusedThreadStartIsReportedAndTheNextClickCounts)
{
    MessageBoxRecorder boxes;
    const size_t threads = Application->ThreadCount();
    const CreateThreadFn original = CreatePlatformThread;
    CreatePlatformThread = [](LPTHREAD_START_ROUTINE, void*) -> HANDLE { return nullptr; };
    SendMessageW(CallbackWindow->Handle(), WM_TRAYNOTIFY, static_cast<WPARAM>(FIcon->TrayId()), WM_LBUTTONUP);
    CreatePlatformThread = original;
    EXPECT_EQ(Application->ThreadCount(), threads);
    EXPECT_FALSE(FIcon->ClickPending);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, L"スレッドを開始できません。");
    Post(FIcon, WM_LBUTTONUP);
    EXPECT_TRUE(PumpUntil([this] { return FSeen.clicks == 1; }, ClickWait() + 1000));
}

TEST_F(TrayMessages, DisablingWhileAClickIsPendingCancelsIt)
{
    ASSERT_NO_FATAL_FAILURE(StartClick());
    FIcon->SetEnabled(false);
    Pump(ClickWait() + 300);
    EXPECT_EQ(FSeen.clicks, 0);
    // A disabled icon raises nothing, but its messages still set the current icon.
    CallbackWindow->CurrentIcon = nullptr;
    Post(FIcon, WM_LBUTTONDBLCLK);
    Pump(50);
    EXPECT_EQ(FSeen.doubles, 0);
    EXPECT_EQ(CallbackWindow->CurrentIcon, FIcon);
}

TEST_F(TrayMessages, WithOnMouseUpSetThereIsNeverAClick)
{
    FIcon->OnMouseDown = [this](TComponent*, TMouseButton b, TShiftState s, int, int) {
        ++FSeen.downs;
        FSeen.button = b;
        FSeen.shift = s;
    };
    FIcon->OnMouseUp = [this](TComponent*, TMouseButton, TShiftState, int, int) { ++FSeen.ups; };
    for (UINT m : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}) Post(FIcon, m);
    Pump(ClickWait() + 300);
    EXPECT_EQ(FSeen.downs, 1);
    EXPECT_EQ(FSeen.button, TMouseButton::mbLeft);
    EXPECT_EQ(FSeen.shift, ssLeft);
    EXPECT_EQ(FSeen.ups, 2);
    EXPECT_EQ(FSeen.doubles, 1);
    EXPECT_EQ(FSeen.clicks, 0);
}

TEST_F(TrayMessages, MenuRequestOpensTheMenuAndTheRightPressRaisesNothing)
{
    static int tracked = 0;
    tracked = 0;
    auto* menu = new TPopupMenu(FForm);
    int popups = 0;
    menu->OnPopup = [&popups](TComponent*) { ++popups; };
    FIcon->SetRBPopupMenu(menu);
    FIcon->OnMouseDown = [this](TComponent*, TMouseButton b, TShiftState s, int, int) {
        ++FSeen.downs;
        FSeen.button = b;
        FSeen.shift = s;
    };
    TrackMenu = [](HMENU, int, int, HWND) -> UINT { return ++tracked, 0; };
    Post(FIcon, WM_RBUTTONDOWN);
    Pump(50);
    OpenMenu(FIcon);
    // After the menu its window gets a message, or the next menu may close at once.
    MSG m;
    bool nudged = false;
    while (PeekMessageW(&m, FForm->Handle(), 0, 0, PM_REMOVE)) nudged |= m.message == WM_NULL;
    EXPECT_TRUE(nudged);
    EXPECT_EQ(tracked, 1);
    EXPECT_EQ(popups, 1);
    EXPECT_EQ(FSeen.downs, 0);

    FIcon->SetAutoPopup(false);
    Post(FIcon, WM_RBUTTONDOWN);
    Post(FIcon, WM_CONTEXTMENU);
    Pump(100);
    EXPECT_EQ(tracked, 1);
    EXPECT_EQ(FSeen.downs, 1);
    EXPECT_EQ(FSeen.button, TMouseButton::mbRight);
    EXPECT_EQ(FSeen.shift, ssRight);
}

TEST_F(TrayMessages, BeforeAMenuOfAFormWaitingMessagesAreHandled)
{
    static bool markerHandled = false;
    static bool handledBeforeMenu = false;
    markerHandled = false;
    handledBeforeMenu = false;
    constexpr UINT marker = WM_APP + 7;
    const int hook = Application->HookMainWindow([](UINT msg, WPARAM, LPARAM) {
        if (msg == marker) markerHandled = true;
        return msg == marker;
    });
    TrackMenu = [](HMENU, int, int, HWND) -> UINT {
        handledBeforeMenu = markerHandled;
        return 0;
    };
    auto* menu = new TPopupMenu(FForm);
    FIcon->SetRBPopupMenu(menu);
    OpenMenu(FIcon);
    EXPECT_FALSE(handledBeforeMenu) << "nothing was waiting yet";
    PostMessageW(Application->Handle(), marker, 0, 0);
    OpenMenu(FIcon);
    EXPECT_TRUE(handledBeforeMenu);
    Application->UnhookMainWindow(hook);
}

TEST_F(TrayMessages, WaitingQuitEndsTheProgramWithoutTheMenu)
{
    static int tracked = 0;
    tracked = 0;
    TrackMenu = [](HMENU, int, int, HWND) -> UINT { return ++tracked, 0; };
    FIcon->SetRBPopupMenu(new TPopupMenu(FForm));
    PostQuitMessage(0);
    OpenMenu(FIcon);
    EXPECT_EQ(tracked, 0);
    EXPECT_FALSE(TakeQuitMessage()) << "the quit was not seen";
}

TEST_F(TrayMessages, MenuFreedWhileWaitingMessagesAreHandledIsNotShown)
{
    static int tracked = 0;
    tracked = 0;
    TrackMenu = [](HMENU, int, int, HWND) -> UINT { return ++tracked, 0; };
    auto* menu = new TPopupMenu(FForm);
    FIcon->SetRBPopupMenu(menu);
    constexpr UINT marker = WM_APP + 8;
    const int hook = Application->HookMainWindow([&menu](UINT msg, WPARAM, LPARAM) {
        if (msg == marker) Free(std::exchange(menu, nullptr));
        return msg == marker;
    });
    PostMessageW(Application->Handle(), marker, 0, 0);
    OpenMenu(FIcon);
    Application->UnhookMainWindow(hook);
    EXPECT_EQ(menu, nullptr);
    EXPECT_EQ(tracked, 0);
}

TEST_F(TrayMessages, ChosenMenuItemRaisesItsClick)
{
    auto* menu = new TPopupMenu(FForm);
    auto* first = new TMenuItem(FForm);
    auto* second = new TMenuItem(FForm);
    menu->Add(first);
    menu->Add(second);
    int chosen = 0;
    second->OnClick = [&chosen](TComponent*) { ++chosen; };
    FIcon->SetRBPopupMenu(menu);
    TrackMenu = [](HMENU m, int, int, HWND) -> UINT {
        EXPECT_EQ(GetMenuItemCount(m), 2);
        return GetMenuItemID(m, 1);
    };
    Post(FIcon, WM_CONTEXTMENU);
    Pump(100);
    EXPECT_EQ(chosen, 1);
}

TEST_F(TrayMessages, EachMouseMessageRaisesItsEventWithButtonShiftAndPointer)
{
    struct Event {
        std::string kind;
        TMouseButton button = TMouseButton::mbLeft;
        TShiftState shift = 0;
        int x = 0, y = 0;
        bool operator==(const Event&) const = default;
    };
    std::vector<Event> events;
    auto record = [&events](std::string kind) {
        return [&events, kind](TComponent*, TMouseButton b, TShiftState s, int x, int y) {
            events.push_back({kind, b, s, x, y});
        };
    };
    FIcon->OnMouseDown = record("down");
    FIcon->OnMouseUp = record("up");
    FIcon->OnMouseMove = [&events](TComponent*, TShiftState s, int x, int y) {
        events.push_back({"move", TMouseButton::mbLeft, s, x, y});
    };
    FIcon->OnDblClick = [&events](TComponent*) { events.push_back({"double"}); };
    SetCursorPos(123, 77);
    POINT p;
    GetCursorPos(&p);
    using enum TMouseButton;
    const struct {
        UINT message;
        std::vector<Event> expected;
    } table[] = {
        {WM_MOUSEMOVE, {{"move", mbLeft, 0, p.x, p.y}}},
        {WM_LBUTTONDOWN, {{"down", mbLeft, ssLeft, p.x, p.y}}},
        {WM_LBUTTONUP, {{"up", mbLeft, ssLeft, p.x, p.y}}},
        {WM_LBUTTONDBLCLK, {{"double"}}},
        {WM_RBUTTONDOWN, {{"down", mbRight, ssRight, p.x, p.y}}},
        {WM_RBUTTONUP, {{"up", mbRight, ssRight, p.x, p.y}}},
        {WM_RBUTTONDBLCLK, {}},
        {WM_MBUTTONDOWN, {{"down", mbMiddle, ssMiddle, p.x, p.y}}},
        {WM_MBUTTONUP, {{"up", mbMiddle, ssMiddle, p.x, p.y}}},
        {WM_MBUTTONDBLCLK, {}},
        {0x20A, {}},
    };
    for (const auto& row : table) {
        events.clear();
        SendMessageW(CallbackWindow->Handle(), WM_TRAYNOTIFY, static_cast<WPARAM>(FIcon->TrayId()), row.message);
        EXPECT_TRUE(events == row.expected) << "message 0x" << std::hex << row.message;
    }
    EXPECT_EQ(FSeen.clicks, 0);
}

TEST_F(TrayMessages, UnknownIdentifierDoesNothing)
{
    Post(FIcon, WM_MOUSEMOVE);
    Pump(50);
    ASSERT_EQ(CallbackWindow->CurrentIcon, FIcon);
    PostMessageW(CallbackWindow->Handle(), WM_TRAYNOTIFY, 999, WM_LBUTTONDBLCLK);
    Pump(50);
    EXPECT_EQ(CallbackWindow->CurrentIcon, FIcon);
    EXPECT_EQ(FSeen.doubles, 0);
}

TEST_F(TrayMessages, FreedIconLeavesNothingItsPendingClickCouldReach)
{
    TTrayIcon* icon = NewVisibleIcon(); // FIcon keeps the window alive
    icon->OnClick = [this](TComponent*) { ++FSeen.clicks; };
    Post(icon, WM_LBUTTONUP);
    Pump(50);
    ASSERT_TRUE(icon->ClickPending);
    // The wait ends while the shell takes the removal.
    FShell.during = [](DWORD message) {
        if (message == NIM_DELETE) PumpFor(ClickWait() + 300);
    };
    Free(icon);
    FShell.during = nullptr;
    EXPECT_EQ(CallbackWindow->CurrentIcon, nullptr);
    EXPECT_EQ(FSeen.clicks, 0);
}

TEST_F(TrayMessages, PendingClickOutlivingItsWindowRaisesNothing)
{
    ASSERT_NO_FATAL_FAILURE(StartClick());
    Free(FForm); // the callback window and the icon go with it
    FForm = new TForm(Application);
    Pump(ClickWait() + 300);
    EXPECT_EQ(FSeen.clicks, 0);
    EXPECT_EQ(CallbackWindow, nullptr);
}

} // namespace

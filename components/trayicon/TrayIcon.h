#pragma once
// A notification-area icon: it registers itself with the shell and turns the
// shell's callback messages into popup menus and mouse events, telling a
// single click from a double click. It speaks version 4 of the notification
// protocol, and the first one to a shell that refuses version 4.
#include "framework/Exception.h"
#include "framework/Icon.h"
#include "framework/Thread.h"
#include "framework/WinControl.h"

#include <shellapi.h>

#include <optional>
#include <string>
#include <vector>

class TImageList;
class TPopupMenu;
class TTrayIcon;

// The shell refused the icon.
class ENotifyIconError : public Exception {
public:
    ENotifyIconError();
};

inline constexpr UINT WM_TRAYNOTIFY = WM_USER + 200;
inline constexpr int MaxTrayIcons = 100;
// The characters of TipHelp that the shell's tip field holds.
inline constexpr size_t MaxTipCharacters = sizeof(NOTIFYICONDATAW::szTip) / sizeof(wchar_t) - 1;

// The picture beside a balloon's title.
enum class TBalloonIcon : DWORD { None = NIIF_NONE, Info = NIIF_INFO, Warning = NIIF_WARNING, Error = NIIF_ERROR };

// How a balloon asks to be shown; combine them with |.
enum class TBalloonFlags : unsigned {
    None = 0,
    // Dropped, not queued, in the user's quiet time: the first hour after a first sign-in,
    // and after Windows was installed or upgraded.
    RespectQuietTime = 1,
    NoSound = 2,
    // Dropped rather than queued when it cannot show at once.
    Realtime = 4,
};
constexpr TBalloonFlags operator|(TBalloonFlags a, TBalloonFlags b)
{
    return static_cast<TBalloonFlags>(static_cast<unsigned>(a) | static_cast<unsigned>(b));
}
constexpr bool HasFlag(TBalloonFlags flags, TBalloonFlags flag)
{
    return (static_cast<unsigned>(flags) & static_cast<unsigned>(flag)) != 0;
}

// Waits for a possible second click, then hands its completion to the
// user-interface thread.
class TSingleClick : public TThread {
public:
    // The wait ends the double-click time plus 50 ms after `released` (on
    // Clock()), however long the thread took to start.
    TSingleClick(std::function<void(TThread*)> completion, LONGLONG released);

    // Microseconds on the performance counter: GetTickCount moves in 16 ms steps.
    static LONGLONG Clock();

protected:
    void Execute() override;

private:
    const LONGLONG FReleased;
};

// The hidden window that the shell reports mouse activity to, shared by all
// icons. A message-only window that no control owns: it lives from the first
// icon to the last, whichever controls own them.
class TCallbackWindow : public TWinControl {
public:
    static constexpr const char* ClassName = "TCallbackWindow";
    TCallbackWindow();
    ~TCallbackWindow() override;

    TTrayIcon* CurrentIcon = nullptr;
    void SingleClickDone(TThread* sender);
    void IconDestroyed(TTrayIcon* icon);

protected:
    void CreateParams(TCreateParams& params) override;
    void WndProc(TMessage& message) override;

private:
    void TrayNotify(WPARAM wParam, LPARAM lParam);
    void ShowPopup(TTrayIcon& icon, TPopupMenu& menu, POINT at, bool fromKeyboard);
    void SingleClickStep(TTrayIcon& icon);
    void KeySelect(TTrayIcon& icon);
    void TaskbarCreated();

    // Each timer ends the click of the icon it was started for; null once that
    // icon is gone or a newer timer owns its click.
    struct TPendingClick {
        TThread* timer;
        TTrayIcon* icon;
    };
    std::vector<TPendingClick> FPending;
    int FTaskbarHook = 0;
};

class TTrayIcon : public TComponent {
public:
    static constexpr const char* ClassName = "TTrayIcon";

    explicit TTrayIcon(TComponent* owner);
    ~TTrayIcon() override;

    TImageList* AnimateIcons() const { return FAnimateIcons; }
    void SetAnimateIcons(TImageList* list);
    int AnimateRate() const { return FAnimateRate; }
    void SetAnimateRate(int rate);
    bool AutoPopup() const { return FAutoPopup; }
    void SetAutoPopup(bool autoPopup) { FAutoPopup = autoPopup; }
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool enabled);
    TIcon& Icon() { return FIcon; }
    // An icon set by code, which a new taskbar or scale cannot load again at its size.
    void SetIcon(const TIcon* icon);
    // The program's icon resource of that name, at the tray's size now and again for
    // each new taskbar (as at a change of scale); empty while the icon was set by code.
    const std::wstring& IconResource() const { return FIconResource; }
    void SetIconResource(std::wstring_view name);
    TPopupMenu* LBPopupMenu() const { return FLbPopupMenu; }
    void SetLBPopupMenu(TPopupMenu* menu);
    TPopupMenu* RBPopupMenu() const { return FRbPopupMenu; }
    void SetRBPopupMenu(TPopupMenu* menu);
    // In code page 932; at most MaxTipCharacters characters are kept, a
    // double-byte character whole or not at all.
    const std::string& TipHelp() const { return FTipHelp; }
    void SetTipHelp(std::string_view tip);
    bool Visible() const { return FVisible; }
    void SetVisible(bool visible);
    // A visible icon that the shell refused asks again; true once it is in the tray.
    bool RetryAdd();
    // A balloon from the icon in the tray, texts in code page 932; a shell that
    // shows none (quiet hours, a policy) is no error.
    void ShowBalloon(std::string_view title, std::string_view message, TBalloonIcon kind, TBalloonFlags flags);
    // The menu being shown, or shown last, was opened from the keyboard (Shift+F10,
    // the menu key) rather than with the right button.
    bool PopupFromKeyboard() const { return FPopupFromKeyboard; }

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    // The shell refused the icon when a new taskbar announced itself; unset,
    // the refusal is raised as ENotifyIconError.
    TNotifyEvent OnAddRefused;

    int TrayId() const { return FTrayId; }
    bool Registered() const { return FRegistered; }
    bool ClickPending = false;

    void ReadState(TReader& reader, const TObjectDesc& desc) override;
    bool SetProperty(std::string_view name, const TValue& value, TReader& reader) override;
    void Loaded() override;
    void Notification(TComponent* removed) override;

private:
    friend class TCallbackWindow;
    enum class ShellAction { Add, Modify, Delete, Focus };
    void NotifyShell(ShellAction action);
    void RefreshTray();
    HICON CurrentIconHandle();
    void LoadIconResource();

    TImageList* FAnimateIcons = nullptr;
    int FAnimateRate = 500;
    bool FAutoPopup = true;
    bool FEnabled = true;
    TIcon FIcon;
    TPopupMenu* FLbPopupMenu = nullptr;
    TPopupMenu* FRbPopupMenu = nullptr;
    std::string FTipHelp = "TipHelp";
    bool FVisible = false;
    int FTrayId = 0;
    bool FRegistered = false;
    std::optional<NOTIFYICONDATAW> FNotifyData;
    bool FTipCleared = false;
    std::wstring FIconResource;
    bool FPopupFromKeyboard = false;
    // A right release whose WM_CONTEXTMENU is still to come.
    bool FRightReleased = false;
    ULONGLONG FKeySelectedAt = 0;
};

// One entry per existing icon, in creation order: the identifier in decimal and the icon.
struct TTrayIconEntry {
    std::string id;
    TTrayIcon* icon;
};
extern std::vector<TTrayIconEntry> TrayIconList;
extern TCallbackWindow* CallbackWindow;

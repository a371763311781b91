#pragma once
// The main form: tray controller and version window.
#include "app/HoldingRules.h"
#include "app/HotKey.h"
#include "framework/Com.h"
#include "framework/Form.h"

#include <shellapi.h>

#include <optional>

class TButton;
class TFormChooseApp;
class TFormHoldFor;
class TFormHotKey;
class TImage;
class TLabel;
class TMenuItem;
class TPanel;
class TPopupMenu;
class TTrayIcon;

class TFormMain : public TForm {
public:
    static constexpr const char* ClassName = "TFormMain";
    static const char* const Description;

    explicit TFormMain(TComponent* owner) : TForm(owner) { }

    TTrayIcon* TrayIcon = nullptr;
    TPanel* PanelVersion = nullptr;
    TImage* ImageIcon = nullptr;
    TLabel* LabelTitle = nullptr;
    TLabel* Label3 = nullptr;
    TLabel* LabelCopyright = nullptr;
    TLabel* LabelVersion = nullptr;
    TButton* ButtonClose = nullptr;
    TPopupMenu* PopupMenu = nullptr;
    TMenuItem* ppExit = nullptr;
    TMenuItem* ppSplit1 = nullptr;
    TMenuItem* ppSplit2 = nullptr;
    TMenuItem* ppSplit3 = nullptr;
    TMenuItem* ppHotKey = nullptr;
    TMenuItem* ppSignIn = nullptr;
    TMenuItem* ppVersion = nullptr;
    TMenuItem* ppHelp = nullptr;
    TMenuItem* ppStatus = nullptr;
    TMenuItem* ppTimeout = nullptr;
    TMenuItem* ppExecute = nullptr;
    TMenuItem* ppDisplay = nullptr;
    TMenuItem* ppHoldFor = nullptr;
    TMenuItem* ppHold30 = nullptr;
    TMenuItem* ppHold60 = nullptr;
    TMenuItem* ppHold120 = nullptr;
    TMenuItem* ppHold240 = nullptr;
    TMenuItem* ppHoldCustom = nullptr;
    TMenuItem* ppHoldApp = nullptr;
    TMenuItem* ppHoldSplit = nullptr;
    TMenuItem* ppHoldCancel = nullptr;

    void FormCreate(TComponent* Sender);
    void FormClose(TComponent* Sender, TCloseAction& Action);
    void FormDestroy(TComponent* Sender);
    void ButtonCloseClick(TComponent* Sender);
    void ppExitClick(TComponent* Sender);
    void ppVersionClick(TComponent* Sender);
    void PopupMenuPopup(TComponent* Sender);
    void ppExecuteClick(TComponent* Sender);
    void ppStatusClick(TComponent* Sender);
    void TrayIconMouseMove(TComponent* Sender, TShiftState Shift, int X, int Y);
    void ppTimeoutClick(TComponent* Sender);
    void ppHelpClick(TComponent* Sender);
    void ppDisplayClick(TComponent* Sender);
    // A duration item: its Tag holds the minutes.
    void ppHoldClick(TComponent* Sender);
    void ppHoldCustomClick(TComponent* Sender);
    void ppHoldAppClick(TComponent* Sender);
    void ppHoldCancelClick(TComponent* Sender);
    void ppSignInClick(TComponent* Sender);
    void ppHotKeyClick(TComponent* Sender);

    // Holds the screen saver off for `minutes` from now; `item` carries the check mark meanwhile.
    void HoldFor(int minutes, TMenuItem* item);
    // What is held and why.
    const THoldingRules& Rules() const { return FRules; }

protected:
    void DeclareBindings(TBindings& b) override;
    void WndProc(TMessage& message) override;

private:
    void HideMainWindow();
    void ShowTrayIcon();
    void RetryTrayIconLater();
    void RetryTrayIcon();
    void UpdateStatusCaption();
    void UpdateTimeoutCaption();
    // At most `limit` characters: a long program name is cut, never the closing bracket.
    std::string StateText(const char* head, size_t limit = std::string::npos) const;
    void UpdateDisplayCaption();
    // The user's key, held again; false when another program has it.
    bool HoldHotKey();
    void HotKeyPressed();
    void UpdateHotKeyCaption();

    // Times the tray that refused the icon is still to be asked; 0 while not asking.
    int TrayAttemptsLeft = 0;
    THoldingRules FRules;
    // COM for the shell's handlers, once the guide has been opened.
    std::optional<ComApartment> ShellCom;
    // The menu item that chose the hold's end.
    TMenuItem* FHoldItem = nullptr;
    TFormHoldFor* FHoldDialog = nullptr;
    TFormChooseApp* FAppDialog = nullptr;
    // The key chosen (0: none), and its registration: none while the dialog is open.
    WORD FHotKey = 0;
    THotKeyRegistration FHotKeyHeld;
    TFormHotKey* FHotKeyDialog = nullptr;
};

extern TFormMain* FormMain;

// A tray that refused the icon (at sign-in it is often not ready) is asked
// again every `interval` milliseconds, `attempts` times, before the program
// gives up; tests shorten it.
struct TTrayRetry {
    UINT interval;
    int attempts;
};
extern TTrayRetry TrayRetry;

// The wait before the screen saver starts; tests replace it.
using SleepFn = void(WINAPI*)(DWORD milliseconds);
extern SleepFn ExecuteDelay;

// The guide, a web page beside the program, opened with the shell's program for it.
inline constexpr wchar_t GuideFileName[] = L"guide.html";
using ShellOpenFn = HINSTANCE(WINAPI*)(HWND owner, const wchar_t* operation, const wchar_t* file,
    const wchar_t* parameters, const wchar_t* folder, INT show);
extern ShellOpenFn ShellOpen;

// The warning a pressed key gets when it can change nothing; tests replace it to hear it.
using BeepFn = BOOL(WINAPI*)(UINT type);
extern BeepFn HotKeyBeep;

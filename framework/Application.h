#pragma once
// The application object: its own hidden top-level window, the forms it owns,
// the message loop and the handler for errors that leave an event handler.
#include "framework/Component.h"
#include "framework/Icon.h"

#include <windows.h>

#include <exception>
#include <functional>
#include <string>
#include <vector>

class TForm;
class TThread;

class TApplication : public TComponent {
public:
    TApplication();
    ~TApplication() override;

    void Initialize() { }
    // Creates a form, reads its description and runs its OnCreate; the first
    // form created becomes the main form.
    template <class T>
    void CreateForm(T*& reference)
    {
        reference = new T(this);
        reference->Load(T::Description);
        if (!FMainForm) FMainForm = reference;
    }
    // Shows the main form unless ShowMainForm is false, then handles messages
    // until the application is told to end; raises the failure it ended with.
    void Run();
    // Ends the message loop with `failure`, which Run raises: the program then
    // ends as a failed start does.
    void Fail(std::exception_ptr failure);
    // Asks the message loop to end (posts a quit message) and closes a menu
    // that is open.
    void Terminate();
    // How often Terminate was called: a menu tells from it whether the end was
    // asked for while it was open.
    unsigned QuitRequests() const { return FQuitRequests; }
    // The process's exit code once the loop has ended: non-zero says the run failed.
    int ExitCode() const { return FExitCode; }
    void SetExitCode(int code) { FExitCode = code; }
    // Handles every message already waiting, then returns; false when it met
    // the quit message, so the caller can stop short.
    bool ProcessMessages();
    // Reports the exception being handled in an error box titled with Title;
    // the box comes to the front, as it may answer a tray event.
    void HandleException();
    // Destroys the forms (their OnDestroy runs), as at the end of the process.
    void DestroyForms();
    // The session ends: finish as a normal exit would, then end the process.
    [[noreturn]] void EndSession();

    HWND Handle() const { return FHandle; }
    TForm* MainForm() const { return FMainForm; }
    bool ShowMainForm() const { return FShowMainForm; }
    void SetShowMainForm(bool show) { FShowMainForm = show; }
    const std::string& Title() const { return FTitle; }
    void SetTitle(std::string title);
    const std::wstring& HelpFile() const { return FHelpFile; }
    void SetHelpFile(std::wstring helpFile) { FHelpFile = std::move(helpFile); }
    bool HelpCommand(UINT command, ULONG_PTR data);
    TIcon& Icon() { return FIcon; }

    // Runs `hook` for every message the application window receives before it
    // handles the message itself; a hook that returns true uses it up.
    using MessageHook = std::function<bool(UINT msg, WPARAM wParam, LPARAM lParam)>;
    int HookMainWindow(MessageHook hook);
    void UnhookMainWindow(int id);

    void Notification(TComponent* removed) override;

    // Threads hand their completion to the user-interface thread through here.
    void ThreadStarted(TThread* thread);
    void PostThreadDone(TThread* thread);
    // Threads started and not yet done.
    std::size_t ThreadCount() const { return FThreads.size(); }

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    bool ProcessMessage(MSG& msg);
    void ThreadDone(TThread* thread);

    HWND FHandle = nullptr;
    HWND FThreadWindow = nullptr;
    TForm* FMainForm = nullptr;
    bool FShowMainForm = true;
    bool FTerminated = false;
    unsigned FQuitRequests = 0;
    int FExitCode = 0;
    bool FEndingSession = false;
    std::exception_ptr FFailure;
    std::string FTitle;
    std::wstring FHelpFile;
    TIcon FIcon;
    std::vector<std::pair<int, MessageHook>> FHooks;
    int FNextHook = 1;
    std::vector<TThread*> FThreads;
};

// The message of an exception, for an error box.
std::wstring ExceptionText(std::exception_ptr error);

// The one application object of the process; its owner is the program entry.
extern TApplication* Application;

// Opens the help viewer; tests replace it.
using HelpViewerFn = BOOL (*)(HWND owner, const wchar_t* file, UINT command, ULONG_PTR data);
extern HelpViewerFn HelpViewer;

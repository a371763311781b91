#include "framework/Application.h"

#include "framework/Exception.h"
#include "framework/Form.h"
#include "framework/MessageBox.h"
#include "framework/Text.h"
#include "framework/Thread.h"

#include <algorithm>
#include <exception>
#include <memory>
#include <utility>

TApplication* Application = nullptr;

namespace {

constexpr UINT WM_THREAD_DONE = WM_APP + 1;
constexpr wchar_t ApplicationClass[] = L"Lullwick.TApplication";
constexpr wchar_t ThreadWindowClass[] = L"Lullwick.TThreadWindow";

BOOL OpenHelpViewer(HWND owner, const wchar_t* file, UINT command, ULONG_PTR data)
{
    return WinHelpW(owner, file, command, data);
}

HWND CreateHiddenWindow(const wchar_t* className, DWORD style, HWND parent, WNDPROC proc, void* self)
{
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    if (!GetClassInfoExW(instance, className, &wc)) {
        wc.lpfnWndProc = proc;
        wc.hInstance = instance;
        wc.lpszClassName = className;
        RegisterClassExW(&wc);
    }
    HWND hwnd = CreateWindowExW(0, className, L"", style, 0, 0, 0, 0, parent, nullptr, instance, nullptr);
    if (!hwnd) throw Exception(text::FromUtf8("ウィンドウを作成できません。"));
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    return hwnd;
}

} // namespace

std::wstring ExceptionText(std::exception_ptr error)
{
    try {
        std::rethrow_exception(error);
    } catch (const Exception& e) {
        return text::ToWide(e.Message());
    } catch (const std::exception& e) {
        return text::ToWide(e.what());
    } catch (...) {
        return L"不明なエラーが発生しました。";
    }
}

HelpViewerFn HelpViewer = OpenHelpViewer;

TApplication::TApplication() : TComponent(nullptr)
{
    FHandle = CreateHiddenWindow(
        ApplicationClass, WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, nullptr, &WindowProc, this);
    FThreadWindow = CreateHiddenWindow(ThreadWindowClass, 0, HWND_MESSAGE, &WindowProc, this);
    FIcon.LoadFromResource(GetModuleHandleW(nullptr), L"MAINICON", GetSystemMetrics(SM_CXICON));
    Application = this;
}

TApplication::~TApplication()
{
    DestroyForms();
    // Threads still waiting end at once; their completions are not run.
    for (TThread* thread : std::exchange(FThreads, {})) {
        const std::unique_ptr<TThread> waiting(thread);
        waiting->Terminate();
        waiting->WaitFor();
    }
    DestroyWindow(FThreadWindow);
    DestroyWindow(FHandle);
    if (Application == this) Application = nullptr;
}

void TApplication::Notification(TComponent* removed)
{
    TComponent::Notification(removed);
    if (removed == FMainForm) FMainForm = nullptr;
}

void TApplication::SetTitle(std::string title)
{
    FTitle = std::move(title);
    SetWindowTextW(FHandle, text::ToWide(FTitle).c_str());
}

void TApplication::Run()
{
    if (FShowMainForm && FMainForm) FMainForm->SetVisible(true);
    MSG msg;
    while (!FTerminated) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) break;
        ProcessMessage(msg);
    }
    FTerminated = true;
    if (FFailure) std::rethrow_exception(std::exchange(FFailure, nullptr));
}

void TApplication::Fail(std::exception_ptr failure)
{
    FFailure = std::move(failure);
    Terminate();
}

bool TApplication::ProcessMessage(MSG& msg)
{
    if (msg.message == WM_QUIT) {
        FTerminated = true;
        return false;
    }
    if (!TWinControl::IsKeyMessage(msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return true;
}

bool TApplication::ProcessMessages()
{
    MSG msg;
    bool running = true;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        if (!ProcessMessage(msg)) running = false;
    return running;
}

void TApplication::Terminate()
{
    ++FQuitRequests;
    // A close request can arrive while the tray menu is open; the user should
    // not have to dismiss the menu before the program ends.
    EndMenu();
    PostQuitMessage(0);
}

void TApplication::HandleException()
{
    ShowMessageBox(
        ExceptionText(std::current_exception()), text::ToWide(FTitle), MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

void TApplication::DestroyForms()
{
    DestroyComponents();
    FMainForm = nullptr;
}

void TApplication::EndSession()
{
    if (!FEndingSession) {
        FEndingSession = true;
        DestroyForms();
    }
    ExitProcess(0);
}

bool TApplication::HelpCommand(UINT command, ULONG_PTR data)
{
    HWND owner = FMainForm ? FMainForm->Handle() : FHandle;
    return HelpViewer(owner, FHelpFile.c_str(), command, data) != FALSE;
}

int TApplication::HookMainWindow(MessageHook hook)
{
    FHooks.emplace_back(FNextHook, std::move(hook));
    return FNextHook++;
}

void TApplication::UnhookMainWindow(int id)
{
    std::erase_if(FHooks, [id](const auto& h) { return h.first == id; });
}

void TApplication::ThreadStarted(TThread* thread) { FThreads.push_back(thread); }

void TApplication::PostThreadDone(TThread* thread)
{
    PostMessageW(FThreadWindow, WM_THREAD_DONE, 0, reinterpret_cast<LPARAM>(thread));
}

void TApplication::ThreadDone(TThread* thread)
{
    const auto it = std::find(FThreads.begin(), FThreads.end(), thread);
    if (it == FThreads.end()) return;
    FThreads.erase(it);
    const std::unique_ptr<TThread> finished(thread);
    finished->WaitFor();
    finished->RunCompletion();
}

LRESULT CALLBACK TApplication::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<TApplication*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
    try {
        if (hwnd == self->FThreadWindow) {
            if (msg == WM_THREAD_DONE) {
                self->ThreadDone(reinterpret_cast<TThread*>(lParam));
                return 0;
            }
            return DefWindowProcW(hwnd, msg, wParam, lParam);
        }
        for (const auto& hook : std::vector(self->FHooks))
            if (hook.second(msg, wParam, lParam)) return 0;
        switch (msg) {
        case WM_CLOSE:
            if (self->FMainForm) self->FMainForm->Close();
            return 0;
        case WM_QUERYENDSESSION:
            return TRUE;
        case WM_ENDSESSION:
            if (wParam) self->EndSession();
            return 0;
        default:
            break;
        }
    } catch (...) {
        self->HandleException();
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

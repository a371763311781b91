#pragma once
// A worker thread whose completion handler runs on the user-interface thread,
// also inside modal loops and popup menus; the application frees it afterwards.
#include "framework/Handles.h"

#include <functional>

class TThread {
public:
    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;
    virtual ~TThread() = default;

    // Asks the body to end early; its waits return at once.
    void Terminate() { SetEvent(FTerminate.get()); }
    void WaitFor() const { WaitForSingleObject(FThread.get(), INFINITE); }

    // Runs on the user-interface thread after the body has ended.
    std::function<void(TThread* sender)> OnTerminate;
    void RunCompletion();

protected:
    TThread();
    // Starts the body; the completion handler must be bound before it can end.
    void Start();
    virtual void Execute() = 0;
    // Waits up to `milliseconds`; false when told to terminate first.
    bool Wait(DWORD milliseconds) const;

private:
    static DWORD WINAPI Entry(void* self);

    UniqueKernelHandle FTerminate;
    UniqueKernelHandle FThread;
};

inline constexpr char ThreadStartErrorText[] = "スレッドを開始できません。";

// Starts a platform thread running `entry`; tests replace it to make the start fail.
using CreateThreadFn = HANDLE (*)(LPTHREAD_START_ROUTINE entry, void* parameter);
extern CreateThreadFn CreatePlatformThread;

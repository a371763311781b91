#pragma once
// A wait for a program's end in the system's thread pool: no thread of ours
// and no timer runs meanwhile.  The pool's callback only posts a message, so
// that the user-interface thread can stop the wait at any time without a deadlock.
#include "framework/Handles.h"

#include <windows.h>

#include <memory>

struct TWaitCalls {
    BOOL(WINAPI* Register)
    (PHANDLE wait, HANDLE object, WAITORTIMERCALLBACK callback, PVOID context, ULONG milliseconds, ULONG flags);
    BOOL(WINAPI* Unregister)(HANDLE wait, HANDLE completion);
};
// The system's waits; tests replace them to see that every wait is stopped.
extern TWaitCalls WaitCalls;

class TProcessWait {
public:
    TProcessWait() = default;
    // Waits for `process` to end, then posts `message` with `generation` to `window`; empty when the system
    // refuses the wait.
    TProcessWait(UniqueKernelHandle process, HWND window, UINT message, WPARAM generation);
    TProcessWait(TProcessWait&&) noexcept = default;
    TProcessWait& operator=(TProcessWait&& other) noexcept;
    ~TProcessWait() { Stop(); }

    explicit operator bool() const { return FWaiting != nullptr; }
    // Ends the wait, after a callback already running has returned, and closes the program's handle.
    void Stop();

private:
    struct TWaiting {
        UniqueKernelHandle process;
        HWND window;
        UINT message;
        WPARAM generation;
        HANDLE wait = nullptr;
    };
    static void CALLBACK Ended(void* context, BOOLEAN timedOut);

    // On the heap: the pool holds its address until the wait is stopped.
    std::unique_ptr<TWaiting> FWaiting;
};

#include "framework/Thread.h"

#include "framework/Application.h"
#include "framework/Exception.h"
#include "framework/Text.h"

namespace {

HANDLE CreateRunningThread(LPTHREAD_START_ROUTINE entry, void* parameter)
{
    return CreateThread(nullptr, 0, entry, parameter, 0, nullptr);
}

} // namespace

CreateThreadFn CreatePlatformThread = CreateRunningThread;

TThread::TThread() : FTerminate(CreateEventW(nullptr, TRUE, FALSE, nullptr)) { }

void TThread::Start()
{
    FThread.reset(CreatePlatformThread(&Entry, this));
    if (!FThread) throw Exception(text::FromUtf8(ThreadStartErrorText));
    // Its completion is handled on this thread, so it cannot come before this.
    Application->ThreadStarted(this);
}

DWORD WINAPI TThread::Entry(void* self)
{
    auto* thread = static_cast<TThread*>(self);
    try {
        thread->Execute();
    } catch (...) {
        // Nothing may unwind out of a thread: the completion still runs.
    }
    Application->PostThreadDone(thread);
    return 0;
}

bool TThread::Wait(DWORD milliseconds) const
{
    return WaitForSingleObject(FTerminate.get(), milliseconds) == WAIT_TIMEOUT;
}

void TThread::RunCompletion()
{
    if (OnTerminate) OnTerminate(this);
}

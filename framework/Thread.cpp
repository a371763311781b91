#include "framework/Thread.h"

#include "framework/Application.h"
#include "framework/Exception.h"

TThread::TThread() : terminate_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) { }

void TThread::Start()
{
    Application->ThreadStarted(this);
    thread_.reset(CreateThread(nullptr, 0, &Entry, this, 0, nullptr));
    if (!thread_) throw Exception("thread could not be started");
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
    return WaitForSingleObject(terminate_.get(), milliseconds) == WAIT_TIMEOUT;
}

void TThread::RunCompletion()
{
    if (OnTerminate) OnTerminate(this);
}

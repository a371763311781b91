#include "app/ProcessWait.h"

TWaitCalls WaitCalls{RegisterWaitForSingleObject, UnregisterWaitEx};

TProcessWait::TProcessWait(UniqueKernelHandle process, HWND window, UINT message, WPARAM generation)
    : FWaiting(std::make_unique<TWaiting>())
{
    *FWaiting = {std::move(process), window, message, generation};
    if (!WaitCalls.Register(&FWaiting->wait, FWaiting->process.get(), Ended, FWaiting.get(), INFINITE,
            WT_EXECUTEDEFAULT | WT_EXECUTEONLYONCE))
        FWaiting.reset();
}

TProcessWait& TProcessWait::operator=(TProcessWait&& other) noexcept
{
    Stop();
    FWaiting = std::move(other.FWaiting);
    return *this;
}

void TProcessWait::Stop()
{
    if (!FWaiting) return;
    // INVALID_HANDLE_VALUE: returns only once no callback runs, so the context may go.
    WaitCalls.Unregister(FWaiting->wait, INVALID_HANDLE_VALUE);
    FWaiting.reset();
}

void CALLBACK TProcessWait::Ended(void* context, BOOLEAN)
{
    const auto& waiting = *static_cast<const TWaiting*>(context);
    PostMessageW(waiting.window, waiting.message, waiting.generation, 0);
}

#include "app/SingleInstance.h"

namespace {
constexpr wchar_t MutexName[] = L"Lullwick";

bool LastErrorSaysExisted() { return GetLastError() == ERROR_ALREADY_EXISTS; }
} // namespace

MutexExistedFn MutexAlreadyExisted = LastErrorSaysExisted;

SingleInstance::SingleInstance()
{
    // The creation alone is the test: it opens the mutex when a copy has made it.
    FMutex.reset(CreateMutexW(nullptr, FALSE, MutexName));
    // A mutex this copy may not open belongs to a copy with more rights (run as
    // administrator), which runs all the same.  Any other failure leaves no guard.
    FFirst = FMutex ? !MutexAlreadyExisted() : GetLastError() != ERROR_ACCESS_DENIED;
}

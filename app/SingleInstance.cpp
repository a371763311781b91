#include "app/SingleInstance.h"

namespace {
constexpr wchar_t MutexName[] = L"Lullwick";

bool LastErrorSaysExisted() { return GetLastError() == ERROR_ALREADY_EXISTS; }
} // namespace

MutexExistedFn MutexAlreadyExisted = LastErrorSaysExisted;

SingleInstance::SingleInstance()
{
    if (UniqueKernelHandle other(OpenMutexW(MUTEX_ALL_ACCESS, FALSE, MutexName)); other) return;
    FMutex.reset(CreateMutexW(nullptr, FALSE, MutexName));
    // A copy that created the mutex a moment before us counts as running.
    FFirst = !(FMutex && MutexAlreadyExisted());
}

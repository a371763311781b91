#pragma once
#include "framework/Handles.h"

// The named mutex "Lullwick" that lets only one copy run.
class SingleInstance {
public:
    SingleInstance();
    // False when another copy holds the mutex, also when both started at once
    // and when this copy may not open it.
    bool First() const { return FFirst; }

private:
    UniqueKernelHandle FMutex;
    bool FFirst = false;
};

// Whether the mutex just created was there already (asked right after creating it);
// tests replace it to stage a copy that created it a moment before.
using MutexExistedFn = bool (*)();
extern MutexExistedFn MutexAlreadyExisted;

inline constexpr wchar_t AlreadyRunningText[] = L"『Lullwick』は既に起動されています。";

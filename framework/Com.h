#pragma once
// COM on the calling thread, as the shell asks of its callers: some of the
// programs it starts are COM objects.
#include <windows.h>

// Takes COM on the calling thread; tests replace it to see that it is taken, and how.
using ComInitializeFn = HRESULT(WINAPI*)(void* reserved, DWORD flags);
extern ComInitializeFn ComInitialize;

// Apartment-threaded and without OLE1 DDE while the object lives; given back
// by the same thread when it ends, if it was taken.
class ComApartment {
public:
    ComApartment();
    ~ComApartment();
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool FTaken;
};

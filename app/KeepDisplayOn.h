#pragma once
// Keeping the display on and the system awake while the screen saver is held
// off, when the user asks for it.  A power request is no setting: the system
// drops it when the process ends, however it ends, so nothing is put back.
#include "framework/Handles.h"

#include <windows.h>

// HKCU\Software\Lullwick, value KeepDisplayOn (REG_DWORD 1), absent while off.
inline constexpr wchar_t KeepDisplayOnValue[] = L"KeepDisplayOn";
// The stored choice; anything but a valid value counts as off.
bool LoadKeepDisplayOn();
// False when the profile refused the change.
bool StoreKeepDisplayOn(bool on);

// The power calls; tests replace them to watch what is held and to make a request fail.
struct TPowerCalls {
    HANDLE(WINAPI* CreateRequest)(PREASON_CONTEXT context);
    BOOL(WINAPI* SetRequest)(HANDLE request, POWER_REQUEST_TYPE type);
    BOOL(WINAPI* ClearRequest)(HANDLE request, POWER_REQUEST_TYPE type);
    EXECUTION_STATE(WINAPI* SetThreadState)(EXECUTION_STATE flags);
};
extern TPowerCalls PowerCalls;

// Holds the display and the system on while told to, and lets go when it goes.
// Used on one thread only: the fallback's state belongs to the calling thread.
class TDisplayRequest {
public:
    TDisplayRequest() = default;
    TDisplayRequest(const TDisplayRequest&) = delete;
    TDisplayRequest& operator=(const TDisplayRequest&) = delete;
    ~TDisplayRequest() { Hold(false, false); }

    void Hold(bool display, bool system);
    // Lets go and takes again what is held: the system ends requests by itself at a lid close or on battery.
    void Renew();

private:
    bool SetRequests(bool display, bool system);

    UniqueKernelHandle FRequest;
    bool FDisplay = false;
    bool FSystem = false;
    bool FByThreadState = false;
};

#include "app/KeepDisplayOn.h"

#include "app/SavedState.h"

TPowerCalls PowerCalls{PowerCreateRequest, PowerSetRequest, PowerClearRequest, SetThreadExecutionState};

bool LoadKeepDisplayOn()
{
    DWORD value = 0;
    DWORD size = sizeof value;
    return RegGetValueW(HKEY_CURRENT_USER, SavedStateKey, KeepDisplayOnValue, RRF_RT_REG_DWORD, nullptr, &value,
               &size) == ERROR_SUCCESS &&
        value == 1;
}

bool StoreKeepDisplayOn(bool on) { return StoreProgramChoice(KeepDisplayOnValue, on ? 1 : 0); }

void TDisplayRequest::Hold(bool display, bool system)
{
    if (display == FDisplay && system == FSystem) return;
    // Where no power request can be made (older systems, Wine), the thread's execution state does the same.
    if (!FByThreadState && !SetRequests(display, system)) {
        SetRequests(false, false); // what was set before the refusal
        FByThreadState = true;
    }
    // Its answer is the previous state, which may be none: it is not read, and the release always follows.
    if (FByThreadState)
        PowerCalls.SetThreadState(
            ES_CONTINUOUS | (display ? ES_DISPLAY_REQUIRED : 0u) | (system ? ES_SYSTEM_REQUIRED : 0u));
    FDisplay = display;
    FSystem = system;
}

void TDisplayRequest::Renew()
{
    const bool display = FDisplay, system = FSystem;
    Hold(false, false);
    Hold(display, system);
}

bool TDisplayRequest::SetRequests(bool display, bool system)
{
    if (!FRequest) {
        if (!display && !system) return true;
        static wchar_t reason[] = L"Lullwick：画面を消さない（スリープ防止）";
        REASON_CONTEXT context{POWER_REQUEST_CONTEXT_VERSION, POWER_REQUEST_CONTEXT_SIMPLE_STRING, {}};
        context.Reason.SimpleReasonString = reason;
        const HANDLE request = PowerCalls.CreateRequest(&context);
        if (request == INVALID_HANDLE_VALUE || !request) return false;
        FRequest.reset(request);
    }
    // Requests count: each type is set once while held and cleared once when let go.
    const auto change = [this](POWER_REQUEST_TYPE type, bool& held, bool wanted) {
        if (held == wanted) return true;
        if (wanted && !PowerCalls.SetRequest(FRequest.get(), type)) return false;
        if (!wanted) PowerCalls.ClearRequest(FRequest.get(), type);
        held = wanted;
        return true;
    };
    return change(PowerRequestDisplayRequired, FDisplay, display) &&
        change(PowerRequestSystemRequired, FSystem, system);
}

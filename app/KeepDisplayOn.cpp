#include "app/KeepDisplayOn.h"

#include "app/SavedState.h"

namespace {

constexpr EXECUTION_STATE ThreadStateHeld = ES_CONTINUOUS | ES_DISPLAY_REQUIRED | ES_SYSTEM_REQUIRED;
constexpr POWER_REQUEST_TYPE HeldTypes[] = {PowerRequestDisplayRequired, PowerRequestSystemRequired};

void ClearRequests(HANDLE request)
{
    for (const POWER_REQUEST_TYPE type : HeldTypes) PowerCalls.ClearRequest(request, type);
}

} // namespace

TPowerCalls PowerCalls{PowerCreateRequest, PowerSetRequest, PowerClearRequest, SetThreadExecutionState};

bool LoadKeepDisplayOn()
{
    DWORD value = 0;
    DWORD size = sizeof value;
    return RegGetValueW(HKEY_CURRENT_USER, SavedStateKey, KeepDisplayOnValue, RRF_RT_REG_DWORD, nullptr, &value,
               &size) == ERROR_SUCCESS &&
        value == 1;
}

bool StoreKeepDisplayOn(bool on)
{
    if (!on) {
        RegDeleteKeyValueW(HKEY_CURRENT_USER, SavedStateKey, KeepDisplayOnValue);
        RemoveEmptyProgramKey();
        return !LoadKeepDisplayOn();
    }
    HKEY created = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, SavedStateKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &created, nullptr) !=
        ERROR_SUCCESS)
        return false;
    const UniqueRegistryKey key(created);
    const DWORD one = 1;
    return RegistrySetValue(key.get(), KeepDisplayOnValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one),
               sizeof one) == ERROR_SUCCESS;
}

void TDisplayRequest::Hold(bool hold)
{
    if (hold == FHeld) return;
    if (!hold) {
        if (FByThreadState) PowerCalls.SetThreadState(ES_CONTINUOUS);
        else ClearRequests(FRequest.get());
        FHeld = false;
        return;
    }
    // Where no power request can be made (older systems, Wine), the thread's execution state does the same.
    FByThreadState = !HoldByRequest();
    // Its answer is the previous state, which may be none: it is not read, and the release always follows.
    if (FByThreadState) PowerCalls.SetThreadState(ThreadStateHeld);
    FHeld = true;
}

bool TDisplayRequest::HoldByRequest()
{
    if (!FRequest) {
        static wchar_t reason[] = L"Lullwick：画面を消さない（スリープ防止）";
        REASON_CONTEXT context{POWER_REQUEST_CONTEXT_VERSION, POWER_REQUEST_CONTEXT_SIMPLE_STRING, {}};
        context.Reason.SimpleReasonString = reason;
        const HANDLE request = PowerCalls.CreateRequest(&context);
        if (request == INVALID_HANDLE_VALUE || !request) return false;
        FRequest.reset(request);
    }
    for (const POWER_REQUEST_TYPE type : HeldTypes) {
        if (!PowerCalls.SetRequest(FRequest.get(), type)) {
            ClearRequests(FRequest.get());
            return false;
        }
    }
    return true;
}

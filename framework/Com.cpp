#include "framework/Com.h"

#include "framework/Handles.h"
#include "framework/Library.h"

#include <objbase.h>

namespace {

// Loaded at the first use rather than imported, so that a start costs nothing more.
HMODULE Ole32()
{
    static const UniqueModule library(LoadSystemLibrary(L"ole32.dll"));
    return library.get();
}

HRESULT WINAPI InitializeFromOle32(void* reserved, DWORD flags)
{
    const auto initialize = LibraryEntry<ComInitializeFn>(Ole32(), "CoInitializeEx");
    return initialize ? initialize(reserved, flags) : E_NOTIMPL;
}

} // namespace

ComInitializeFn ComInitialize = InitializeFromOle32;

ComApartment::ComApartment()
    : FTaken(SUCCEEDED(ComInitialize(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)))
{
}

ComApartment::~ComApartment()
{
    using UninitializeFn = void(WINAPI*)();
    // Also an apartment the thread had already (S_FALSE) is given back once per taking.
    if (!FTaken) return;
    if (const auto uninitialize = LibraryEntry<UninitializeFn>(Ole32(), "CoUninitialize")) uninitialize();
}

#pragma once
// A named mutex that grants no access to anyone, as a copy started with more
// rights holds it for one started without: opening or creating it again is
// refused with ERROR_ACCESS_DENIED.
#include <windows.h>

inline HANDLE CreateMutexGrantingNothing(const wchar_t* name)
{
    SECURITY_DESCRIPTOR nothing{};
    InitializeSecurityDescriptor(&nothing, SECURITY_DESCRIPTOR_REVISION);
    ACL empty{};
    InitializeAcl(&empty, sizeof empty, ACL_REVISION);
    SetSecurityDescriptorDacl(&nothing, TRUE, &empty, FALSE);
    SECURITY_ATTRIBUTES attributes{sizeof attributes, &nothing, FALSE};
    return CreateMutexW(&attributes, FALSE, name);
}

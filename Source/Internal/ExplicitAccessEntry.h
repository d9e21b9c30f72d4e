// The access-list entries this library writes: permissions set (not merged) for one trustee
// given by SID, on the object alone (no inheritance).
#pragma once

#include <windows.h>
#include <aclapi.h>

namespace Kelvo {
namespace Utilities {

inline EXPLICIT_ACCESS_W SetAccessEntry(DWORD permissions, TRUSTEE_TYPE trusteeType, void* sid)
{
    EXPLICIT_ACCESS_W entry{};
    entry.grfAccessPermissions = permissions;
    entry.grfAccessMode = SET_ACCESS;
    entry.grfInheritance = NO_INHERITANCE;
    entry.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    entry.Trustee.TrusteeType = trusteeType;
    entry.Trustee.ptstrName = static_cast<LPWSTR>(sid);
    return entry;
}

} // namespace Utilities
} // namespace Kelvo

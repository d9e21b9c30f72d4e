#pragma once

#include "SharedHandle.h"
#include "UtilitiesExport.h"

#include <string>

struct _ACL;

namespace Kelvo {
namespace Utilities {

/// The SIDs an access list of CreateAdminOnlyACL refers to; the administrators' list uses the
/// second slot.
struct EVACL_LIST
{
    /// The SIDs, freed together with the list.
    void* Sids[3] = { nullptr, nullptr, nullptr };
};

/// Named events that everybody, or only administrators, may use, and their signalling. Creating
/// and opening do not check the handle: a failed call gives a SharedHandle holding null (see
/// GetLastError), which the signalling functions report as false.
/// Static functions; each SharedHandle owns its event. Example: Examples/security_and_identity.cpp
class KELVO_UTILITIES_API EventAccessControl
{
public:
    /// An event with a null DACL: everybody has full access. Handles are inheritable. Throws
    /// std::runtime_error when the security descriptor cannot be built.
    static SharedHandle CreateEventEverybody(bool manualReset, bool initiallySignalled, const std::wstring& name);
    /// An event whose DACL grants generic all to the Administrators group alone. Handles are
    /// inheritable. Throws std::runtime_error when the descriptor or the list cannot be built.
    static SharedHandle CreateEventAdmin(bool manualReset, bool initiallySignalled, const std::wstring& name);
    /// Opens the named event with desiredAccess (inheritable when inheritHandle is not 0); null
    /// when there is none or access is denied.
    static SharedHandle OpenEventW(unsigned long desiredAccess, unsigned long inheritHandle, const std::wstring& name);
    ///@{
    /// Signal, pulse or reset the event; true when Windows answers exactly 1 (false for null).
    static bool SetEvent(SharedHandle event);
    static bool PulseEvent(SharedHandle event);
    static bool ResetEvent(SharedHandle event);
    ///@}
    /// WAIT_OBJECT_0, WAIT_TIMEOUT, WAIT_IO_COMPLETION or WAIT_FAILED, as Windows answers.
    static unsigned long WaitForSingleObjectEx(SharedHandle event, unsigned long milliseconds, bool alertable);

private:
    // Fills list and builds the administrators-only list from it; on failure frees what it made
    // and throws std::runtime_error. A null list throws std::invalid_argument.
    static _ACL* CreateAdminOnlyACL(EVACL_LIST* list);
    // Frees the SIDs of list and acl (each if set). A null list throws std::invalid_argument.
    static void FreeAdminOnlyACL(_ACL* acl, EVACL_LIST* list);
};

} // namespace Utilities
} // namespace Kelvo

#pragma once

#include "UtilitiesExport.h"

#include <HostApi/Authorization.h>

#include <memory>
#include <string>
#include <vector>

namespace Kelvo {
namespace Utilities {

/// Privileges of a process token, ownership and access lists of securable objects, and the module
/// that holds an address. Platform failures come from HostApi as Exception with the Windows error
/// code. Static functions; owns nothing between calls. Example: Examples/security_and_identity.cpp
class KELVO_UTILITIES_API SystemUtilities
{
public:
    /// Enables or disables privilege (such as "SeTakeOwnershipPrivilege") in token, which must be
    /// open for adjusting privileges and querying (0x28). True when its state changed: false when
    /// it already was as asked, or when the token lacks it.
    static bool SetPrivilege(std::shared_ptr<void> token, std::wstring privilege, bool enable);
    /// Makes entries the object's explicit access list. When that is denied (code 5), makes
    /// newOwner the owner, with "SeTakeOwnershipPrivilege" enabled for that write alone, and
    /// writes the list again.
    static void TakeOwnership(const std::wstring& objectName, HostApi::_SeObjectType objectType,
                              std::shared_ptr<HostApi::_Sid> newOwner,
                              const std::vector<HostApi::_ExplicitAccess>& entries);
    /// The allocation base of the region of this process that holds address: the handle of the
    /// module that contains it.
    static void* GetModuleOfCurrentProcess(void* address);
};

} // namespace Utilities
} // namespace Kelvo

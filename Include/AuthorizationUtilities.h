#pragma once

#include "UtilitiesExport.h"

#include <HostApi/Authorization.h>

#include <string>

namespace Kelvo {
namespace Utilities {

/// Handing files to the Administrators group and copying security descriptors between objects.
/// Platform failures come from HostApi as Exception with the Windows error code.
/// Owns nothing; every call releases what it allocated.
/// Example: Examples/security_and_identity.cpp
class KELVO_UTILITIES_API AuthorizationUtilities
{
public:
    /// Makes the file's explicit access list exactly two entries: generic read for S-1-1-32 (a
    /// well-known group under the world authority) and generic all for the Administrators group;
    /// when the list may not be written, the Administrators group is made the owner first (see
    /// SystemUtilities::TakeOwnership).
    static void ChangeOwnerToAdministratorGroup(const std::wstring& path);
    /// Copies the parts that flags select (1 owner, 2 group, 4 DACL, 8 SACL) of source's security
    /// descriptor to target, with the security, restore and take-ownership privileges enabled
    /// for the time of the call. Privileges this call enabled are disabled again on every path,
    /// also when a platform call fails.
    static void CopySecurityDescriptor(const std::wstring& source, HostApi::_SeObjectType sourceType,
                                       const std::wstring& target, HostApi::_SeObjectType targetType,
                                       unsigned int flags);
};

} // namespace Utilities
} // namespace Kelvo

#pragma once

#include "IUserUtilities.h"
#include "UtilitiesExport.h"

#include <string>

namespace Kelvo {
namespace Utilities {

/// The user's identity and rights as the system reports them now. Owns nothing between calls;
/// the SID queries pass HostApi's Exception on unchanged. Example: Examples/security_and_identity.cpp
class KELVO_UTILITIES_API UserUtilities : public IUserUtilities
{
public:
    /// Holds no state.
    UserUtilities();
    ~UserUtilities() override;

    /// The user of the active console session. Needs the TCB privilege (a service has it);
    /// HostApi's Exception passes unchanged, code 1008 when nobody is logged on at the console.
    std::wstring GetUserSidFromCurrentUser() override;
    /// The user that runs this process; HostApi's Exception passes unchanged.
    std::wstring GetUserSidFromCurrentProcess() override;
    /// Whether the process token is elevated; false on any failure.
    bool IsElevated();
    /// Elevated, or a user the shell reports as an administrator (IsUserAnAdmin). Never throws.
    bool AreAdminRightsAvailable();
};

} // namespace Utilities
} // namespace Kelvo

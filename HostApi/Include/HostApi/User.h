#pragma once

#include "HostApiExport.h"

#include <memory>
#include <string>

namespace Kelvo {
namespace HostApi {

/// Tokens of the users of this process and of the active console session, and the SID of a
/// token's user. Tokens are shared pointers whose pointer value is the token handle; the last
/// owner closes it. Every failure throws Kelvo::Utilities::Exception carrying the Windows error
/// code.
class KELVO_HOSTAPI_API User
{
public:
    User() = delete;

    /// The token of the current process, opened for querying and duplicating.
    static std::shared_ptr<void> GetUserTokenFromCurrentProcess();
    /// The primary token of the user logged on at the active console session (the process needs
    /// the TCB privilege, as services have). No such session throws with code 1008 (no token).
    static std::shared_ptr<void> GetUserTokenFromActiveSession();
    /// The same user's token as an impersonation token, for ImpersonateLoggedOnUser.
    static std::shared_ptr<void> GetUserHandleFromActiveSession();
    /// The text form ("S-1-5-...") of the SID of token's user.
    static std::wstring GetUserSidFromUserToken(const std::shared_ptr<void>& token);
};

} // namespace HostApi
} // namespace Kelvo

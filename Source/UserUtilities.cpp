#include "UserUtilities.h"

#include <HostApi/Authorization.h>
#include <HostApi/OperatingSystem.h>
#include <HostApi/User.h>

#include <windows.h>
#include <shlobj.h>

namespace Kelvo {
namespace Utilities {

UserUtilities::UserUtilities() = default;

UserUtilities::~UserUtilities() = default;

std::wstring UserUtilities::GetUserSidFromCurrentUser()
{
    return HostApi::User::GetUserSidFromUserToken(HostApi::User::GetUserTokenFromActiveSession());
}

std::wstring UserUtilities::GetUserSidFromCurrentProcess()
{
    return HostApi::User::GetUserSidFromUserToken(HostApi::User::GetUserTokenFromCurrentProcess());
}

bool UserUtilities::IsElevated()
{
    try
    {
        const auto token = HostApi::Authorization::OpenProcessToken(HostApi::OperatingSystem::GetCurrentProcessHandle(),
                                                                     TOKEN_QUERY);
        TOKEN_ELEVATION elevation{};
        DWORD size = 0;
        return ::GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof(elevation), &size) &&
               elevation.TokenIsElevated != 0;
    }
    catch (...)
    {
        return false;
    }
}

bool UserUtilities::AreAdminRightsAvailable()
{
    return IsElevated() || ::IsUserAnAdmin() != FALSE;
}

} // namespace Utilities
} // namespace Kelvo

//
// User.cpp
//
#include "HostApi/User.h"

#include "Failure.h"

#include <windows.h>
#include <wtsapi32.h>

namespace Kelvo {
namespace HostApi {

std::shared_ptr<void> User::GetUserHandleFromActiveSession()
{
    const DWORD session = ::WTSGetActiveConsoleSessionId();
    if (session == 0xFFFFFFFF)
    {
        ThrowFailure(L"WTSGetActiveConsoleSessionId", ERROR_NO_TOKEN, HOSTAPI_AT(User));
    }
    HANDLE token = nullptr;
    if (!::WTSQueryUserToken(session, &token))
    {
        ThrowLastError(L"WTSQueryUserToken", HOSTAPI_AT(User));
    }
    return std::shared_ptr<void>(token, &::CloseHandle);
}

} // namespace HostApi
} // namespace Kelvo

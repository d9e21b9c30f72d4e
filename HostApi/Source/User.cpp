#include "HostApi/User.h"

#include "HostApi/UniqueHandle.h"

#include "Internal/Failure.h"
#include "SharedToken.h"

#include <windows.h>
#include <sddl.h>
#include <wtsapi32.h>

#include <vector>

namespace Kelvo {
namespace HostApi {

namespace {

HANDLE ActiveSessionToken()
{
    const DWORD session = ::WTSGetActiveConsoleSessionId();
    if (session == 0xFFFFFFFF)
    {
        ThrowError(L"WTSGetActiveConsoleSessionId failed", ERROR_NO_TOKEN, KELVO_SITE);
    }
    HANDLE token = nullptr;
    if (!::WTSQueryUserToken(session, &token))
    {
        ThrowLastError(L"WTSQueryUserToken failed", KELVO_SITE);
    }
    return token;
}

} // namespace

std::shared_ptr<void> User::GetUserTokenFromCurrentProcess()
{
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY | TOKEN_DUPLICATE, &token))
    {
        ThrowLastError(L"OpenProcessToken failed", KELVO_SITE);
    }
    return ShareToken(token);
}

std::shared_ptr<void> User::GetUserTokenFromActiveSession()
{
    return ShareToken(ActiveSessionToken());
}

std::shared_ptr<void> User::GetUserHandleFromActiveSession()
{
    const auto primary = GetUserTokenFromActiveSession();
    HANDLE impersonation = nullptr;
    if (!::DuplicateTokenEx(primary.get(), TOKEN_QUERY | TOKEN_IMPERSONATE | TOKEN_DUPLICATE, nullptr,
                            SecurityImpersonation, TokenImpersonation, &impersonation))
    {
        ThrowLastError(L"DuplicateTokenEx failed", KELVO_SITE);
    }
    return ShareToken(impersonation);
}

std::wstring User::GetUserSidFromUserToken(const std::shared_ptr<void>& token)
{
    const HANDLE handle = TokenOf(token, L"GetTokenInformation failed", KELVO_SITE);
    // TOKEN_USER is followed by its SID: ask for the size, grow until it fits.
    std::vector<unsigned char> buffer(sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE);
    for (;;)
    {
        DWORD needed = 0;
        if (::GetTokenInformation(handle, TokenUser, buffer.data(), static_cast<DWORD>(buffer.size()), &needed))
        {
            break;
        }
        const DWORD error = ::GetLastError();
        if (error != ERROR_INSUFFICIENT_BUFFER || needed <= buffer.size())
        {
            ThrowError(L"GetTokenInformation failed", error, KELVO_SITE);
        }
        buffer.resize(needed);
    }
    const auto* user = reinterpret_cast<const TOKEN_USER*>(buffer.data());
    LPWSTR text = nullptr;
    if (!::ConvertSidToStringSidW(user->User.Sid, &text))
    {
        ThrowLastError(L"ConvertSidToStringSidW failed", KELVO_SITE);
    }
    const UniqueLocalMemory owner(text);
    return text;
}

} // namespace HostApi
} // namespace Kelvo

#include "UserUtilitiesSTUB.h"

#include "Internal/Failure.h"

namespace Kelvo {
namespace Utilities {

UserUtilitiesSTUB::UserUtilitiesSTUB() : m_errorCode(0)
{
}

UserUtilitiesSTUB::~UserUtilitiesSTUB() = default;

std::wstring UserUtilitiesSTUB::GetUserSidFromCurrentUser()
{
    if (m_errorCode != 0)
    {
        ThrowError(L"GetUserSidFromCurrentUser failed.", m_errorCode, KELVO_SITE);
    }
    return m_userSid;
}

std::wstring UserUtilitiesSTUB::GetUserSidFromCurrentProcess()
{
    // The same answer and message: the stub stands for one identity.
    return GetUserSidFromCurrentUser();
}

void UserUtilitiesSTUB::SetUserSid(std::wstring& userSid, unsigned int errorCode)
{
    m_userSid = userSid;
    m_errorCode = errorCode;
}

} // namespace Utilities
} // namespace Kelvo

// Enables a privilege of a token for a scope and disables it again if (and only if) it was this
// guard that enabled it, so a privilege never stays enabled past a failed call.
#pragma once

#include "SystemUtilities.h"

#include <HostApi/OperatingSystem.h>

#include <memory>
#include <string>

namespace Kelvo {
namespace Utilities {

// This process's token, open for adjusting privileges and querying (0x28).
inline std::shared_ptr<void> TokenForPrivileges()
{
    return HostApi::Authorization::OpenProcessToken(HostApi::OperatingSystem::GetCurrentProcessHandle(),
                                                    TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY);
}

class PrivilegeGuard
{
public:
    PrivilegeGuard(std::shared_ptr<void> token, const wchar_t* privilege)
        : m_token(std::move(token)), m_privilege(privilege),
          m_enabled(SystemUtilities::SetPrivilege(m_token, m_privilege, true))
    {
    }

    PrivilegeGuard(const PrivilegeGuard&) = delete;
    PrivilegeGuard& operator=(const PrivilegeGuard&) = delete;

    // Unwinding: a failure to disable cannot be reported over the failure that is on its way.
    ~PrivilegeGuard()
    {
        try
        {
            Restore();
        }
        catch (...)
        {
        }
    }

    // The normal path: a failure to disable reaches the caller.
    void Restore()
    {
        if (m_enabled)
        {
            m_enabled = false;
            SystemUtilities::SetPrivilege(m_token, m_privilege, false);
        }
    }

private:
    std::shared_ptr<void> m_token;
    const wchar_t* m_privilege;
    bool m_enabled;
};

} // namespace Utilities
} // namespace Kelvo

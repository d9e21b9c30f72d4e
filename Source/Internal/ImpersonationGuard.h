// Impersonates a user on the calling thread for a scope and reverts on every path, exceptions
// included, so that the caller's thread never goes on as another user.
#pragma once

#include "Internal/Failure.h"

#include <windows.h>

#include <cstdlib>

namespace Kelvo {
namespace Utilities {

class ImpersonationGuard
{
public:
    ImpersonationGuard() = default;

    ImpersonationGuard(const ImpersonationGuard&) = delete;
    ImpersonationGuard& operator=(const ImpersonationGuard&) = delete;

    // Reached still impersonating only while an exception unwinds, when no other report is
    // possible: a thread that cannot return to its own identity must not run on as another user,
    // so the process ends.
    ~ImpersonationGuard()
    {
        if (m_impersonating && !::RevertToSelf())
        {
            std::abort();
        }
    }

    // False when Windows refuses: the thread then stays itself.
    bool Impersonate(HANDLE token)
    {
        m_impersonating = ::ImpersonateLoggedOnUser(token) != FALSE;
        return m_impersonating;
    }

    // The normal path: a failed revert reaches the caller as an Exception with the Windows code.
    void Revert()
    {
        if (m_impersonating)
        {
            m_impersonating = false;
            CheckBool(::RevertToSelf(), L"RevertToSelf failed", KELVO_SITE);
        }
    }

private:
    bool m_impersonating = false;
};

} // namespace Utilities
} // namespace Kelvo

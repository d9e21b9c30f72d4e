#include "SystemUtilities.h"

#include "Exception.h"
#include "Internal/PrivilegeGuard.h"

namespace Kelvo {
namespace Utilities {

using HostApi::Authorization;

bool SystemUtilities::SetPrivilege(std::shared_ptr<void> token, std::wstring privilege, bool enable)
{
    const auto identifier = Authorization::PrivilegeValueLookup(L"", privilege);
    const auto wanted = Authorization::CreatePrivilegeSet(1);
    wanted->Privileges[0].Luid = *identifier;
    wanted->Privileges[0].Attributes = enable ? SE_PRIVILEGE_ENABLED : 0;
    std::shared_ptr<HostApi::_TokenPrivileges> previous;
    Authorization::AdjustTokenPrivileges(token, false, wanted, previous);
    // Windows lists only the privileges that changed; Wine lists every one asked for, so the
    // previous state is compared with the wish as well.
    for (DWORD i = 0; previous && i < previous->PrivilegeCount; ++i)
    {
        const LUID_AND_ATTRIBUTES& was = previous->Privileges[i];
        const bool wasEnabled = (was.Attributes & SE_PRIVILEGE_ENABLED) != 0;
        if (was.Luid.LowPart == identifier->LowPart && was.Luid.HighPart == identifier->HighPart && wasEnabled != enable)
        {
            return true;
        }
    }
    return false;
}

void SystemUtilities::TakeOwnership(const std::wstring& objectName, HostApi::_SeObjectType objectType,
                                    std::shared_ptr<HostApi::_Sid> newOwner,
                                    const std::vector<HostApi::_ExplicitAccess>& entries)
{
    const auto acl = Authorization::SetAclEntries(entries, nullptr);
    try
    {
        Authorization::SetSecurityInfoNamed(objectName, objectType, DACL_SECURITY_INFORMATION, nullptr, nullptr, acl,
                                            nullptr);
        return;
    }
    catch (const Exception& e)
    {
        if (e.GetErrorCode() != ERROR_ACCESS_DENIED)
        {
            throw;
        }
    }
    // The owner may always rewrite the list: become the owner first.
    {
        PrivilegeGuard takeOwnership(TokenForPrivileges(), L"SeTakeOwnershipPrivilege");
        Authorization::SetSecurityInfoNamed(objectName, objectType, OWNER_SECURITY_INFORMATION, newOwner, nullptr,
                                            nullptr, nullptr);
        takeOwnership.Restore();
    }
    Authorization::SetSecurityInfoNamed(objectName, objectType, DACL_SECURITY_INFORMATION, nullptr, nullptr, acl, nullptr);
}

void* SystemUtilities::GetModuleOfCurrentProcess(void* address)
{
    return HostApi::OperatingSystem::VirtualQuery(HostApi::OperatingSystem::GetCurrentProcessHandle(), address)
        .AllocationBase;
}

} // namespace Utilities
} // namespace Kelvo

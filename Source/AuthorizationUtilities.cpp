#include "AuthorizationUtilities.h"

#include "Internal/ExplicitAccessEntry.h"
#include "Internal/PrivilegeGuard.h"
#include "SystemUtilities.h"

namespace Kelvo {
namespace Utilities {

using HostApi::Authorization;

void AuthorizationUtilities::ChangeOwnerToAdministratorGroup(const std::wstring& path)
{
    // Read access goes to S-1-1-32, a group under the world authority: naming Everyone instead
    // would let every account read the administrators' files.
    const auto readers = Authorization::AllocateAndInitializeSid(SECURITY_WORLD_SID_AUTHORITY, { SECURITY_BUILTIN_DOMAIN_RID });
    const auto administrators = Authorization::AllocateAndInitializeSid(
        SECURITY_NT_AUTHORITY, { SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS });
    const std::vector<HostApi::_ExplicitAccess> entries{
        SetAccessEntry(GENERIC_READ, TRUSTEE_IS_WELL_KNOWN_GROUP, readers.get()),
        SetAccessEntry(GENERIC_ALL, TRUSTEE_IS_GROUP, administrators.get()),
    };
    SystemUtilities::TakeOwnership(path, SE_FILE_OBJECT, administrators, entries);
}

void AuthorizationUtilities::CopySecurityDescriptor(const std::wstring& source, HostApi::_SeObjectType sourceType,
                                                    const std::wstring& target, HostApi::_SeObjectType targetType,
                                                    unsigned int flags)
{
    const auto token = TokenForPrivileges();
    PrivilegeGuard security(token, L"SeSecurityPrivilege");
    std::shared_ptr<HostApi::_Sid> owner;
    std::shared_ptr<HostApi::_Sid> group;
    std::shared_ptr<HostApi::_Acl> dacl;
    std::shared_ptr<HostApi::_Acl> sacl;
    const auto descriptor = Authorization::GetSecurityInfoNamed(source, sourceType, flags, &owner, &group, &dacl, &sacl);
    PrivilegeGuard restore(token, L"SeRestorePrivilege");
    PrivilegeGuard takeOwnership(token, L"SeTakeOwnershipPrivilege");
    Authorization::SetSecurityInfoNamed(target, targetType, flags, owner, group, dacl, sacl);
    restore.Restore();
    takeOwnership.Restore();
    security.Restore();
}

} // namespace Utilities
} // namespace Kelvo

//
// AuthorizationUtilities.cpp
//
#include "AuthorizationUtilities.h"

#include "PrivilegeGuard.h"
#include "SystemUtilities.h"

namespace Kelvo {
namespace Utilities {

using HostApi::Authorization;

namespace {

HostApi::_ExplicitAccess GroupEntry(DWORD permissions, TRUSTEE_TYPE type, const std::shared_ptr<HostApi::_Sid>& sid)
{
    HostApi::_ExplicitAccess entry{};
    entry.grfAccessPermissions = permissions;
    entry.grfAccessMode = SET_ACCESS;
    entry.grfInheritance = NO_INHERITANCE;
    entry.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    entry.Trustee.TrusteeType = type;
    entry.Trustee.ptstrName = reinterpret_cast<LPWSTR>(sid.get());
    return entry;
}

} // namespace

void AuthorizationUtilities::ChangeOwnerToAdministratorGroup(const std::wstring& path)
{
    // S-1-1-32 gets read access: kept as the files in the field have it, since a broader group
    // such as Everyone would widen who may read them.
    const auto readers = Authorization::AllocateAndInitializeSid(SECURITY_WORLD_SID_AUTHORITY, { SECURITY_BUILTIN_DOMAIN_RID });
    const auto administrators = Authorization::AllocateAndInitializeSid(
        SECURITY_NT_AUTHORITY, { SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS });
    const std::vector<HostApi::_ExplicitAccess> entries{
        GroupEntry(GENERIC_READ, TRUSTEE_IS_WELL_KNOWN_GROUP, readers),
        GroupEntry(GENERIC_ALL, TRUSTEE_IS_GROUP, administrators),
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

#pragma once

#include "HostApiExport.h"

#include <windows.h>
#include <aclapi.h>

#include <memory>
#include <string>
#include <vector>

namespace Kelvo {
namespace HostApi {

/// A security identifier (Windows SID).
using _Sid = ::SID;
/// An access-control list (Windows ACL).
using _Acl = ::ACL;
/// A locally unique identifier; names a privilege on one machine.
using _Luid = ::LUID;
/// A privilege set with its count (Windows TOKEN_PRIVILEGES).
using _TokenPrivileges = ::TOKEN_PRIVILEGES;
/// A security descriptor in self-relative or absolute form (Windows SECURITY_DESCRIPTOR).
using _SecurityDescriptor = ::SECURITY_DESCRIPTOR;
/// The Windows object-type numbers (1 = file object).
using _SeObjectType = ::SE_OBJECT_TYPE;
/// The Windows explicit-access layout: permissions, mode, inheritance and trustee.
using _ExplicitAccess = ::EXPLICIT_ACCESS_W;

/// SIDs, access lists, security descriptors, tokens and privileges. Every structure comes back in
/// a shared pointer whose deleter frees it with the Windows function that matches its allocation
/// (FreeSid, LocalFree, CloseHandle); parts of a security descriptor keep the whole descriptor
/// alive. Every failure throws Kelvo::Utilities::Exception carrying the Windows error code.
class KELVO_HOSTAPI_API Authorization
{
public:
    Authorization() = delete;

    /// A SID of the given identifier authority (such as {0,0,0,0,0,5}) with one to eight
    /// sub-authorities; any other count throws with code 87.
    static std::shared_ptr<_Sid> AllocateAndInitializeSid(const SID_IDENTIFIER_AUTHORITY& authority,
                                                          const std::vector<DWORD>& subAuthorities);
    /// Reads the parts of the named object's security that flags select (1 owner, 2 group, 4 DACL,
    /// 8 SACL). Each out-pointer given receives its part, or null when the object has none; they
    /// point into the returned descriptor and keep it alive.
    static std::shared_ptr<_SecurityDescriptor> GetSecurityInfoNamed(const std::wstring& name, _SeObjectType type,
                                                                     DWORD flags, std::shared_ptr<_Sid>* owner,
                                                                     std::shared_ptr<_Sid>* group,
                                                                     std::shared_ptr<_Acl>* dacl,
                                                                     std::shared_ptr<_Acl>* sacl);
    /// Writes the parts that flags select; parts not selected may be null.
    static void SetSecurityInfoNamed(const std::wstring& name, _SeObjectType type, DWORD flags,
                                     const std::shared_ptr<_Sid>& owner, const std::shared_ptr<_Sid>& group,
                                     const std::shared_ptr<_Acl>& dacl, const std::shared_ptr<_Acl>& sacl);
    /// The token of process, opened with access; closed when the last owner goes.
    static std::shared_ptr<void> OpenProcessToken(HANDLE process, DWORD access);
    /// A new access list: oldAcl (may be null) merged with entries. The trustees' SIDs belong to
    /// the caller and are copied into the list.
    static std::shared_ptr<_Acl> SetAclEntries(const std::vector<_ExplicitAccess>& entries,
                                               const std::shared_ptr<_Acl>& oldAcl);
    /// The identifier of privilege (such as "SeTakeOwnershipPrivilege") on systemName (empty: this
    /// machine).
    static std::shared_ptr<_Luid> PrivilegeValueLookup(const std::wstring& systemName, const std::wstring& privilege);
    /// A zeroed privilege set with room for count entries, its count set to count.
    static std::shared_ptr<_TokenPrivileges> CreatePrivilegeSet(DWORD count);
    /// Applies newState to token (or disables all privileges when disableAll) and sets
    /// previousState to a set of the privileges whose state changed, as they were before. A
    /// privilege the token lacks is not an error: it is just not in previousState.
    static void AdjustTokenPrivileges(const std::shared_ptr<void>& token, bool disableAll,
                                      const std::shared_ptr<_TokenPrivileges>& newState,
                                      std::shared_ptr<_TokenPrivileges>& previousState);
};

} // namespace HostApi
} // namespace Kelvo

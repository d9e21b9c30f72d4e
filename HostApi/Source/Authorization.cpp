#include "HostApi/Authorization.h"

#include "Internal/Failure.h"
#include "SharedToken.h"

#include <cstddef>

namespace Kelvo {
namespace HostApi {

namespace {

template <typename T>
std::shared_ptr<T> ShareLocalMemory(void* memory)
{
    return ShareHandle<LocalMemoryTraits, T>(memory);
}

using SidTraits = HandleTraits<PSID, &::FreeSid, InvalidHandleValue::Null>;

// A part of a descriptor lives as long as the descriptor does.
template <typename T>
void SharePart(std::shared_ptr<T>* out, const std::shared_ptr<_SecurityDescriptor>& descriptor, void* part)
{
    if (out)
    {
        *out = part ? std::shared_ptr<T>(descriptor, static_cast<T*>(part)) : std::shared_ptr<T>();
    }
}

std::size_t PrivilegeSetBytes(DWORD count)
{
    return offsetof(TOKEN_PRIVILEGES, Privileges) + sizeof(LUID_AND_ATTRIBUTES) * (count == 0 ? 1 : count);
}

std::shared_ptr<_TokenPrivileges> AllocatePrivilegeSet(std::size_t bytes)
{
    void* memory = ::LocalAlloc(LPTR, bytes);
    if (!memory)
    {
        ThrowLastError(L"LocalAlloc failed", KELVO_SITE);
    }
    return ShareLocalMemory<_TokenPrivileges>(memory);
}

} // namespace

std::shared_ptr<_Sid> Authorization::AllocateAndInitializeSid(const SID_IDENTIFIER_AUTHORITY& authority,
                                                              const std::vector<DWORD>& subAuthorities)
{
    if (subAuthorities.empty() || subAuthorities.size() > 8)
    {
        ThrowError(L"AllocateAndInitializeSid failed", ERROR_INVALID_PARAMETER, KELVO_SITE);
    }
    DWORD s[8] = {};
    for (std::size_t i = 0; i < subAuthorities.size(); ++i)
    {
        s[i] = subAuthorities[i];
    }
    SID_IDENTIFIER_AUTHORITY copy = authority;
    PSID sid = nullptr;
    if (!::AllocateAndInitializeSid(&copy, static_cast<BYTE>(subAuthorities.size()), s[0], s[1], s[2], s[3], s[4], s[5],
                                    s[6], s[7], &sid))
    {
        ThrowLastError(L"AllocateAndInitializeSid failed", KELVO_SITE);
    }
    return ShareHandle<SidTraits, _Sid>(sid);
}

std::shared_ptr<_SecurityDescriptor> Authorization::GetSecurityInfoNamed(const std::wstring& name, _SeObjectType type,
                                                                         DWORD flags, std::shared_ptr<_Sid>* owner,
                                                                         std::shared_ptr<_Sid>* group,
                                                                         std::shared_ptr<_Acl>* dacl,
                                                                         std::shared_ptr<_Acl>* sacl)
{
    PSID ownerSid = nullptr;
    PSID groupSid = nullptr;
    PACL daclList = nullptr;
    PACL saclList = nullptr;
    PSECURITY_DESCRIPTOR raw = nullptr;
    CheckStatus(::GetNamedSecurityInfoW(name.c_str(), type, flags, &ownerSid, &groupSid, &daclList, &saclList, &raw),
                L"GetNamedSecurityInfoW failed", KELVO_SITE);
    const auto descriptor = ShareLocalMemory<_SecurityDescriptor>(raw);
    SharePart(owner, descriptor, ownerSid);
    SharePart(group, descriptor, groupSid);
    SharePart(dacl, descriptor, daclList);
    SharePart(sacl, descriptor, saclList);
    return descriptor;
}

void Authorization::SetSecurityInfoNamed(const std::wstring& name, _SeObjectType type, DWORD flags,
                                         const std::shared_ptr<_Sid>& owner, const std::shared_ptr<_Sid>& group,
                                         const std::shared_ptr<_Acl>& dacl, const std::shared_ptr<_Acl>& sacl)
{
    // Windows takes the name as writable text.
    std::wstring writable = name;
    CheckStatus(::SetNamedSecurityInfoW(&writable[0], type, flags, owner.get(), group.get(), dacl.get(), sacl.get()),
                L"SetNamedSecurityInfoW failed", KELVO_SITE);
}

std::shared_ptr<void> Authorization::OpenProcessToken(HANDLE process, DWORD access)
{
    HANDLE token = nullptr;
    if (!::OpenProcessToken(process, access, &token))
    {
        ThrowLastError(L"OpenProcessToken failed", KELVO_SITE);
    }
    return ShareToken(token);
}

std::shared_ptr<_Acl> Authorization::SetAclEntries(const std::vector<_ExplicitAccess>& entries,
                                                   const std::shared_ptr<_Acl>& oldAcl)
{
    // Windows takes the entries as writable.
    std::vector<_ExplicitAccess> copy = entries;
    PACL acl = nullptr;
    CheckStatus(
        ::SetEntriesInAclW(static_cast<ULONG>(copy.size()), copy.empty() ? nullptr : copy.data(), oldAcl.get(), &acl),
        L"SetEntriesInAclW failed", KELVO_SITE);
    return ShareLocalMemory<_Acl>(acl);
}

std::shared_ptr<_Luid> Authorization::PrivilegeValueLookup(const std::wstring& systemName, const std::wstring& privilege)
{
    auto luid = std::make_shared<_Luid>();
    if (!::LookupPrivilegeValueW(systemName.empty() ? nullptr : systemName.c_str(), privilege.c_str(), luid.get()))
    {
        ThrowLastError(L"LookupPrivilegeValueW failed", KELVO_SITE);
    }
    return luid;
}

std::shared_ptr<_TokenPrivileges> Authorization::CreatePrivilegeSet(DWORD count)
{
    auto set = AllocatePrivilegeSet(PrivilegeSetBytes(count));
    set->PrivilegeCount = count;
    return set;
}

void Authorization::AdjustTokenPrivileges(const std::shared_ptr<void>& token, bool disableAll,
                                          const std::shared_ptr<_TokenPrivileges>& newState,
                                          std::shared_ptr<_TokenPrivileges>& previousState)
{
    const HANDLE handle = TokenOf(token, L"AdjustTokenPrivileges failed", KELVO_SITE);
    if (!newState && !disableAll)
    {
        ThrowError(L"AdjustTokenPrivileges failed", ERROR_INVALID_PARAMETER, KELVO_SITE);
    }
    // Fewer privileges change than are asked for, unless all are disabled.
    auto previous = CreatePrivilegeSet(newState ? newState->PrivilegeCount : 1);
    DWORD size = static_cast<DWORD>(PrivilegeSetBytes(previous->PrivilegeCount));
    for (;;)
    {
        DWORD needed = 0;
        if (::AdjustTokenPrivileges(handle, disableAll ? TRUE : FALSE, newState.get(), size, previous.get(), &needed))
        {
            break;
        }
        const DWORD error = ::GetLastError();
        if (error != ERROR_INSUFFICIENT_BUFFER || needed <= size)
        {
            ThrowError(L"AdjustTokenPrivileges failed", error, KELVO_SITE);
        }
        previous = AllocatePrivilegeSet(needed);
        size = needed;
    }
    previousState = previous;
}

} // namespace HostApi
} // namespace Kelvo

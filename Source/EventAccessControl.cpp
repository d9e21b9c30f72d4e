#include "EventAccessControl.h"

#include "Internal/ExplicitAccessEntry.h"

#include <windows.h>
#include <aclapi.h>

#include <stdexcept>

namespace Kelvo {
namespace Utilities {

namespace {

constexpr int AdministratorsSlot = 1;

// Inheritable handles, as child processes of our services wait on these events.
SECURITY_ATTRIBUTES InheritableAttributes(SECURITY_DESCRIPTOR& descriptor)
{
    SECURITY_ATTRIBUTES attributes{};
    attributes.nLength = sizeof(attributes);
    attributes.lpSecurityDescriptor = &descriptor;
    attributes.bInheritHandle = TRUE;
    return attributes;
}

SharedHandle CreateEventWith(SECURITY_DESCRIPTOR& descriptor, bool manualReset, bool initiallySignalled,
                             const std::wstring& name)
{
    SECURITY_ATTRIBUTES attributes = InheritableAttributes(descriptor);
    return SharedHandle(::CreateEventW(&attributes, manualReset ? TRUE : FALSE, initiallySignalled ? TRUE : FALSE,
                                       name.c_str()));
}

} // namespace

SharedHandle EventAccessControl::CreateEventEverybody(bool manualReset, bool initiallySignalled, const std::wstring& name)
{
    SECURITY_DESCRIPTOR descriptor;
    if (!::InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION))
    {
        throw std::runtime_error("Create Event: Failed to initialize security descriptor");
    }
    if (!::SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE))
    {
        throw std::runtime_error("Create Event: Failed to set security descriptor");
    }
    return CreateEventWith(descriptor, manualReset, initiallySignalled, name);
}

SharedHandle EventAccessControl::CreateEventAdmin(bool manualReset, bool initiallySignalled, const std::wstring& name)
{
    SECURITY_DESCRIPTOR descriptor;
    if (!::InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION))
    {
        throw std::runtime_error("Create Admin Event: Failed to initialize security descriptor");
    }
    EVACL_LIST list;
    PACL acl = CreateAdminOnlyACL(&list);
    if (!acl)
    {
        FreeAdminOnlyACL(acl, &list);
        throw std::runtime_error("Create Admin Event: Failed to create an admin only access control list");
    }
    if (!::SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE))
    {
        FreeAdminOnlyACL(acl, &list);
        throw std::runtime_error("Create Admin Event: Failed to set security descriptor");
    }
    // The event keeps its own copy of the descriptor.
    SharedHandle event = CreateEventWith(descriptor, manualReset, initiallySignalled, name);
    FreeAdminOnlyACL(acl, &list);
    return event;
}

SharedHandle EventAccessControl::OpenEventW(unsigned long desiredAccess, unsigned long inheritHandle,
                                            const std::wstring& name)
{
    return SharedHandle(::OpenEventW(desiredAccess, inheritHandle, name.c_str()));
}

bool EventAccessControl::SetEvent(SharedHandle event)
{
    return ::SetEvent(event.get()) == 1;
}

bool EventAccessControl::PulseEvent(SharedHandle event)
{
    return ::PulseEvent(event.get()) == 1;
}

bool EventAccessControl::ResetEvent(SharedHandle event)
{
    return ::ResetEvent(event.get()) == 1;
}

unsigned long EventAccessControl::WaitForSingleObjectEx(SharedHandle event, unsigned long milliseconds, bool alertable)
{
    return ::WaitForSingleObjectEx(event.get(), milliseconds, alertable ? TRUE : FALSE);
}

_ACL* EventAccessControl::CreateAdminOnlyACL(EVACL_LIST* list)
{
    if (!list)
    {
        throw std::invalid_argument("Admin ACL: Access control list shouldn't be null");
    }
    *list = EVACL_LIST();
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    if (!::AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0,
                                    0, &list->Sids[AdministratorsSlot]))
    {
        throw std::runtime_error("Admin ACL: Allocate and initialize the SID failed");
    }
    EXPLICIT_ACCESS_W entry = SetAccessEntry(GENERIC_ALL, TRUSTEE_IS_GROUP, list->Sids[AdministratorsSlot]);
    PACL acl = nullptr;
    if (::SetEntriesInAclW(1, &entry, nullptr, &acl) != ERROR_SUCCESS)
    {
        FreeAdminOnlyACL(nullptr, list);
        throw std::runtime_error("Admin ACL: Set the ACL entries failed");
    }
    return acl;
}

void EventAccessControl::FreeAdminOnlyACL(_ACL* acl, EVACL_LIST* list)
{
    if (!list)
    {
        throw std::invalid_argument("Admin ACL: Access control list shouldn't be null");
    }
    for (void*& sid : list->Sids)
    {
        if (sid)
        {
            ::FreeSid(sid);
            sid = nullptr;
        }
    }
    if (acl)
    {
        ::LocalFree(acl);
    }
}

} // namespace Utilities
} // namespace Kelvo

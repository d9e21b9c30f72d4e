// Events with access control across threads and processes, privileges, ownership and access
// lists of real files, and the user's identity. Access lists are read back with the Windows
// functions, not with the library's.
#include <KelvoUtilities.h>
#include <HostApi/Authorization.h>
#include <HostApi/User.h>

#include "Internal/ExplicitAccessEntry.h"
#include "FileSystemTest.h"
#include "OpenHandles.h"
#include "Internal/PrivilegeGuard.h"
#include "TestSupport.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <aclapi.h>
#include <psapi.h>
#include <sddl.h>

#include <regex>
#include <string>
#include <thread>
#include <vector>

using namespace Kelvo::Utilities;
using Kelvo::HostApi::Authorization;
using TestSupport::FailureOf;

namespace {

using Entries = std::vector<std::wstring>;

std::wstring SidText(PSID sid)
{
    LPWSTR text = nullptr;
    const std::wstring result = sid && ::ConvertSidToStringSidW(sid, &text) ? text : L"(none)";
    ::LocalFree(text);
    return result;
}

// "SID mask" of every explicit allow entry of dacl, in order; "null" for a null list.
Entries ExplicitEntries(PACL dacl)
{
    Entries entries;
    for (DWORD i = 0; dacl && i < dacl->AceCount; ++i)
    {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        ::GetAce(dacl, i, reinterpret_cast<void**>(&ace));
        if ((ace->Header.AceFlags & INHERITED_ACE) == 0)
        {
            wchar_t mask[16];
            swprintf(mask, 16, L" %08lX", static_cast<unsigned long>(ace->Mask));
            entries.push_back(SidText(&ace->SidStart) + mask);
        }
    }
    return dacl ? entries : Entries{ L"null" };
}

// The owner and the explicit entries of a named object, or of handle's object, as Windows reads them.
struct Security
{
    std::wstring owner;
    Entries entries;
};

Security SecurityOf(const std::wstring& name, SE_OBJECT_TYPE type = SE_FILE_OBJECT, HANDLE handle = nullptr)
{
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const SECURITY_INFORMATION what = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
    const DWORD status = handle ? ::GetSecurityInfo(handle, type, what, &owner, nullptr, &dacl, nullptr, &descriptor)
                                : ::GetNamedSecurityInfoW(name.c_str(), type, what, &owner, nullptr, &dacl, nullptr, &descriptor);
    EXPECT_EQ(0u, status);
    Security security{ SidText(owner), ExplicitEntries(dacl) };
    ::LocalFree(descriptor);
    return security;
}

// The enabled privileges of the process token, as raw bytes to compare.
std::vector<unsigned char> PrivilegeStates()
{
    const auto token = TokenForPrivileges();
    std::vector<unsigned char> states(4096);
    DWORD size = 0;
    EXPECT_TRUE(::GetTokenInformation(token.get(), TokenPrivileges, states.data(), 4096, &size));
    states.resize(size);
    return states;
}

Kelvo::HostApi::_ExplicitAccess Allow(DWORD mask, const std::shared_ptr<Kelvo::HostApi::_Sid>& sid)
{
    return SetAccessEntry(mask, TRUSTEE_IS_GROUP, sid.get());
}

std::int64_t PagefileUsage()
{
    PROCESS_MEMORY_COUNTERS_EX counters{};
    ::GetProcessMemoryInfo(::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof(counters));
    return static_cast<std::int64_t>(counters.PagefileUsage); // Wine leaves PrivateUsage 0
}

std::wstring UniqueName(const wchar_t* kind)
{
    return L"Local\\KelvoSecurityTests-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + kind;
}

} // namespace

TEST(EventAccessControl, NamedEventsAreSignalledAcrossThreadsAndProcesses)
{
    using Create = SharedHandle (*)(bool, bool, const std::wstring&);
    const std::pair<const wchar_t*, Create> kinds[] = { { L"everybody", &EventAccessControl::CreateEventEverybody },
                                                        { L"admin", &EventAccessControl::CreateEventAdmin } };
    for (const auto& kind : kinds)
    {
        SCOPED_TRACE(kind.first);
        const std::wstring name = UniqueName(kind.first);
        const SharedHandle event = kind.second(false, false, name);
        ASSERT_TRUE(event);
        EXPECT_EQ(WAIT_TIMEOUT, EventAccessControl::WaitForSingleObjectEx(event, 0, false));

        std::thread([&] {
            EXPECT_TRUE(EventAccessControl::SetEvent(EventAccessControl::OpenEventW(EVENT_MODIFY_STATE, FALSE, name)));
        }).join();
        EXPECT_EQ(WAIT_OBJECT_0, EventAccessControl::WaitForSingleObjectEx(event, 5000, false));

        // The child opens the event by name and signals it; an auto-reset event stays signalled until a wait.
        EXPECT_EQ(0ul, Tools::RunWait(TestSupport::BesideTheTests(L"EventSignaller.exe"), name));
        EXPECT_EQ(WAIT_OBJECT_0, EventAccessControl::WaitForSingleObjectEx(event, 0, false));

        EXPECT_TRUE(EventAccessControl::ResetEvent(event));
        EXPECT_TRUE(EventAccessControl::PulseEvent(event));
    }

    // The administrators' event holds exactly the Administrators entry; everybody's has no list.
    const auto daclOf = [](const SharedHandle& event) { return SecurityOf(L"", SE_KERNEL_OBJECT, event.get()).entries; };
    EXPECT_EQ(Entries{ L"null" }, daclOf(EventAccessControl::CreateEventEverybody(true, false, UniqueName(L"e2"))));
    const Entries admin = daclOf(EventAccessControl::CreateEventAdmin(true, false, UniqueName(L"a2")));
    ASSERT_EQ(1u, admin.size());
    EXPECT_TRUE(admin[0] == L"S-1-5-32-544 10000000" || admin[0] == L"S-1-5-32-544 001F0003") << admin[0];

    // A failed creation or opening gives a null handle that signals nothing.
    const Kelvo::HostApi::UniqueKernelHandle mutex(::CreateMutexW(nullptr, FALSE, UniqueName(L"mutex").c_str()));
    const SharedHandle clash = EventAccessControl::CreateEventEverybody(false, false, UniqueName(L"mutex"));
    EXPECT_EQ(ERROR_INVALID_HANDLE, ::GetLastError());
    EXPECT_FALSE(clash);
    EXPECT_FALSE(EventAccessControl::SetEvent(clash));
    const SharedHandle missing = EventAccessControl::OpenEventW(SYNCHRONIZE, FALSE, UniqueName(L"missing"));
    EXPECT_FALSE(missing);
    EXPECT_EQ(WAIT_FAILED, EventAccessControl::WaitForSingleObjectEx(missing, 0, false));
    EXPECT_FALSE(EventAccessControl::PulseEvent(SharedHandle(INVALID_HANDLE_VALUE)));
}

TEST(SystemUtilities, PrivilegesModulesAndHostApiArguments)
{
    const auto token = TokenForPrivileges();
    const std::vector<unsigned char> before = PrivilegeStates();
    SystemUtilities::SetPrivilege(token, L"SeBackupPrivilege", false);
    EXPECT_TRUE(SystemUtilities::SetPrivilege(token, L"SeBackupPrivilege", true));
    EXPECT_FALSE(SystemUtilities::SetPrivilege(token, L"SeBackupPrivilege", true));
    EXPECT_TRUE(SystemUtilities::SetPrivilege(token, L"SeBackupPrivilege", false));
    EXPECT_FALSE(SystemUtilities::SetPrivilege(token, L"SeBackupPrivilege", false));
    EXPECT_EQ(before, PrivilegeStates());
    EXPECT_EQ(L"LookupPrivilegeValueW failed|1313|HostApi\\Source\\Authorization",
              FailureOf([&] { SystemUtilities::SetPrivilege(token, L"SeNoSuchPrivilege", true); }));
    // A token opened without adjusting rights.
    const auto queryOnly = Authorization::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY);
    EXPECT_EQ(L"AdjustTokenPrivileges failed|5|HostApi\\Source\\Authorization",
              FailureOf([&] { SystemUtilities::SetPrivilege(queryOnly, L"SeBackupPrivilege", true); }));

    EXPECT_EQ(::GetModuleHandleW(L"KelvoUtilities.dll"),
              SystemUtilities::GetModuleOfCurrentProcess(reinterpret_cast<void*>(&SystemUtilities::GetModuleOfCurrentProcess)));
    EXPECT_EQ(::GetModuleHandleW(nullptr), SystemUtilities::GetModuleOfCurrentProcess(reinterpret_cast<void*>(&PagefileUsage)));

    // Arguments HostApi refuses, with outputs untouched.
    std::shared_ptr<Kelvo::HostApi::_TokenPrivileges> previous = Authorization::CreatePrivilegeSet(3);
    const auto kept = previous;
    EXPECT_EQ(L"AdjustTokenPrivileges failed|87|HostApi\\Source\\Authorization",
              FailureOf([&] { Authorization::AdjustTokenPrivileges(nullptr, false, previous, previous); }));
    EXPECT_EQ(kept, previous);
    for (const std::vector<DWORD>& subAuthorities : { std::vector<DWORD>{}, std::vector<DWORD>(9, 1) })
    {
        EXPECT_EQ(L"AllocateAndInitializeSid failed|87|HostApi\\Source\\Authorization",
                  FailureOf([&] { Authorization::AllocateAndInitializeSid(SECURITY_NT_AUTHORITY, subAuthorities); }));
    }
    EXPECT_EQ(L"GetTokenInformation failed|87|HostApi\\Source\\User",
              FailureOf([&] { Kelvo::HostApi::User::GetUserSidFromUserToken(nullptr); }));
}

namespace {

class FileSecurity : public FileSystemTest
{
protected:
    void SetUp() override
    {
        FileSystemTest::SetUp();
        File::WriteAllBytes(In(L"a"), { 1 });
        File::WriteAllBytes(In(L"b"), { 2 });
    }

    // Wine keeps a file's security descriptor in an extended attribute of the Linux file;
    // without one it makes a descriptor up from the Unix mode.
    bool ListsAreStored() const
    {
        SystemUtilities::TakeOwnership(In(L"a"), SE_FILE_OBJECT, nullptr, { Allow(FILE_ALL_ACCESS, m_everyone) });
        return SecurityOf(In(L"a")).entries == Entries{ L"S-1-1-0 001F01FF" };
    }

    void Copy(const wchar_t* from, const wchar_t* to, SECURITY_INFORMATION what = DACL_SECURITY_INFORMATION) const
    {
        AuthorizationUtilities::CopySecurityDescriptor(In(from), SE_FILE_OBJECT, In(to), SE_FILE_OBJECT, what);
    }

    const std::shared_ptr<Kelvo::HostApi::_Sid> m_everyone =
        Authorization::AllocateAndInitializeSid(SECURITY_WORLD_SID_AUTHORITY, { SECURITY_WORLD_RID });
};

} // namespace

TEST_F(FileSecurity, FailuresRestorePrivilegesAndListsAreReadBack)
{
    // A list the caller may write: the owner stays, no privilege is touched.
    const std::wstring owner = SecurityOf(In(L"a")).owner;
    const std::vector<unsigned char> privileges = PrivilegeStates();
    SystemUtilities::TakeOwnership(In(L"a"), SE_FILE_OBJECT, nullptr, { Allow(GENERIC_READ, m_everyone) });
    EXPECT_EQ(owner, SecurityOf(In(L"a")).owner);
    EXPECT_EQ(privileges, PrivilegeStates());

    // A failing copy passes HostApi's failure on and still disables the privileges it enabled.
    EXPECT_EQ(L"GetNamedSecurityInfoW failed|2|HostApi\\Source\\Authorization", FailureOf([&] { Copy(L"missing", L"b"); }));
    EXPECT_EQ(L"SetNamedSecurityInfoW failed|2|HostApi\\Source\\Authorization", FailureOf([&] { Copy(L"a", L"missing"); }));
    EXPECT_EQ(L"SetNamedSecurityInfoW failed|2|HostApi\\Source\\Authorization",
              FailureOf([&] { AuthorizationUtilities::ChangeOwnerToAdministratorGroup(In(L"missing")); }));
    EXPECT_EQ(privileges, PrivilegeStates());

    if (!ListsAreStored())
    {
        GTEST_SKIP() << "Wine keeps no file security descriptor here (a written DACL does not read back): "
                        "its server needs extended-attribute support, built in and on the file system";
    }
    // Other explicit entries give way to exactly the two.
    AuthorizationUtilities::ChangeOwnerToAdministratorGroup(In(L"a"));
    const Entries expected{ L"S-1-1-32 80000000", L"S-1-5-32-544 10000000" };
    EXPECT_EQ(expected, SecurityOf(In(L"a")).entries);
    EXPECT_NE(expected, SecurityOf(In(L"b")).entries);
    Copy(L"a", L"b");
    EXPECT_EQ(expected, SecurityOf(In(L"b")).entries);
    EXPECT_EQ(privileges, PrivilegeStates());
}

TEST_F(FileSecurity, NoStructureOrHandleLeaksOnAnyPath)
{
    const auto cycle = [&] {
        AuthorizationUtilities::ChangeOwnerToAdministratorGroup(In(L"a"));
        Copy(L"a", L"b", OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION);
        FailureOf([&] { Copy(L"missing", L"b"); });
        EventAccessControl::CreateEventAdmin(false, false, L"");
        UserUtilities().GetUserSidFromCurrentProcess();
    };
    cycle(); // the first throw makes the runtime open handles of its own
    const unsigned int handles = OpenHandleCount();
    const std::int64_t memory = PagefileUsage();
    for (int i = 0; i < 10000; ++i)
    {
        cycle();
    }
    EXPECT_EQ(handles, OpenHandleCount());
    EXPECT_LT(PagefileUsage() - memory, 64 * 1024); // a leaked SID per call would be 10,000 heap blocks
}

TEST(UserUtilities, SidsElevationTheStubAndTheConsoleUser)
{
    UserUtilities user;
    const std::wregex sid(L"S-1-5(-[0-9]+)+");
    const std::wstring process = user.GetUserSidFromCurrentProcess();
    EXPECT_TRUE(std::regex_match(process, sid)) << process;
    EXPECT_TRUE(!user.IsElevated() || user.AreAdminRightsAvailable());

    // Both questions of the stub give the same answers.
    for (const auto get : { &IUserUtilities::GetUserSidFromCurrentUser, &IUserUtilities::GetUserSidFromCurrentProcess })
    {
        UserUtilitiesSTUB stub;
        IUserUtilities& identity = stub;
        EXPECT_EQ(L"", (identity.*get)());
        std::wstring someone = L"S-1-5-21-1-2-3-1001", system = L"S-1-5-18";
        stub.SetUserSid(someone, 5);
        EXPECT_EQ(L"GetUserSidFromCurrentUser failed.|5|Source\\UserUtilitiesSTUB", FailureOf([&] { (identity.*get)(); }));
        stub.SetUserSid(system, 0);
        EXPECT_EQ(L"S-1-5-18", (identity.*get)());
    }

    // The console session's user needs session support that Wine may lack.
    try
    {
        const std::wstring console = user.GetUserSidFromCurrentUser();
        EXPECT_TRUE(std::regex_match(console, sid)) << console;
        EXPECT_TRUE(Kelvo::HostApi::User::GetUserHandleFromActiveSession());
    }
    catch (const Exception& e)
    {
        const std::wstring message = e.GetFullMessage();
        GTEST_SKIP() << "no user token of the active console session here: " << std::string(message.begin(), message.end());
    }
}

// Wine keeps registry security in its server, so a key stands in for an object whose list the
// caller may not write. Wine does not let the take-ownership privilege open for WRITE_OWNER, so
// the key grants that right itself.
TEST(SystemUtilities, TakeOwnershipBecomesOwnerWhenTheListIsDenied)
{
    const std::wstring subKey = L"Software\\KelvoSecurityTests-" + std::to_wstring(::GetCurrentProcessId());
    const std::wstring name = L"CURRENT_USER\\" + subKey;
    HKEY key = nullptr;
    ASSERT_EQ(0, ::RegCreateKeyExW(HKEY_CURRENT_USER, subKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
    ::RegCloseKey(key);
    const std::shared_ptr<void> removeKey(nullptr, [&](void*) { ::RegDeleteKeyW(HKEY_CURRENT_USER, subKey.c_str()); });
    const auto everyone = Authorization::AllocateAndInitializeSid(SECURITY_WORLD_SID_AUTHORITY, { SECURITY_WORLD_RID });
    const auto system = Authorization::AllocateAndInitializeSid(SECURITY_NT_AUTHORITY, { SECURITY_LOCAL_SYSTEM_RID });
    const auto administrators = Authorization::AllocateAndInitializeSid(
        SECURITY_NT_AUTHORITY, { SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS });
    // Someone else owns the key; everybody may read it and change its owner, not its list.
    const auto denyList = [&] {
        PrivilegeGuard restore(TokenForPrivileges(), L"SeRestorePrivilege");
        const auto list = Authorization::SetAclEntries({ Allow(KEY_READ | WRITE_OWNER, everyone) }, nullptr);
        Authorization::SetSecurityInfoNamed(name, SE_REGISTRY_KEY, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                            system, nullptr, list, nullptr);
    };
    const auto takeOwnership = [&] {
        SystemUtilities::TakeOwnership(name, SE_REGISTRY_KEY, administrators, { Allow(KEY_ALL_ACCESS, everyone) });
        // Only the fallback changes the owner.
        const Security security = SecurityOf(name, SE_REGISTRY_KEY);
        EXPECT_EQ(L"S-1-5-32-544", security.owner);
        EXPECT_EQ(Entries{ L"S-1-1-0 000F003F" }, security.entries);
    };
    denyList();
    const std::vector<unsigned char> privileges = PrivilegeStates();
    takeOwnership();
    EXPECT_EQ(privileges, PrivilegeStates());
    // A privilege the caller had enabled stays enabled.
    denyList();
    PrivilegeGuard enabled(TokenForPrivileges(), L"SeTakeOwnershipPrivilege");
    takeOwnership();
    EXPECT_FALSE(SystemUtilities::SetPrivilege(TokenForPrivileges(), L"SeTakeOwnershipPrivilege", true));
}

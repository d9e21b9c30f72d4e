// Security and identity: who runs this program, a privilege switched on and off, named events
// that everybody or only administrators may use, and which module holds an address.
#include "Console.h"
#include <HostApi/Authorization.h>
// Not in KelvoUtilities.h: it needs <windows.h> (SE_OBJECT_TYPE).
#include <SystemUtilities.h>

#include <windows.h>

#include <regex>

using namespace Kelvo::Utilities;

int main()
{
    return RunExample([] {
        UserUtilities user;
        const std::wstring sid = user.GetUserSidFromCurrentProcess();
        Print("SID of this process's user is S-1-5-...",
              std::regex_match(sid, std::wregex(L"S-1-5(-[0-9]+)+")) ? L"true" : L"false");
        Print("elevated", user.IsElevated() ? L"true" : L"false");
        Print("administrator rights available", user.AreAdminRightsAvailable() ? L"true" : L"false");

        // SetPrivilege answers whether the state changed.
        const auto token = Kelvo::HostApi::Authorization::OpenProcessToken(
            ::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY);
        SystemUtilities::SetPrivilege(token, L"SeBackupPrivilege", false);
        Print("SeBackupPrivilege on", SystemUtilities::SetPrivilege(token, L"SeBackupPrivilege", true) ? L"changed" : L"unchanged");
        Print("on again", SystemUtilities::SetPrivilege(token, L"SeBackupPrivilege", true) ? L"changed" : L"unchanged");
        Print("off", SystemUtilities::SetPrivilege(token, L"SeBackupPrivilege", false) ? L"changed" : L"unchanged");
        try
        {
            SystemUtilities::SetPrivilege(token, L"SeNoSuchPrivilege", true);
        }
        catch (const Exception& e)
        {
            // 1313: ERROR_NO_SUCH_PRIVILEGE, from HostApi.dll.
            Print("an unknown privilege", e.GetFullMessage());
        }

        // Named events; SharedHandle closes the handle with its last copy. Creation is not
        // checked by the library: test the handle.
        const std::wstring name = L"Local\\KelvoExample-" + std::to_wstring(::GetCurrentProcessId());
        const SharedHandle event = EventAccessControl::CreateEventEverybody(true, false, name);
        Print("CreateEventEverybody gave a handle", event ? L"true" : L"false");
        Print("wait before the signal (258 = timeout)", EventAccessControl::WaitForSingleObjectEx(event, 0, false));
        const SharedHandle opened = EventAccessControl::OpenEventW(EVENT_MODIFY_STATE, FALSE, name);
        Print("SetEvent through a second handle", EventAccessControl::SetEvent(opened) ? L"true" : L"false");
        Print("wait after the signal (0 = signalled)", EventAccessControl::WaitForSingleObjectEx(event, 0, false));
        const SharedHandle admins = EventAccessControl::CreateEventAdmin(false, false, name + L"-admin");
        Print("CreateEventAdmin gave a handle", admins ? L"true" : L"false");
        const SharedHandle none = EventAccessControl::OpenEventW(SYNCHRONIZE, FALSE, name + L"-missing");
        Print("OpenEventW of a missing event gave a handle", none ? L"true" : L"false");

        Print("the module holding SystemUtilities is KelvoUtilities.dll",
              SystemUtilities::GetModuleOfCurrentProcess(reinterpret_cast<void*>(&SystemUtilities::GetModuleOfCurrentProcess)) ==
                      ::GetModuleHandleW(L"KelvoUtilities.dll")
                  ? L"true"
                  : L"false");
    });
}

#include "HostApi/Service.h"

#include "Internal/Failure.h"

namespace Kelvo {
namespace HostApi {

namespace {

const wchar_t* TextOrNull(const std::wstring* text)
{
    return text != nullptr ? text->c_str() : nullptr;
}

// A multi-string needs two NULs at its end; c_str() gives one.
std::wstring WithListEnd(const std::wstring* list)
{
    return list != nullptr ? *list + L'\0' : std::wstring();
}

SC_HANDLE Checked(SC_HANDLE handle, const wchar_t* message, const ThrowSite& site)
{
    CheckBool(handle != nullptr, message, site);
    return handle;
}

void CopyStatus(const SERVICE_STATUS& from, ServiceStatus& to)
{
    to = ServiceStatus{ from.dwServiceType,      static_cast<InterfaceServiceState>(from.dwCurrentState),
                        from.dwControlsAccepted, from.dwWin32ExitCode,
                        from.dwServiceSpecificExitCode, from.dwCheckPoint,
                        from.dwWaitHint };
}

} // namespace

SC_HANDLE Service::OpenServiceControlManager(const std::wstring& machine, const std::wstring& database, DWORD access)
{
    return Checked(::OpenSCManagerW(machine.empty() ? nullptr : machine.c_str(),
                                    database.empty() ? nullptr : database.c_str(), access),
                   L"OpenSCManagerW failed", KELVO_SITE);
}

SC_HANDLE Service::ServiceOpen(SC_HANDLE manager, const std::wstring& name, DWORD access)
{
    return Checked(::OpenServiceW(manager, name.c_str(), access), L"OpenServiceW failed", KELVO_SITE);
}

SC_HANDLE Service::ServiceCreate(SC_HANDLE manager, const std::wstring& name, const std::wstring* displayName,
                                 DWORD desiredAccess, DWORD serviceType, DWORD startType, DWORD errorControl,
                                 const std::wstring* binaryPath, const std::wstring* loadOrderGroup, void* tag,
                                 const std::wstring* dependencies, const std::wstring* account,
                                 const std::wstring* password)
{
    const std::wstring list = WithListEnd(dependencies);
    return Checked(::CreateServiceW(manager, name.c_str(), TextOrNull(displayName), desiredAccess, serviceType,
                                    startType, errorControl, TextOrNull(binaryPath), TextOrNull(loadOrderGroup),
                                    static_cast<DWORD*>(tag), dependencies != nullptr ? list.c_str() : nullptr,
                                    TextOrNull(account), TextOrNull(password)),
                   L"CreateServiceW failed", KELVO_SITE);
}

void Service::ChangeServiceConfiguration(SC_HANDLE service, DWORD serviceType, DWORD startType, DWORD errorControl,
                                         const std::wstring* binaryPath, const std::wstring* loadOrderGroup,
                                         void* tag, const std::wstring* dependencies, const std::wstring* account,
                                         const std::wstring* password, const std::wstring* displayName)
{
    const std::wstring list = WithListEnd(dependencies);
    CheckBool(::ChangeServiceConfigW(service, serviceType, startType, errorControl, TextOrNull(binaryPath),
                                     TextOrNull(loadOrderGroup), static_cast<DWORD*>(tag),
                                     dependencies != nullptr ? list.c_str() : nullptr, TextOrNull(account),
                                     TextOrNull(password), TextOrNull(displayName)),
              L"ChangeServiceConfigW failed", KELVO_SITE);
}

void Service::ServiceDelete(SC_HANDLE service)
{
    CheckBool(::DeleteService(service), L"DeleteService failed", KELVO_SITE);
}

void Service::ServiceStart(SC_HANDLE service, const std::vector<std::wstring>& arguments)
{
    std::vector<const wchar_t*> pointers;
    for (const std::wstring& argument : arguments)
    {
        pointers.push_back(argument.c_str());
    }
    CheckBool(
        ::StartServiceW(service, static_cast<DWORD>(pointers.size()), pointers.empty() ? nullptr : pointers.data()),
        L"StartServiceW failed", KELVO_SITE);
}

void Service::Control(SC_HANDLE service, DWORD code, ServiceStatus& status)
{
    SERVICE_STATUS answer{};
    CheckBool(::ControlService(service, code, &answer), L"ControlService failed", KELVO_SITE);
    CopyStatus(answer, status);
}

void Service::QueryStatus(SC_HANDLE service, ServiceStatus& status)
{
    SERVICE_STATUS answer{};
    CheckBool(::QueryServiceStatus(service, &answer), L"QueryServiceStatus failed", KELVO_SITE);
    CopyStatus(answer, status);
}

void Service::CloseHandle(SC_HANDLE handle)
{
    CheckBool(::CloseServiceHandle(handle), L"CloseServiceHandle failed", KELVO_SITE);
}

} // namespace HostApi
} // namespace Kelvo

//
// Service.cpp
//
#include "HostApi/Service.h"

#include "Failure.h"

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

SC_HANDLE Checked(SC_HANDLE handle, const wchar_t* call)
{
    if (handle == nullptr)
    {
        ThrowLastError(call, HOSTAPI_AT(Service));
    }
    return handle;
}

void Check(BOOL succeeded, const wchar_t* call)
{
    if (!succeeded)
    {
        ThrowLastError(call, HOSTAPI_AT(Service));
    }
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
                   L"OpenSCManagerW");
}

SC_HANDLE Service::ServiceOpen(SC_HANDLE manager, const std::wstring& name, DWORD access)
{
    return Checked(::OpenServiceW(manager, name.c_str(), access), L"OpenServiceW");
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
                   L"CreateServiceW");
}

void Service::ChangeServiceConfiguration(SC_HANDLE service, DWORD serviceType, DWORD startType, DWORD errorControl,
                                         const std::wstring* binaryPath, const std::wstring* loadOrderGroup,
                                         void* tag, const std::wstring* dependencies, const std::wstring* account,
                                         const std::wstring* password, const std::wstring* displayName)
{
    const std::wstring list = WithListEnd(dependencies);
    Check(::ChangeServiceConfigW(service, serviceType, startType, errorControl, TextOrNull(binaryPath),
                                 TextOrNull(loadOrderGroup), static_cast<DWORD*>(tag),
                                 dependencies != nullptr ? list.c_str() : nullptr, TextOrNull(account),
                                 TextOrNull(password), TextOrNull(displayName)),
          L"ChangeServiceConfigW");
}

void Service::ServiceDelete(SC_HANDLE service)
{
    Check(::DeleteService(service), L"DeleteService");
}

void Service::ServiceStart(SC_HANDLE service, const std::vector<std::wstring>& arguments)
{
    std::vector<const wchar_t*> pointers;
    for (const std::wstring& argument : arguments)
    {
        pointers.push_back(argument.c_str());
    }
    Check(::StartServiceW(service, static_cast<DWORD>(pointers.size()), pointers.empty() ? nullptr : pointers.data()),
          L"StartServiceW");
}

void Service::Control(SC_HANDLE service, DWORD code, ServiceStatus& status)
{
    SERVICE_STATUS answer{};
    Check(::ControlService(service, code, &answer), L"ControlService");
    CopyStatus(answer, status);
}

void Service::QueryStatus(SC_HANDLE service, ServiceStatus& status)
{
    SERVICE_STATUS answer{};
    Check(::QueryServiceStatus(service, &answer), L"QueryServiceStatus");
    CopyStatus(answer, status);
}

void Service::CloseHandle(SC_HANDLE handle)
{
    Check(::CloseServiceHandle(handle), L"CloseServiceHandle");
}

} // namespace HostApi
} // namespace Kelvo

#pragma once

#include "HostApiExport.h"
#include "UniqueHandle.h"

#include <windows.h>
#include <winsvc.h>

#include <cstdint>
#include <string>
#include <vector>

namespace Kelvo {
namespace HostApi {

/// The Windows state numbers of a service (SERVICE_STOPPED ... SERVICE_PAUSED).
enum InterfaceServiceState : std::uint32_t
{
    InterfaceServiceStopped = 1,
    InterfaceServiceStartPending = 2,
    InterfaceServiceStopPending = 3,
    InterfaceServiceRunning = 4,
    InterfaceServiceContinuePending = 5,
    InterfaceServicePausePending = 6,
    InterfaceServicePaused = 7
};

/// SERVICE_STATUS, field by field.
struct ServiceStatus
{
    DWORD serviceType;
    InterfaceServiceState currentState;
    DWORD controlsAccepted;
    DWORD win32ExitCode;
    DWORD serviceSpecificExitCode;
    DWORD checkPoint;
    DWORD waitHint;
};

/// Owns one manager or service handle (null allowed) and closes it on destruction.
class ServiceHandle : public UniqueServiceHandle
{
public:
    ServiceHandle() noexcept = default;

    explicit ServiceHandle(SC_HANDLE handle) noexcept : UniqueServiceHandle(handle)
    {
    }

    /// Closes the handle owned so far.
    ServiceHandle& operator=(SC_HANDLE handle) noexcept
    {
        Reset(handle);
        return *this;
    }

    operator SC_HANDLE() const noexcept
    {
        return Get();
    }
};

/// The service control manager: managers and services are raw SC_HANDLEs, owned by ServiceHandle
/// where the caller keeps them. Optional texts are pointers (null = not given). Every failure
/// throws Kelvo::Utilities::Exception carrying the Windows error code.
class KELVO_HOSTAPI_API Service
{
public:
    Service() = delete;

    /// Empty names mean the local machine and its active database.
    static SC_HANDLE OpenServiceControlManager(const std::wstring& machine, const std::wstring& database,
                                               DWORD access);
    static SC_HANDLE ServiceOpen(SC_HANDLE manager, const std::wstring& name, DWORD access);
    /// dependencies holds the names separated by NUL characters; the closing double NUL is added.
    /// tag, when given, is the DWORD that receives the tag.
    static SC_HANDLE ServiceCreate(SC_HANDLE manager, const std::wstring& name, const std::wstring* displayName,
                                   DWORD desiredAccess, DWORD serviceType, DWORD startType, DWORD errorControl,
                                   const std::wstring* binaryPath, const std::wstring* loadOrderGroup, void* tag,
                                   const std::wstring* dependencies, const std::wstring* account,
                                   const std::wstring* password);
    /// SERVICE_NO_CHANGE (0xFFFFFFFF) and null pointers leave a setting as it is.
    static void ChangeServiceConfiguration(SC_HANDLE service, DWORD serviceType, DWORD startType,
                                           DWORD errorControl, const std::wstring* binaryPath,
                                           const std::wstring* loadOrderGroup, void* tag,
                                           const std::wstring* dependencies, const std::wstring* account,
                                           const std::wstring* password, const std::wstring* displayName);
    /// Marks the service for deletion; it goes once its last handle is closed.
    static void ServiceDelete(SC_HANDLE service);
    static void ServiceStart(SC_HANDLE service, const std::vector<std::wstring>& arguments);
    /// status is changed only on success.
    static void Control(SC_HANDLE service, DWORD code, ServiceStatus& status);
    static void QueryStatus(SC_HANDLE service, ServiceStatus& status);
    static void CloseHandle(SC_HANDLE handle);
};

} // namespace HostApi
} // namespace Kelvo

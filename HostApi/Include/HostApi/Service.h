#pragma once

#include "HostApiExport.h"
#include "UniqueHandle.h"
#include "WindowsTypes.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Kelvo {
namespace HostApi {

/// The Windows state numbers of a service (SERVICE_STOPPED ... SERVICE_PAUSED).
enum InterfaceServiceState : std::uint32_t
{
    /// SERVICE_STOPPED.
    InterfaceServiceStopped = 1,
    /// SERVICE_START_PENDING.
    InterfaceServiceStartPending = 2,
    /// SERVICE_STOP_PENDING.
    InterfaceServiceStopPending = 3,
    /// SERVICE_RUNNING.
    InterfaceServiceRunning = 4,
    /// SERVICE_CONTINUE_PENDING.
    InterfaceServiceContinuePending = 5,
    /// SERVICE_PAUSE_PENDING.
    InterfaceServicePausePending = 6,
    /// SERVICE_PAUSED.
    InterfaceServicePaused = 7
};

/// SERVICE_STATUS, field by field.
struct ServiceStatus
{
    /// The SERVICE_... type bits (0x10 for a service in a process of its own).
    DWORD serviceType;
    /// The state the service is in.
    InterfaceServiceState currentState;
    /// The SERVICE_ACCEPT_... bits of the controls it takes now.
    DWORD controlsAccepted;
    /// The Windows error code the service reports when it fails to start or stop (0 when none).
    DWORD win32ExitCode;
    /// The service's own error code, when win32ExitCode is ERROR_SERVICE_SPECIFIC_ERROR (1066).
    DWORD serviceSpecificExitCode;
    /// Grows during a long start, stop, pause or continue.
    DWORD checkPoint;
    /// The time in milliseconds the pending operation expects to need.
    DWORD waitHint;
};

/// Owns one manager or service handle (null allowed) and closes it on destruction.
class ServiceHandle : public UniqueServiceHandle
{
public:
    ///@{
    /// Owns handle (null: nothing).
    ServiceHandle() noexcept = default;

    explicit ServiceHandle(SC_HANDLE handle) noexcept : UniqueServiceHandle(handle)
    {
    ///@}
    }

    /// Closes the handle owned so far.
    ServiceHandle& operator=(SC_HANDLE handle) noexcept
    {
        Reset(handle);
        return *this;
    }

    /// The handle owned (still owned: not to be closed by the caller).
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
    /// Opens the named service of manager with access; no such service throws with code 1060.
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
    /// Starts the service with arguments; one already running throws with code 1056.
    static void ServiceStart(SC_HANDLE service, const std::vector<std::wstring>& arguments);
    /// status is changed only on success.
    static void Control(SC_HANDLE service, DWORD code, ServiceStatus& status);
    /// The service's current status; status is changed only on success.
    static void QueryStatus(SC_HANDLE service, ServiceStatus& status);
    /// Closes a manager or service handle that no ServiceHandle owns.
    static void CloseHandle(SC_HANDLE handle);
};

} // namespace HostApi
} // namespace Kelvo

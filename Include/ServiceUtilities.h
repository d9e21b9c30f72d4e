#pragma once

#include "Exception.h"
#include "UtilitiesExport.h"

#include <HostApi/Service.h>

#include <cstdint>
#include <string>

namespace Kelvo {
namespace Utilities {

/// The state of a service as ServiceUtilities::GetStatus reports it.
enum ServiceState : std::uint32_t
{
    /// Continue pending, pause pending, paused, or a state this library does not know.
    ServiceStateOther = 0,
    /// SERVICE_STOPPED.
    ServiceStateStopped = 1,
    /// SERVICE_START_PENDING.
    ServiceStateStartPending = 2,
    /// SERVICE_STOP_PENDING.
    ServiceStateStopPending = 3,
    /// SERVICE_RUNNING.
    ServiceStateRunning = 4,
    /// No service has the name (ERROR_SERVICE_DOES_NOT_EXIST, 1060).
    ServiceStateNotInstalled = 255
};

/// Controls one Windows service of the local machine, named when the object is made: install,
/// remove, start, stop, reconfigure, and its state. Start and stop only ask; they do not wait for
/// the new state. Failures throw Exception with the Windows error code and the location
/// `Source\ServiceUtilities`; Remove passes the platform's Exception on unchanged. Owns the manager
/// and service handles it keeps. Example: Examples/services_and_launching.cpp
class KELVO_UTILITIES_API ServiceUtilities
{
public:
    /// An empty name throws with 87. Nothing is opened yet.
    explicit ServiceUtilities(const std::wstring& name);
    /// Closes the handles kept by GetStatus and Install; never throws.
    virtual ~ServiceUtilities();
    /// An object owns its handles alone.
    ServiceUtilities(const ServiceUtilities&) = delete;
    ServiceUtilities& operator=(const ServiceUtilities&) = delete;

    /// ServiceStateNotInstalled when no service has the name; asked again on the next call.
    /// Keeps the manager and service handles it opens for later calls.
    ServiceState GetStatus();
    /// CreateServiceW's parameters in their order (null = not given); tag points to a DWORD. The new
    /// service's handle, with desiredAccess, is kept for GetStatus.
    void Install(const std::wstring* displayName, const unsigned int& desiredAccess, const unsigned int& serviceType,
                 const unsigned int& startType, const unsigned int& errorControl, const std::wstring* binaryPath,
                 const std::wstring* loadOrderGroup, void* tag, const std::wstring* dependencies,
                 const std::wstring* account, const std::wstring* password);
    /// Marks the service for deletion: it goes when the last handle to it, also this object's, closes.
    void Remove() const;
    /// Asks the service to start (code 1056 when it runs already, 1060 when it is not installed).
    void Start() const;
    /// Asks the service to stop (code 1062 when it is not running).
    void Stop() const;
    /// ChangeServiceConfigW's parameters in their order; SERVICE_NO_CHANGE and null keep a setting.
    void ChangeConfiguration(unsigned int serviceType, unsigned int startType, unsigned int errorControl,
                             const std::wstring* binaryPath, const std::wstring* loadOrderGroup, void* tag,
                             const std::wstring* dependencies, const std::wstring* account,
                             const std::wstring* password, const std::wstring* displayName) const;

private:
    static ServiceState ConvertServiceState(const HostApi::InterfaceServiceState& state);

    HostApi::ServiceHandle m_manager;
    HostApi::ServiceHandle m_service;
    std::wstring m_name;
};

} // namespace Utilities
} // namespace Kelvo

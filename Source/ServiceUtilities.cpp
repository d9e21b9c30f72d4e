#include "ServiceUtilities.h"

#include "Internal/Failure.h"

#include <functional>

namespace Kelvo {
namespace Utilities {

namespace {

using HostApi::Service;
using HostApi::ServiceHandle;

const DWORD ManagerConnect = 0x1;
const DWORD ManagerAllAccess = 0xF003F;
const DWORD ServiceQueryStatus = 0x4;
const DWORD ServiceChangeConfig = 0x2;
const DWORD ServiceStop = 1;
const DWORD ServiceNotInstalled = 1060;
// Generic write lacks DELETE and generic execute lacks SERVICE_CHANGE_CONFIG: without them the
// calls that need them fail with access denied.
const DWORD ForRemove = GENERIC_WRITE | DELETE;
const DWORD ForChange = GENERIC_EXECUTE | ServiceChangeConfig;

// Runs call(); the platform's failure is thrown again from site with the same code and a
// message that names the service.
template <typename Call>
auto NamingService(const std::wstring& name, const ThrowSite& site, Call call) -> decltype(call())
{
    return Relocated(site, call, [&name](const Exception& caught) {
        return caught.GetErrorMessage() + L" Service: " + name;
    });
}

// Opens manager and service with access, calls the platform once and closes both, also on failure.
void WithFreshService(const std::wstring& name, DWORD managerAccess, DWORD serviceAccess,
                      const std::function<void(SC_HANDLE)>& call)
{
    const ServiceHandle manager(Service::OpenServiceControlManager(L"", L"", managerAccess));
    const ServiceHandle service(Service::ServiceOpen(manager, name, serviceAccess));
    call(service);
}

} // namespace

ServiceUtilities::ServiceUtilities(const std::wstring& name) : m_name(name)
{
    if (m_name.empty())
    {
        ThrowError(L"Service name should not be empty!", ERROR_INVALID_PARAMETER, KELVO_SITE);
    }
}

ServiceUtilities::~ServiceUtilities() = default;

ServiceState ServiceUtilities::GetStatus()
{
    return NamingService(m_name, KELVO_SITE, [this] {
        if (!m_manager)
        {
            m_manager = Service::OpenServiceControlManager(L"", L"", ManagerConnect);
        }
        if (!m_service)
        {
            try
            {
                m_service = Service::ServiceOpen(m_manager, m_name, ServiceQueryStatus);
            }
            catch (const Exception& e)
            {
                if (e.GetErrorCode() == ServiceNotInstalled)
                {
                    return ServiceStateNotInstalled;
                }
                throw;
            }
        }
        HostApi::ServiceStatus status{};
        Service::QueryStatus(m_service, status);
        return ConvertServiceState(status.currentState);
    });
}

void ServiceUtilities::Install(const std::wstring* displayName, const unsigned int& desiredAccess,
                               const unsigned int& serviceType, const unsigned int& startType,
                               const unsigned int& errorControl, const std::wstring* binaryPath,
                               const std::wstring* loadOrderGroup, void* tag, const std::wstring* dependencies,
                               const std::wstring* account, const std::wstring* password)
{
    NamingService(m_name, KELVO_SITE, [&] {
        // A manager kept by GetStatus may only connect, and creating needs all access: opened
        // afresh every time, so that the object keeps no more fields than callers allocate.
        m_manager = Service::OpenServiceControlManager(L"", L"", ManagerAllAccess);
        // The handle kept so far is closed: nobody else can reach it.
        m_service = Service::ServiceCreate(m_manager, m_name, displayName, desiredAccess, serviceType, startType,
                                           errorControl, binaryPath, loadOrderGroup, tag, dependencies, account,
                                           password);
    });
}

void ServiceUtilities::Remove() const
{
    NamingService(m_name, KELVO_SITE, [this] {
        WithFreshService(m_name, GENERIC_WRITE, ForRemove, [](SC_HANDLE service) { Service::ServiceDelete(service); });
    });
}

void ServiceUtilities::Start() const
{
    NamingService(m_name, KELVO_SITE, [this] {
        WithFreshService(m_name, GENERIC_EXECUTE, GENERIC_EXECUTE,
                         [](SC_HANDLE service) { Service::ServiceStart(service, {}); });
    });
}

void ServiceUtilities::Stop() const
{
    NamingService(m_name, KELVO_SITE, [this] {
        WithFreshService(m_name, GENERIC_EXECUTE, GENERIC_EXECUTE, [](SC_HANDLE service) {
            HostApi::ServiceStatus status{};
            Service::Control(service, ServiceStop, status);
        });
    });
}

void ServiceUtilities::ChangeConfiguration(unsigned int serviceType, unsigned int startType,
                                           unsigned int errorControl, const std::wstring* binaryPath,
                                           const std::wstring* loadOrderGroup, void* tag,
                                           const std::wstring* dependencies, const std::wstring* account,
                                           const std::wstring* password, const std::wstring* displayName) const
{
    NamingService(m_name, KELVO_SITE, [&] {
        WithFreshService(m_name, GENERIC_EXECUTE, ForChange, [&](SC_HANDLE service) {
            Service::ChangeServiceConfiguration(service, serviceType, startType, errorControl, binaryPath,
                                                loadOrderGroup, tag, dependencies, account, password, displayName);
        });
    });
}

ServiceState ServiceUtilities::ConvertServiceState(const HostApi::InterfaceServiceState& state)
{
    switch (state)
    {
    case HostApi::InterfaceServiceStopped:
    case HostApi::InterfaceServiceStartPending:
    case HostApi::InterfaceServiceStopPending:
    case HostApi::InterfaceServiceRunning:
        return static_cast<ServiceState>(state);
    default:
        return ServiceStateOther;
    }
}

} // namespace Utilities
} // namespace Kelvo

//
// OperatingSystem.cpp
//
#include "HostApi/OperatingSystem.h"

#include "Failure.h"

namespace Kelvo {
namespace HostApi {

HANDLE OperatingSystem::GetCurrentProcessHandle()
{
    return ::GetCurrentProcess();
}

void OperatingSystem::OSGetNativeSystemInfo(const std::shared_ptr<SYSTEM_INFO>& info)
{
    if (!info)
    {
        ThrowFailure(L"GetNativeSystemInfo", ERROR_INVALID_PARAMETER, HOSTAPI_AT(OperatingSystem));
    }
    ::GetNativeSystemInfo(info.get());
}

std::wstring OperatingSystem::TempDirectory()
{
    return ReadGrowingText(L"GetTempPathW", HOSTAPI_AT(OperatingSystem),
                           [](wchar_t* buffer, DWORD capacity) { return ::GetTempPathW(capacity, buffer); });
}

std::wstring OperatingSystem::OperatingSystemRootDirectory()
{
    return ReadGrowingText(L"GetWindowsDirectoryW", HOSTAPI_AT(OperatingSystem),
                           [](wchar_t* buffer, DWORD capacity) { return ::GetWindowsDirectoryW(buffer, capacity); });
}

MEMORY_BASIC_INFORMATION OperatingSystem::VirtualQuery(HANDLE process, const void* address)
{
    MEMORY_BASIC_INFORMATION region{};
    if (::VirtualQueryEx(process, address, &region, sizeof(region)) == 0)
    {
        ThrowLastError(L"VirtualQueryEx", HOSTAPI_AT(OperatingSystem));
    }
    return region;
}

} // namespace HostApi
} // namespace Kelvo

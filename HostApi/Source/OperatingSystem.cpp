#include "HostApi/OperatingSystem.h"

#include "Internal/Failure.h"

namespace Kelvo {
namespace HostApi {

namespace {

// Runs a call of the GetTempPathW kind, call(buffer, capacity), which returns the length
// written or, when the buffer is too small, the capacity it needs; grows until the text fits.
template <typename Call>
std::wstring ReadGrowingText(const wchar_t* message, const ThrowSite& site, Call call)
{
    std::wstring text(MAX_PATH, L'\0');
    for (;;)
    {
        const DWORD length = call(&text[0], static_cast<DWORD>(text.size()));
        if (length == 0)
        {
            ThrowLastError(message, site);
        }
        if (length < text.size())
        {
            text.resize(length);
            return text;
        }
        text.resize(length);
    }
}

} // namespace

HANDLE OperatingSystem::GetCurrentProcessHandle()
{
    return ::GetCurrentProcess();
}

void OperatingSystem::OSGetNativeSystemInfo(const std::shared_ptr<SYSTEM_INFO>& info)
{
    if (!info)
    {
        ThrowError(L"GetNativeSystemInfo failed", ERROR_INVALID_PARAMETER, KELVO_SITE);
    }
    ::GetNativeSystemInfo(info.get());
}

std::wstring OperatingSystem::TempDirectory()
{
    return ReadGrowingText(L"GetTempPathW failed", KELVO_SITE,
                           [](wchar_t* buffer, DWORD capacity) { return ::GetTempPathW(capacity, buffer); });
}

std::wstring OperatingSystem::OperatingSystemRootDirectory()
{
    return ReadGrowingText(L"GetWindowsDirectoryW failed", KELVO_SITE,
                           [](wchar_t* buffer, DWORD capacity) { return ::GetWindowsDirectoryW(buffer, capacity); });
}

MEMORY_BASIC_INFORMATION OperatingSystem::VirtualQuery(HANDLE process, const void* address)
{
    MEMORY_BASIC_INFORMATION region{};
    if (::VirtualQueryEx(process, address, &region, sizeof(region)) == 0)
    {
        ThrowLastError(L"VirtualQueryEx failed", KELVO_SITE);
    }
    return region;
}

} // namespace HostApi
} // namespace Kelvo

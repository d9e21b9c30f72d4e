#include "CrossModuleProbe.h"

#include <Exception.h>
#include <HostApi/OperatingSystem.h>

namespace CrossModuleProbe {

std::uint64_t CatchHostApiFailure()
{
    try
    {
        Kelvo::HostApi::OperatingSystem::OSGetNativeSystemInfo(nullptr);
    }
    catch (const Kelvo::Utilities::Exception& e)
    {
        return e.GetErrorCode();
    }
    return 0;
}

void ThrowException(const std::wstring& message, std::uint64_t errorCode)
{
    throw Kelvo::Utilities::Exception(message, errorCode, KELVO_SOURCE_LOCATION(L"Tests\\CrossModuleProbe"));
}

std::wstring CatchFromCallback(void (*callback)())
{
    try
    {
        callback();
    }
    catch (const Kelvo::Utilities::Exception& e)
    {
        return e.GetFullMessage();
    }
    return L"nothing caught";
}

} // namespace CrossModuleProbe

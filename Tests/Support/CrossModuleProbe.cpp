#include "CrossModuleProbe.h"

#include <Exception.h>

namespace CrossModuleProbe {

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

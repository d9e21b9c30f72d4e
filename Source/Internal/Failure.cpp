#include "Internal/Failure.h"

namespace Kelvo {

using Utilities::Exception;
using Utilities::SourceLocation;

SourceLocation LocationOf(const ThrowSite& site)
{
    std::wstring file;
    for (const char* c = site.file; *c != '\0'; ++c)
    {
        file.push_back(*c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(*c)));
    }
    const std::size_t dot = file.rfind(L'.');
    if (dot != std::wstring::npos && file.find(L'\\', dot) == std::wstring::npos)
    {
        file.erase(dot);
    }
    return SourceLocation{ file, site.line };
}

void ThrowError(const std::wstring& message, std::uint64_t errorCode, const ThrowSite& site)
{
    throw Exception(message, errorCode, LocationOf(site));
}

void ThrowError(const std::wstring& message, const ThrowSite& site)
{
    throw Exception(message, LocationOf(site));
}

void ThrowLastError(const wchar_t* message, const ThrowSite& site)
{
    const DWORD error = ::GetLastError();
    ThrowError(message, error, site);
}

void ThrowAgain(const Exception& caught, const std::wstring& message, const ThrowSite& site)
{
    // A failure that had no code gets none: the coded form would add a suffix with all ones.
    if (caught.GetErrorCode() == Exception::NoErrorCode)
    {
        ThrowError(message, site);
    }
    ThrowError(message, caught.GetErrorCode(), site);
}

} // namespace Kelvo

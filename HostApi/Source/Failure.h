//
// Failure.h
//
// How HostApi reports a failed Windows call: Kelvo::Utilities::Exception with the message
// "<call> failed", the Windows error code and the throw site.
//
#pragma once

#include "Exception.h"

#include <windows.h>

#include <string>

// The SourceLocation of a throw site in HostApi/Source/<name>.cpp.
#define HOSTAPI_AT(name) KELVO_SOURCE_LOCATION(L"HostApi\\Source\\" #name)

namespace Kelvo {
namespace HostApi {

[[noreturn]] void ThrowFailure(const wchar_t* call, DWORD errorCode, const Utilities::SourceLocation& where);

// For calls that report through GetLastError: call it right after the failing call.
[[noreturn]] void ThrowLastError(const wchar_t* call, const Utilities::SourceLocation& where);

// Runs a call of the GetTempPathW kind, call(buffer, capacity), which returns the length
// written or, when the buffer is too small, the capacity it needs; grows until the text fits.
template <typename Call>
std::wstring ReadGrowingText(const wchar_t* callName, const Utilities::SourceLocation& where, Call call)
{
    std::wstring text(MAX_PATH, L'\0');
    for (;;)
    {
        const DWORD length = call(&text[0], static_cast<DWORD>(text.size()));
        if (length == 0)
        {
            ThrowLastError(callName, where);
        }
        if (length < text.size())
        {
            text.resize(length);
            return text;
        }
        text.resize(length);
    }
}

} // namespace HostApi
} // namespace Kelvo

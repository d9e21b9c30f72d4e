// How both DLLs report a failure: an Exception carrying the Windows error code and the place
// that detected it. KELVO_SITE captures that place at the call site; it becomes the recorded
// SourceLocation (the source file relative to the project root, without extension, and the
// line) only when something is thrown, so checks that pass cost nothing.
#pragma once

#include "Exception.h"
#include "Win32Exception.h"

#include <windows.h>

#include <cstdint>
#include <string>

// In namespace Kelvo itself, so that the code of both DLLs finds them unqualified.
namespace Kelvo {

struct ThrowSite
{
    const char* file; // __FILE__, which the build makes relative to the project root
    unsigned int line;
};

#define KELVO_SITE (::Kelvo::ThrowSite{ __FILE__, static_cast<unsigned int>(__LINE__) })

// "Source/OSInfo.cpp", line 12 gives Source\OSInfo and 12.
Utilities::SourceLocation LocationOf(const ThrowSite& site);

[[noreturn]] void ThrowError(const std::wstring& message, std::uint64_t errorCode, const ThrowSite& site);
// For failures that carry no Windows status.
[[noreturn]] void ThrowError(const std::wstring& message, const ThrowSite& site);
// Reads GetLastError: call it right after the failing call.
[[noreturn]] void ThrowLastError(const wchar_t* message, const ThrowSite& site);
// A caught failure again, from here: same code, the given message (usually the caught one with
// more said about what was being done).
[[noreturn]] void ThrowAgain(const Utilities::Exception& caught, const std::wstring& message, const ThrowSite& site);

// For calls that return a BOOL and report through GetLastError.
inline void CheckBool(BOOL succeeded, const wchar_t* message, const ThrowSite& site)
{
    if (!succeeded)
    {
        ThrowLastError(message, site);
    }
}

// For calls that return their status (the registry's LSTATUS and the like).
inline void CheckStatus(LONG status, const wchar_t* message, const ThrowSite& site)
{
    if (status != ERROR_SUCCESS)
    {
        ThrowError(message, static_cast<DWORD>(status), site);
    }
}

// For the classes that report Win32Exception: a status other than ERROR_SUCCESS throws it with
// that status as its code.
inline void CheckWin32Status(LONG status, const char* message)
{
    if (status != ERROR_SUCCESS)
    {
        throw Utilities::Win32Exception(static_cast<unsigned long>(status), message);
    }
}

// Runs call(); an Exception it throws is thrown again from site with the message that
// describe(caught) gives and the caught code.
template <typename Call, typename Describe>
auto Relocated(const ThrowSite& site, Call call, Describe describe) -> decltype(call())
{
    try
    {
        return call();
    }
    catch (const Utilities::Exception& caught)
    {
        ThrowAgain(caught, describe(caught), site);
    }
}

} // namespace Kelvo

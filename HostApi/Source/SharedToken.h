//
// SharedToken.h
//
// Tokens cross HostApi's interface as shared pointers whose pointer value is the handle.
//
#pragma once

#include "Internal/Failure.h"

#include <windows.h>

#include <memory>

namespace Kelvo {
namespace HostApi {

// Takes ownership of a valid token handle; should the shared pointer fail to allocate, it calls
// the deleter itself, so the handle is closed on every path.
inline std::shared_ptr<void> ShareToken(HANDLE token)
{
    return std::shared_ptr<void>(token, [](void* handle) { ::CloseHandle(handle); });
}

// The handle of a token given to an operation; a null owner throws with code 87.
inline HANDLE TokenOf(const std::shared_ptr<void>& token, const wchar_t* message, const ThrowSite& site)
{
    if (!token)
    {
        ThrowError(message, ERROR_INVALID_PARAMETER, site);
    }
    return token.get();
}

} // namespace HostApi
} // namespace Kelvo

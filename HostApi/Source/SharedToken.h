// Tokens cross HostApi's interface as shared pointers whose pointer value is the handle.
#pragma once

#include "HostApi/UniqueHandle.h"
#include "Internal/Failure.h"

#include <windows.h>

#include <memory>

namespace Kelvo {
namespace HostApi {

inline std::shared_ptr<void> ShareToken(HANDLE token)
{
    return ShareHandle<KernelHandleTraits>(token);
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

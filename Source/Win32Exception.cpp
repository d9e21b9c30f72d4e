#include "Win32Exception.h"

#include <windows.h>

namespace Kelvo {
namespace Utilities {

namespace {

// The what-text takes ": " only when there is a message to separate from the description.
std::system_error MakeSystemError(unsigned long errorCode, const char* message)
{
    const std::error_code code(static_cast<int>(errorCode), std::system_category());
    if (message == nullptr || *message == '\0')
    {
        return std::system_error(code);
    }
    return std::system_error(code, message);
}

} // namespace

Win32Exception::Win32Exception(const char* message)
    : std::system_error(MakeSystemError(::GetLastError(), message))
{
}

Win32Exception::Win32Exception(unsigned long errorCode, const char* message)
    : std::system_error(MakeSystemError(errorCode, message))
{
}

} // namespace Utilities
} // namespace Kelvo

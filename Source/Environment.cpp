#include "Environment.h"

#include "Win32Exception.h"

#include <windows.h>

namespace Kelvo {
namespace Utilities {

Environment::Environment() = default;

Environment::~Environment() = default;

Environment& Environment::operator=(const Environment&) = default;

std::wstring Environment::GetEnvironmentVariableW(const std::wstring& name)
{
    std::wstring value(16, L'\0');
    for (;;)
    {
        // A variable set to nothing also answers 0, without an error.
        ::SetLastError(ERROR_SUCCESS);
        const DWORD length = ::GetEnvironmentVariableW(name.c_str(), &value[0], static_cast<DWORD>(value.size()));
        if (length == 0)
        {
            const DWORD error = ::GetLastError();
            if (error == ERROR_SUCCESS || error == ERROR_ENVVAR_NOT_FOUND)
            {
                return std::wstring();
            }
            throw new Win32Exception(error, "GetEnvironmentVariable failed");
        }
        // Too small: length is the room needed, NUL included (the value may grow meanwhile).
        if (length < value.size())
        {
            value.resize(length);
            return value;
        }
        value.resize(length);
    }
}

} // namespace Utilities
} // namespace Kelvo

#pragma once

#include "UtilitiesExport.h"

#include <string>

namespace Kelvo {
namespace Utilities {

/// Environment variables of the calling process.
class KELVO_UTILITIES_API Environment
{
public:
    Environment();
    ~Environment();
    Environment& operator=(const Environment& other);

    /// The value of any length; empty when the variable is not set or set to nothing. Any other
    /// failure throws a new Win32Exception* ("GetEnvironmentVariable failed"): the catcher
    /// deletes it.
    std::wstring GetEnvironmentVariableW(const std::wstring& name);
};

} // namespace Utilities
} // namespace Kelvo

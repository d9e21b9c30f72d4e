#pragma once

#include "UtilitiesExport.h"

#include <string>

namespace Kelvo {
namespace Utilities {

/// Environment variables of the calling process. Owns nothing.
/// Example: Examples/files_ini_logs.cpp
class KELVO_UTILITIES_API Environment
{
public:
    /// Holds no state.
    Environment();
    ~Environment();
    /// Copies nothing: the object holds no state.
    Environment& operator=(const Environment& other);

    /// The value of any length; empty when the variable is not set or set to nothing. Any other
    /// failure throws a new Win32Exception* ("GetEnvironmentVariable failed"): the catcher
    /// deletes it.
    std::wstring GetEnvironmentVariableW(const std::wstring& name);
};

} // namespace Utilities
} // namespace Kelvo

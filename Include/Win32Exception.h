#pragma once

#include "UtilitiesExport.h"

#include <system_error>

namespace Kelvo {
namespace Utilities {

/// A std::system_error in the system category, thrown right after a failing Windows call.
/// what() is the narrow message, then ": " when the message is not empty, then the
/// standard library's description of the code.
/// Owns only its message; not derived from Exception. Read code().value() for the Windows code.
/// Example: every program in Examples/.
class KELVO_UTILITIES_API Win32Exception : public std::system_error
{
public:
    /// Takes the calling thread's last Win32 error: construct it before any other Windows call.
    explicit Win32Exception(const char* message);
    /// The same with errorCode, a status a Windows call returned or the thrower read.
    Win32Exception(unsigned long errorCode, const char* message);
};

} // namespace Utilities
} // namespace Kelvo

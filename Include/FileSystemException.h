#pragma once

#include "UtilitiesExport.h"

#include <filesystem>

namespace Kelvo {
namespace Utilities {

/// A std::filesystem::filesystem_error thrown right after a failing Windows file call. The code is
/// the calling thread's last Win32 error (system category); path1 is the path the operation read
/// from (for a copy or move, the source) and path2 the one it wrote to.
/// Owns its paths; carries no source location. Example: Examples/files_ini_logs.cpp
class KELVO_UTILITIES_API FileSystemException : public std::filesystem::filesystem_error
{
public:
    /// Both take the calling thread's last Win32 error: construct before any other Windows call.
    FileSystemException(const char* message, std::filesystem::path path1);
    /// The same with path2, the path written to.
    FileSystemException(const char* message, std::filesystem::path path1, std::filesystem::path path2);

private:
    // The public constructors read the last error first, before the message allocates anything.
    FileSystemException(std::error_code code, const char* message, std::filesystem::path path1,
                        std::filesystem::path path2);
};

} // namespace Utilities
} // namespace Kelvo

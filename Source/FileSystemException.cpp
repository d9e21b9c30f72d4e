#include "FileSystemException.h"

#include <windows.h>

namespace Kelvo {
namespace Utilities {

namespace {

std::error_code LastError()
{
    return std::error_code(static_cast<int>(::GetLastError()), std::system_category());
}

} // namespace

FileSystemException::FileSystemException(const char* message, std::filesystem::path path1)
    : FileSystemException(LastError(), message, std::move(path1), std::filesystem::path())
{
}

FileSystemException::FileSystemException(const char* message, std::filesystem::path path1,
                                         std::filesystem::path path2)
    : FileSystemException(LastError(), message, std::move(path1), std::move(path2))
{
}

FileSystemException::FileSystemException(std::error_code code, const char* message,
                                         std::filesystem::path path1, std::filesystem::path path2)
    : std::filesystem::filesystem_error(message, path1, path2, code)
{
}

} // namespace Utilities
} // namespace Kelvo

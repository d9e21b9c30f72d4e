#pragma once

#include "HostApiExport.h"
#include "UniqueHandle.h"
#include "WindowsTypes.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Kelvo {
namespace HostApi {

/// A file time: 100-nanosecond intervals since 1601-01-01 UTC, low half first.
struct _fileTime
{
    /// The lower 32 bits of the count.
    std::uint32_t LowDateTime;
    /// The upper 32 bits of the count.
    std::uint32_t HighDateTime;
};

/// The file-attribute bits of Windows (FILE_ATTRIBUTE_DIRECTORY is 0x10).
using FileAttributes = std::uint32_t;

/// The record a directory search fills with one entry.
using _Win32FindData = WIN32_FIND_DATAW;

/// File reads, version resources, module names, existence, directory searches and attributes.
/// Every failure throws Kelvo::Utilities::Exception carrying the Windows error code.
class KELVO_HOSTAPI_API FileSystemOperation
{
public:
    FileSystemOperation() = delete;

    /// Reads up to bytesToRead bytes from the file's current position into the start of buffer
    /// and sets bytesRead (0 at the end of the file). bytesToRead beyond the buffer's size throws
    /// with 87; on failure bytesRead is left as it was.
    static void FileRead(HANDLE file, std::vector<unsigned char>& buffer, DWORD bytesToRead, DWORD& bytesRead);

    /// The size in bytes of the file's version resource.
    static DWORD GetSizeOfFileVersionInfo(const std::wstring& path);
    /// Reads size bytes of the file's version resource into block.
    static void GetVersionInfoOfFile(const std::wstring& path, DWORD size, std::vector<unsigned char>& block);
    /// The fixed version record of a version resource; subBlock is "\" (the root block). A block
    /// without one throws with ERROR_RESOURCE_DATA_NOT_FOUND (1812).
    static void GetVersionQueryValue(std::vector<unsigned char> block, const std::wstring& subBlock,
                                     VS_FIXEDFILEINFO& record);

    /// The full path of module's file; a null module names the process's executable.
    static void GetFileNameOfModule(std::wstring& name, HMODULE module);
    /// Whether a file or directory of that name exists.
    static bool PathOrFileExists(const std::wstring& path);

    /// throws with code 2 (not found); the search is closed when the returned owner goes.
    /// Starts a search for pattern (such as `C:\dir\*`) with the first entry in entry. No match
    static UniqueFindHandle FindFirst(const std::wstring& pattern, _Win32FindData& entry);
    /// The next entry, or false at the end of the search.
    static bool FindNext(HANDLE search, _Win32FindData& entry);
    /// Ends the search now (the handle is given up also when closing fails).
    static void FindCloseHandle(UniqueFindHandle& search);

    /// The attribute bits of a file or directory; a missing path throws with code 2 or 3.
    static FileAttributes GetAttributesOfFileOrDirectory(const std::wstring& path);
    /// Replaces the attribute bits of a file or directory.
    static void SetAttributesOfFileOrDirectory(const std::wstring& path, FileAttributes attributes);
};

} // namespace HostApi
} // namespace Kelvo

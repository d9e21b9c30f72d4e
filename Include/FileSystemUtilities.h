#pragma once

#include "UtilitiesExport.h"

#include <HostApi/FileSystemOperation.h>

#include <cstdint>
#include <map>
#include <string>

namespace Kelvo {
namespace Utilities {

/// A file version: the four 16-bit fields of a version resource, widened.
struct _FileVersion
{
    /// The first field of "1.2.3.4".
    std::int32_t Major;
    /// The second field.
    std::int32_t Minor;
    /// The third field.
    std::int32_t Build;
    /// The fourth field.
    std::int32_t Revision;
};

/// Directory maps and tree walks, file versions, file times and attributes, through HostApi.
/// Failures of the HostApi calls pass through as its Exception with the Windows error code.
/// Static functions; owns nothing between calls. Example: Examples/files_ini_logs.cpp
class KELVO_UTILITIES_API FileSystemUtilities
{
public:
    /// The entries of one directory without "." and "..", name to true for a directory. A missing
    /// path throws Exception "Path is invalid!" with 2.
    static std::map<std::wstring, bool> GetSubitemsOfDirectory(const std::wstring& path);
    /// Everything below root and root itself, by full path without a trailing backslash, walked
    /// breadth-first. Reparse points (directory links among them) are listed, never entered, so
    /// a link back into the tree cannot make the walk endless.
    static std::map<std::wstring, bool> EnumerateDirectoryTree(const std::wstring& root);
    /// The file version of the file's version resource; an empty path leaves version as it is.
    static void GetFileVersion(const std::wstring& path, _FileVersion& version);
    /// "Major.Minor[.Build[.Revision]]", each field a number; throws Exception without a code
    /// and leaves version as it is when the text is none.
    static void ConvertStringToFileVersion(const std::wstring& text, _FileVersion& version);
    /// Whole seconds since 1970-01-01 UTC; earlier times wrap around.
    static std::uint64_t ConvertFileTimeToPosix(const HostApi::_fileTime& time);
    /// Clears those of attributes that are set; writes nothing when none is.
    static void RemoveAttribute(const std::wstring& path, const HostApi::FileAttributes& attributes);
    /// Whether path is a directory; a missing path throws HostApi's Exception (code 2 or 3).
    static bool IsDirectory(const std::wstring& path);
    /// The directory of the process's executable, with a trailing backslash (`.\` if unknown).
    static std::wstring GetApplicationDirectoryWithBackSlash();
};

} // namespace Utilities
} // namespace Kelvo

#pragma once

#include "UtilitiesExport.h"

#include <string>
#include <vector>

namespace Kelvo {
namespace Utilities {

/// Lists the entries of one directory at once; an abstract class so that callers can be tested
/// with a fake.
/// Implemented by Directory. Example: Examples/files_ini_logs.cpp
class KELVO_UTILITIES_API IDirectory
{
public:
    ///@{
    /// Interfaces hold no state: constructing, copying and assigning do nothing.
    IDirectory() = default;
    IDirectory(const IDirectory&) = default;
    IDirectory& operator=(const IDirectory&) = default;
    ///@}
    virtual ~IDirectory();

    /// The names of path's sub-directories ("." and ".." included).
    virtual std::vector<std::wstring> GetFolders(const std::wstring& path) = 0;
    /// The names of path's files that match pattern (such as `*.log`).
    virtual std::vector<std::wstring> GetFiles(const std::wstring& path, const std::wstring& pattern) = 0;
    /// The names of all of path's files.
    virtual std::vector<std::wstring> GetFiles(const std::wstring& path) = 0;
};

} // namespace Utilities
} // namespace Kelvo

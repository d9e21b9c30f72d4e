#pragma once

#include "IDirectory.h"
#include "UtilitiesExport.h"

namespace Kelvo {
namespace Utilities {

/// The entry names (not paths) of one directory, all at once, in the order Windows gives them,
/// chosen by a file-name pattern and an attribute mask. A failed search throws Win32Exception
/// "FindFirstFile failed." with the Windows error; a pattern that matches nothing gives no names.
/// Owns nothing between calls: each call closes its search.
/// Example: Examples/files_ini_logs.cpp
class KELVO_UTILITIES_API Directory : public IDirectory
{
public:
    ///@{
    /// Holds no state; copies are interchangeable.
    Directory() = default;
    Directory(const Directory&) = default;
    ///@}
    ~Directory() override;

    /// Directory entries, "." and ".." included.
    std::vector<std::wstring> GetFolders(const std::wstring& path) override;
    /// Entries with the archive, normal or not-content-indexed attribute.
    std::vector<std::wstring> GetFiles(const std::wstring& path, const std::wstring& pattern) override;
    /// Entries with the archive, normal or not-content-indexed attribute, of any name.
    std::vector<std::wstring> GetFiles(const std::wstring& path) override;

protected:
    /// Entries matching pattern whose attributes share a bit with attributes.
    virtual std::vector<std::wstring> GetItemsWithAttributes(const std::wstring& path, const std::wstring& pattern,
                                                             unsigned int attributes);
};

} // namespace Utilities
} // namespace Kelvo

#pragma once

#include "UtilitiesExport.h"

#include <string>

namespace Kelvo {
namespace Utilities {

/// Textual operations on Windows paths: the backslash is the only separator, the full stop the
/// extension mark, and nothing is normalised (no "." or "..", no case folding). Only
/// GetModuleDirectory and MakeFullPath touch the system; nothing here throws.
/// Static functions; owns nothing. Example: Examples/files_ini_logs.cpp
class KELVO_UTILITIES_API Path
{
public:
    /// "\\x..." (UNC or device) or "<drive>:\..."; everything else is relative.
    static bool IsAbsolutePath(const std::wstring& path);
    /// An absolute path as it is; a relative one below the directory of this library's DLL.
    static std::wstring MakeFullPath(const std::wstring& path);
    /// first, one backslash (added after a non-empty first), second without one leading backslash.
    static std::wstring Combine(const std::wstring& first, const std::wstring& second);
    /// The directory of this library's own DLL, without a trailing backslash.
    static std::wstring GetModuleDirectory();
    /// Everything before the last backslash.
    static std::wstring GetDirectory(const std::wstring& path);
    /// Everything after the last backslash.
    static std::wstring GetFileName(const std::wstring& path);
    /// The path without its extension: everything before the last full stop behind the last backslash.
    static std::wstring RemoveExtension(const std::wstring& path);
    /// The extension with its full stop; empty when the file name has none.
    static std::wstring GetExtension(const std::wstring& path);
    ///@{
    /// `C:\logs\scan.log`, '_', "old" gives `C:\logs\scan_old.log`; a number goes in as decimal text.
    static std::wstring InsertBeforeExtension(const std::wstring& path, wchar_t separator, const std::wstring& text);
    static std::wstring InsertBeforeExtension(const std::wstring& path, wchar_t separator, int number);
    ///@}
};

} // namespace Utilities
} // namespace Kelvo

#pragma once

#include "IIniFile.h"
#include "UtilitiesExport.h"

#include <string>
#include <vector>

namespace Kelvo {
namespace Utilities {

/// An INI file read and written through the private-profile functions of Windows. Missing files
/// and keys read as the default; failed writes throw Win32Exception "WriteStringValue failed.".
/// Owns only the path; Windows opens the file for each call. Example: Examples/files_ini_logs.cpp
class KELVO_UTILITIES_API IniFile : public IIniFile
{
public:
    /// No path yet: set one with Initialize.
    IniFile();
    /// Reads and writes the file path (not opened or checked yet).
    explicit IniFile(const std::wstring& path);
    ///@{
    /// The same path.
    IniFile(const IniFile& other);
    IniFile& operator=(const IniFile& other);
    ///@}
    ~IniFile();

    /// Replaces the path; nothing is opened or checked.
    void Initialize(const std::wstring& path) override;
    /// The value whatever its length; defaultValue when it is missing or empty. An empty section
    /// or key throws std::exception "Invalid parameter.".
    std::wstring ReadStringValue(const std::wstring& section, const std::wstring& key,
                                 const std::wstring& defaultValue) override;
    /// Leading decimal digits of the value, or defaultValue.
    int ReadIntValue(const std::wstring& section, const std::wstring& key, int defaultValue) override;
    /// A line break anywhere, a ']' in the section, an '=' in the key or a key that starts with '['
    /// or ';' would put entries of the text's making into the file: refused with code 87, and
    /// nothing is written.
    void WriteStringValue(const std::wstring& section, const std::wstring& key, const std::wstring& value) override;
    /// The decimal text of value, written through WriteStringValue (overrides see it too).
    void WriteIntValue(const std::wstring& section, const std::wstring& key, int value) override;
    /// Puts lines in front of the file's lines and stores the file as UTF-16 with a byte-order
    /// mark; an 8-bit file is read in the ANSI code page, as the profile functions read it. The
    /// file is replaced in one step: a failure (FileSystemException) leaves the old file whole. No
    /// path throws std::exception "Not initialized inifile.".
    void WriteHeader(const std::vector<std::wstring>& lines) override;

protected:
    /// Always empty.
    std::wstring ReadHeader() override;

private:
    std::wstring m_path;
};

} // namespace Utilities
} // namespace Kelvo

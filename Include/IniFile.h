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
///
/// Writers of one file take turns, in every process of the session: each value write and each
/// header (its read, rewrite and replacement as a whole) holds a lock named after the file's full
/// path, so a header never drops a value whose write returned. A writer waits for the lock up to
/// 10 seconds, then gives up with code 258 (WAIT_TIMEOUT), having written nothing. Writers that
/// go to the profile functions without an IniFile are not kept out.
///
/// The profile functions take paths of fewer than MAX_PATH (260) characters: with a longer path
/// every operation that uses them throws Win32Exception with code 206
/// (ERROR_FILENAME_EXCED_RANGE) before touching any file. WriteHeader works on any path.
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
    /// or key throws std::exception "Invalid parameter."; a long path "ReadStringValue failed.".
    std::wstring ReadStringValue(const std::wstring& section, const std::wstring& key,
                                 const std::wstring& defaultValue) override;
    /// Leading decimal digits of the value, or defaultValue. A long path throws "ReadIntValue
    /// failed.".
    int ReadIntValue(const std::wstring& section, const std::wstring& key, int defaultValue) override;
    /// A line break anywhere, a ']' in the section, an '=' in the key or a key that starts with '['
    /// or ';' would put entries of the text's making into the file: refused with code 87, and
    /// nothing is written.
    void WriteStringValue(const std::wstring& section, const std::wstring& key, const std::wstring& value) override;
    /// The decimal text of value, written through WriteStringValue (overrides see it too).
    void WriteIntValue(const std::wstring& section, const std::wstring& key, int value) override;
    /// Puts lines in front of the file's lines and stores the file as UTF-16 with a byte-order
    /// mark; an 8-bit file is read in the ANSI code page, as the profile functions read it. The
    /// file is replaced in one step by a new file beside it: a failure (FileSystemException; a
    /// write that stops short, code 112, ERROR_DISK_FULL) leaves the old file whole and removes
    /// the new one. A writer lock not had in time throws "WriteHeader failed." with code 258. No
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

#pragma once

#include "UtilitiesExport.h"

#include <string>
#include <vector>

namespace Kelvo {
namespace Utilities {

/// Values of a Windows INI file and header lines at its top; an abstract class so that callers
/// can be tested with a fake.
/// Implemented by IniFile. Example: Examples/files_ini_logs.cpp
class KELVO_UTILITIES_API IIniFile
{
public:
    ///@{
    /// Interfaces hold no state: constructing, copying and assigning do nothing.
    IIniFile() = default;
    IIniFile(const IIniFile&) = default;
    IIniFile& operator=(const IIniFile&) = default;

    ///@}
    /// Names the file the other operations use.
    virtual void Initialize(const std::wstring& path) = 0;
    /// The value of key in section, or defaultValue.
    virtual std::wstring ReadStringValue(const std::wstring& section, const std::wstring& key,
                                         const std::wstring& defaultValue) = 0;
    /// The value of key in section as a number, or defaultValue.
    virtual int ReadIntValue(const std::wstring& section, const std::wstring& key, int defaultValue) = 0;
    /// Writes value as key in section, creating the file, section or key as needed.
    virtual void WriteStringValue(const std::wstring& section, const std::wstring& key, const std::wstring& value) = 0;
    /// Writes the number value as key in section.
    virtual void WriteIntValue(const std::wstring& section, const std::wstring& key, int value) = 0;
    /// Puts lines in front of the file's lines.
    virtual void WriteHeader(const std::vector<std::wstring>& lines) = 0;

protected:
    /// The header lines at the file's top.
    virtual std::wstring ReadHeader() = 0;

    /// Not virtual: the interface's slots hold its operations only. Protected, so that deleting
    /// through the interface does not compile (it could not reach the implementation's destructor).
    ~IIniFile();
};

} // namespace Utilities
} // namespace Kelvo

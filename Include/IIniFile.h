#pragma once

#include "UtilitiesExport.h"

#include <string>
#include <vector>

namespace Kelvo {
namespace Utilities {

/// Values of a Windows INI file and header lines at its top; an abstract class so that callers
/// can be tested with a fake.
class KELVO_UTILITIES_API IIniFile
{
public:
    IIniFile() = default;
    IIniFile(const IIniFile&) = default;
    IIniFile& operator=(const IIniFile&) = default;

    virtual void Initialize(const std::wstring& path) = 0;
    virtual std::wstring ReadStringValue(const std::wstring& section, const std::wstring& key,
                                         const std::wstring& defaultValue) = 0;
    virtual int ReadIntValue(const std::wstring& section, const std::wstring& key, int defaultValue) = 0;
    virtual void WriteStringValue(const std::wstring& section, const std::wstring& key, const std::wstring& value) = 0;
    virtual void WriteIntValue(const std::wstring& section, const std::wstring& key, int value) = 0;
    virtual void WriteHeader(const std::vector<std::wstring>& lines) = 0;

protected:
    virtual std::wstring ReadHeader() = 0;

    /// Not virtual: the interface's slots hold its operations only. Protected, so that deleting
    /// through the interface does not compile (it could not reach the implementation's destructor).
    ~IIniFile();
};

} // namespace Utilities
} // namespace Kelvo

#pragma once

#include "UtilitiesExport.h"

#include <string>
#include <vector>

namespace Kelvo {
namespace Utilities {

/// One registry key behind an abstract class, so that callers can be tested with a fake.
/// Readers give a default for a missing key or value; writers need the key to exist.
class KELVO_UTILITIES_API IRegistryKey
{
public:
    IRegistryKey() = default;
    IRegistryKey(const IRegistryKey&) = default;
    IRegistryKey& operator=(const IRegistryKey&) = default;
    virtual ~IRegistryKey();

    virtual std::wstring GetStringValue(const std::wstring& name, const std::wstring& defaultValue) = 0;
    virtual unsigned int GetUint32Value(const std::wstring& name, unsigned int defaultValue) = 0;
    virtual std::vector<unsigned char> GetBinaryValue(const std::wstring& name) = 0;
    virtual void SetValue(const std::wstring& name, const std::vector<unsigned char>& bytes) = 0;
    virtual void SetValue(const std::wstring& name, unsigned int value) = 0;
    virtual void SetValue(const std::wstring& name, const std::wstring& text) = 0;
};

} // namespace Utilities
} // namespace Kelvo

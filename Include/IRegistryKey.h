#pragma once

#include "UtilitiesExport.h"

#include <string>
#include <vector>

namespace Kelvo {
namespace Utilities {

/// One registry key behind an abstract class, so that callers can be tested with a fake.
/// Readers give a default for a missing key or value; writers need the key to exist.
/// Implemented by RegistryKey. Example: Examples/registry.cpp
class KELVO_UTILITIES_API IRegistryKey
{
public:
    ///@{
    /// Interfaces hold no state: constructing, copying and assigning do nothing.
    IRegistryKey() = default;
    IRegistryKey(const IRegistryKey&) = default;
    IRegistryKey& operator=(const IRegistryKey&) = default;
    ///@}
    virtual ~IRegistryKey();

    /// The REG_SZ value name, or defaultValue when the key or value is missing.
    virtual std::wstring GetStringValue(const std::wstring& name, const std::wstring& defaultValue) = 0;
    /// The REG_DWORD value name, or defaultValue when the key or value is missing.
    virtual unsigned int GetUint32Value(const std::wstring& name, unsigned int defaultValue) = 0;
    /// The REG_BINARY value name; empty when the key or value is missing.
    virtual std::vector<unsigned char> GetBinaryValue(const std::wstring& name) = 0;
    /// Writes bytes as the REG_BINARY value name.
    virtual void SetValue(const std::wstring& name, const std::vector<unsigned char>& bytes) = 0;
    /// Writes value as the REG_DWORD value name.
    virtual void SetValue(const std::wstring& name, unsigned int value) = 0;
    /// Writes text as the REG_SZ value name.
    virtual void SetValue(const std::wstring& name, const std::wstring& text) = 0;
};

} // namespace Utilities
} // namespace Kelvo

#pragma once

#include "IRegistryKey.h"
#include "RegistryTypes.h"
#include "UtilitiesExport.h"

#include <HostApi/UniqueHandle.h>

#include <string>
#include <vector>

namespace Kelvo {
namespace Utilities {

/// One registry key below a predefined root, opened on first use and kept open until the object
/// goes. Failures of the registry throw Win32Exception with the status the registry returned.
/// A copy names the same key and opens it again on its own first use.
/// Owns its key handle. Example: Examples/registry.cpp
class KELVO_UTILITIES_API RegistryKey : public IRegistryKey
{
public:
    /// Names subKey below baseKey; nothing is opened yet.
    RegistryKey(ERegistryBaseKey baseKey, const std::wstring& subKey);
    ///@{
    /// Names other's key; the copy opens it again on its own first use.
    RegistryKey(const RegistryKey& other);
    RegistryKey& operator=(const RegistryKey& other);
    ///@}
    ~RegistryKey() override;

    ///@{
    /// Readers: a missing key or value gives the default (GetBinaryValue: no bytes). Other
    /// failures throw Win32Exception with the registry's status.
    std::wstring GetStringValue(const std::wstring& name, const std::wstring& defaultValue) override;
    unsigned int GetUint32Value(const std::wstring& name, unsigned int defaultValue) override;
    std::vector<unsigned char> GetBinaryValue(const std::wstring& name) override;
    ///@}
    ///@{
    /// Writers: REG_BINARY, REG_DWORD and REG_SZ; the key must exist. Failures throw
    /// Win32Exception with the registry's status (2 for a missing key).
    void SetValue(const std::wstring& name, const std::vector<unsigned char>& bytes) override;
    void SetValue(const std::wstring& name, unsigned int value) override;
    void SetValue(const std::wstring& name, const std::wstring& text) override;
    ///@}
    /// Creates the sub-key name of this existing key; an existing sub-key is left as it is. Throws
    /// Win32Exception "RegOpenKey failed." or "RegCreateKey failed." with the registry's status.
    virtual void CreateSubKey(const std::wstring& name);
    /// A sub-key that does not exist counts as deleted. A name of no sub-key (empty, or only
    /// backslashes) throws Win32Exception with code 87: it would delete this key itself.
    virtual void DeleteSubKey(const std::wstring& name);

protected:
    /// The Windows status of opening the key (0 once it is open).
    long TryOpen();
    /// Opens the key unless it is open; throws Win32Exception "RegOpenKey failed." with the status.
    void Open();
    /// False when the key does not exist.
    bool TryOpenForRead();

private:
    // "Not open" is all ones, as this field of the object has always held it; null would serve
    // Windows equally, but not code built to look for all ones.
    using KeyHandle = HostApi::UniqueHandle<HostApi::HandleTraits<HKEY, &::RegCloseKey, HostApi::InvalidHandleValue::AllOnes>>;

    KeyHandle m_key;
    std::wstring m_subKey;
    ERegistryBaseKey m_baseKey;
};

} // namespace Utilities
} // namespace Kelvo

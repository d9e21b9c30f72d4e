#pragma once

#include "HostApiExport.h"

#include <cstdint>
#include <string>
#include <vector>

struct _SECURITY_ATTRIBUTES;

namespace Kelvo {
namespace HostApi {

/// The Windows SECURITY_ATTRIBUTES of a key to be created (null: the default security).
using SecurityAttributes = _SECURITY_ATTRIBUTES;

/// Registry keys and values. Keys cross this interface as unsigned 64-bit numbers (0 = none) in
/// both builds; the predefined roots are their 32-bit values (0x80000001 for HKEY_CURRENT_USER).
/// Every failure throws Kelvo::Utilities::Exception with the status the registry returned.
class KELVO_HOSTAPI_API Registry
{
public:
    Registry() = delete;

    /// Opens subKey below parent with access (registry access bits, view bits included); the caller
    /// closes the key with CloseKey. A missing key throws with code 2, a denied one with 5.
    static std::uint64_t OpenKey(std::uint64_t parent, const std::wstring& subKey, std::uint32_t access);
    /// disposition, when given, receives REG_CREATED_NEW_KEY or REG_OPENED_EXISTING_KEY.
    static std::uint64_t CreateKey(std::uint64_t parent, const std::wstring& subKey, std::uint32_t options,
                                   std::uint32_t access, SecurityAttributes* security, std::uint32_t* disposition);
    /// Closes key and sets it to 0; a key of 0 is left alone.
    static void CloseKey(std::uint64_t& key);
    /// Deletes the sub-key name (which must have no sub-keys) in the registry view named by the
    /// view bits of access (KEY_WOW64_64KEY or KEY_WOW64_32KEY; 0 for the process's own view).
    /// A name of no sub-key (empty, or only backslashes) throws with code 87.
    static void DeleteKey(std::uint64_t parent, const std::wstring& name, std::uint32_t access = 0);
    /// Deletes the value name of key; a missing value throws with code 2.
    static void DeleteValue(std::uint64_t key, const std::wstring& name);
    /// The empty name is the key's default value. type and data change only on success.
    static void QueryValue(std::uint64_t key, const std::wstring& name, std::uint32_t& type,
                           std::vector<unsigned char>& data);
    /// Writes data as the value name of key with the registry type type, replacing any old value.
    static void SetValue(std::uint64_t key, const std::wstring& name, std::uint32_t type,
                         const std::vector<unsigned char>& data);
    ///@{
    /// The name of the sub-key or value at index; capacity (in characters, with the NUL) is a
    /// first guess that grows when a longer name has appeared since it was taken.
    static void EnumerateKey(std::uint64_t key, std::uint32_t index, std::wstring& name, std::uint32_t capacity);
    static void EnumerateValue(std::uint64_t key, std::uint32_t index, std::wstring& name, std::uint32_t capacity);
    ///@}
    /// The longest lengths are in characters, without the NUL.
    static void QueryInfoKey(std::uint64_t key, std::uint32_t& subKeyCount, std::uint32_t& longestSubKeyName,
                             std::uint32_t& valueCount, std::uint32_t& longestValueName);
};

} // namespace HostApi
} // namespace Kelvo

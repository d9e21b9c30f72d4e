#pragma once

#include "Exception.h"
#include "RegistryTypes.h"
#include "UtilitiesExport.h"

#include <HostApi/Registry.h>

#include <cstdint>
#include <string>
#include <vector>

namespace Kelvo {
namespace Utilities {

/// Registry access through one current key, and the registry's text forms: value types by name,
/// value data as text (bytes as "0A, FF", strings, multi-strings joined by "[endOfString]") and
/// back, root keys. Every failure throws Exception with the location `Source\RegistryUtilities`;
/// failures of registry calls carry the Windows status (2 not found, 5 access denied) and a
/// message naming root, sub-key, value and view. Owns the current key.
/// Example: Examples/registry.cpp (and the guide's section on the registry's text forms)
class KELVO_UTILITIES_API RegistryUtilities
{
public:
    ///@{
    /// The predefined root handles (HKEY_CLASSES_ROOT, _CURRENT_USER, _LOCAL_MACHINE, _USERS,
    /// _CURRENT_CONFIG).
    static constexpr std::uint64_t s_m_HKeyClassesRoot = 0x80000000u;
    static constexpr std::uint64_t s_m_HKeyCurrentUser = 0x80000001u;
    static constexpr std::uint64_t s_m_HKeyLocalMachine = 0x80000002u;
    static constexpr std::uint64_t s_m_HKeyUsers = 0x80000003u;
    static constexpr std::uint64_t s_m_HKeyCurrentConfig = 0x80000005u;
    ///@}

    ///@{
    /// Registry access masks: KEY_READ, KEY_WRITE, KEY_ALL_ACCESS, KEY_QUERY_VALUE, KEY_SET_VALUE,
    /// and the view bits KEY_WOW64_64KEY and KEY_WOW64_32KEY.
    static constexpr std::uint32_t s_m_RegKeyRead = 0x20019u;
    static constexpr std::uint32_t s_m_RegKeyWrite = 0x20006u;
    static constexpr std::uint32_t s_m_RegKeyAllAccess = 0xF003Fu;
    static constexpr std::uint32_t s_m_RegKeyQueryValue = 0x1u;
    static constexpr std::uint32_t s_m_RegKeySetValue = 0x2u;
    static constexpr std::uint32_t s_m_RegKeyWow64Key = 0x100u;
    static constexpr std::uint32_t s_m_RegKeyWow32Key = 0x200u;
    ///@}

    /// ", " between the bytes of a byte list.
    static const std::wstring m_s_binaryValueSeparator;
    /// "[endOfString]" between the strings of a multi-string.
    static const std::wstring m_s_multiStringSeparator;

    /// No current key.
    RegistryUtilities();
    /// Closes the current key; never throws.
    virtual ~RegistryUtilities();
    /// An object owns its key handle alone.
    RegistryUtilities(const RegistryUtilities&) = delete;
    RegistryUtilities& operator=(const RegistryUtilities&) = delete;

    /// The current key, 0 when none is open.
    std::uint64_t GetHandle() const;

    ///@{
    /// Open or create the key in the 64-bit view (flag true) or the 32-bit view (false) and make
    /// it current; a key that was current before is closed once the new one is open. An access
    /// wish or root out of range throws "Invalid parameter!" (87); a failed call throws with the
    /// key message, such as "... RootKey: HKEY_LOCAL_MACHINE SubKey: Software\\X (32 bit)", and
    /// the Windows status. disposition, when given, tells whether the key was created.
    void RegistryOpenKey(RegistryRootKey root, const std::wstring& subKey, const RegistryDesiredAccess& access,
                         bool is64BitView);
    void RegistryCreateKey(RegistryRootKey root, const std::wstring& subKey, const RegistryDesiredAccess& access,
                           bool is64BitView, RegistryOptions options, HostApi::SecurityAttributes* security,
                           RegistryDisposition* disposition);
    ///@}
    /// Closes the current key, if any; never throws.
    void RegistryCloseCurrentKey();

    /// Reads a value of the current key; the empty name is the default value. Outputs change only
    /// on success; a missing value throws with code 2 and the value's name in the message.
    void RegistryGetValueFromCurrentKey(const std::wstring& valueName, std::vector<unsigned char>& data,
                                        RegistryValueType& type) const;
    /// Writes the bytes as they are (ConvertWideStringToValueData prepares them from text).
    void RegistrySetValueFromCurrentKey(const std::wstring& valueName, const std::vector<unsigned char>& data,
                                        RegistryValueType type) const;
    /// Deletes a value of the current key; a missing value throws with code 2.
    void RegistryDeleteValueFromCurrentKey(const std::wstring& valueName) const;
    ///@{
    /// The names of the current key's sub-keys or values, in the registry's order; empty when
    /// there are none.
    std::vector<std::wstring> RegistryGetSubkeysFromCurrentKey() const;
    std::vector<std::wstring> RegistryGetValuesFromCurrentKey() const;
    ///@}

    /// Deletes the key and everything below it; the current key is not touched. A sub-key that
    /// names no key below the root (empty, or only backslashes) throws "Invalid parameter!" (87)
    /// and deletes nothing.
    void RegistryDeleteTree(RegistryRootKey root, const std::wstring& subKey, bool is64BitView);
    /// Whether the key exists in the 32-bit view; only "not found" (2) answers false.
    static bool KeyExists(RegistryRootKey root, const std::wstring& subKey);

    /// The type's name, such as "REG_DWORD"; a type outside 0 to 11 throws "Cannot resolve
    /// registry value type to string".
    static std::wstring ConvertValueTypeToWideString(const RegistryValueType& type);
    /// The type of an exact, case-sensitive name; any other text throws "Cannot resolve string to
    /// registry value type: " and the text.
    static RegistryValueType ConvertWideStringToValueType(const std::wstring& text);
    /// The text form of data: REG_BINARY, REG_DWORD(_BIG_ENDIAN) and REG_QWORD as upper-case
    /// bytes in storage order ("01, 00, 00, 00" for the REG_DWORD 1); strings up to the first NUL;
    /// multi-strings joined by "[endOfString]". Other types throw "Cannot resolve registry value
    /// data".
    static std::wstring ConvertValueDataToWideString(const RegistryValueType& type, const std::vector<unsigned char>& data);
    /// The data of a text form, the inverse of ConvertValueDataToWideString: number types take
    /// hexadecimal bytes, not decimal ("42" as REG_DWORD is 0x42, 66), padded to the type's size;
    /// strings gain their NUL. Throws "Not a hexadecimal byte", "Value is not hexadecimal", a
    /// "too long" message with code 87, or "Cannot resolve registry value data".
    static std::vector<unsigned char> ConvertWideStringToValueData(const RegistryValueType& type, const std::wstring& text);
    /// The number in REG_DWORD (little-endian) or REG_DWORD_BIG_ENDIAN data of exactly four bytes;
    /// anything else throws "Cannot resolve registry value data".
    static unsigned int ConvertValueDataToDWord(const RegistryValueType& type, const std::vector<unsigned char>& data);
    /// "0x80000000" to "0x80000005" give their root; anything else gives HKEY_LOCAL_MACHINE.
    static RegistryRootKey ConvertStringToRegRootKey(const std::wstring& text);
    /// Pads data with zero bytes to a whole number of the type's blocks (4 or 8 bytes).
    static void NormalizeValueData(const RegistryValueType& type, std::vector<unsigned char>& data);
    /// The key's name as the Windows security functions want it, such as `CURRENT_USER\Software\X`;
    /// subKey is not changed. A root outside 1 to 5 throws "Invalid Registry Root key identifier".
    static std::wstring ConvertRegistryKeyToPath(const RegistryRootKey& root, std::wstring& subKey);

private:
    static unsigned char GetDataBlockSize(const RegistryValueType& type);
    static std::uint64_t GetRootKeyHandle(RegistryRootKey root);
    static std::vector<unsigned char> ConvertBinaryTypesToValueData(const std::wstring& text);
    static std::wstring ConvertValueDataToBinaryTypes(const std::vector<unsigned char>& data);
    static unsigned char ConvertHexValueToByteBlock(const std::wstring& twoDigits);
    static unsigned char GetValueOfHexCharacter(wchar_t digit);
    static std::vector<unsigned char> ConvertWideStringToValueData(const std::wstring& text);
    static std::wstring ConvertValueDataToWideString(const std::vector<unsigned char>& data);
    static std::vector<unsigned char> ConvertMultiStringToValueData(const std::wstring& text);
    static std::wstring ConvertValueDataToMultiString(const std::vector<unsigned char>& data);

    std::wstring CreateErrorMessageWithKeyInformation(const Exception& caught, const std::wstring& valueName) const;
    // Stores root, sub-key and view for the messages; returns the root's handle.
    std::uint64_t SelectKey(RegistryRootKey root, const std::wstring& subKey, bool is64BitView);
    // Makes key current, closing the key that was current before.
    void ReplaceCurrentKey(std::uint64_t key);
    std::vector<std::wstring> ListNames(bool subKeys) const;

    std::wstring m_subKey;
    RegistryRootKey m_root;
    bool m_is64BitView;
    std::uint64_t m_key;
};

} // namespace Utilities
} // namespace Kelvo

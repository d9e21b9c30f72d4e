#include "RegistryUtilities.h"

#include "Internal/Failure.h"
#include "Internal/HexText.h"
#include "Internal/LineEncoding.h"

#include <HostApi/UniqueHandle.h>

#include <utility>

namespace Kelvo {
namespace Utilities {

namespace {

// A key number of the platform-call module, closed exactly once.
struct KeyNumberTraits
{
    using Type = std::uint64_t;

    static Type Invalid() noexcept
    {
        return 0;
    }

    static bool IsValid(Type key) noexcept
    {
        return key != 0;
    }

    static void Close(Type key) noexcept
    {
        try
        {
            HostApi::Registry::CloseKey(key);
        }
        catch (...)
        {
            // Nothing to do about a key that does not close.
        }
    }
};

using ScopedKey = HostApi::UniqueHandle<KeyNumberTraits>;

const wchar_t* const ValueTypeNames[] = {
    L"REG_NONE",      L"REG_SZ",    L"REG_EXPAND_SZ",       L"REG_BINARY",
    L"REG_DWORD",     L"REG_DWORD_BIG_ENDIAN", L"REG_LINK", L"REG_MULTI_SZ",
    L"REG_RESOURCE_LIST", L"REG_FULL_RESOURCE_DESCRIPTOR", L"REG_RESOURCE_REQUIREMENTS_LIST", L"REG_QWORD",
};
const std::uint32_t ValueTypeCount = sizeof(ValueTypeNames) / sizeof(ValueTypeNames[0]);

const wchar_t* const CannotResolveData = L"Cannot resolve registry value data";
const wchar_t* const InvalidParameter = L"Invalid parameter!";

bool IsRoot(RegistryRootKey root)
{
    return root >= RootClassesRoot && root <= RootCurrentConfig;
}

bool IsByteList(RegistryValueType type)
{
    return type == RegBinary || type == RegDword || type == RegDwordBigEndian || type == RegQword;
}

bool IsString(RegistryValueType type)
{
    return type == RegSz || type == RegExpandSz;
}

std::uint32_t MaskFor(RegistryDesiredAccess access)
{
    switch (access)
    {
    case AccessAll:
        return RegistryUtilities::s_m_RegKeyAllAccess;
    case AccessRead:
        return RegistryUtilities::s_m_RegKeyRead;
    case AccessWrite:
        return RegistryUtilities::s_m_RegKeyWrite;
    default:
        ThrowError(InvalidParameter, ERROR_INVALID_PARAMETER, KELVO_SITE);
    }
}

std::uint32_t ViewBit(bool is64BitView)
{
    return is64BitView ? RegistryUtilities::s_m_RegKeyWow64Key : RegistryUtilities::s_m_RegKeyWow32Key;
}

const wchar_t* RootDisplayName(RegistryRootKey root)
{
    const wchar_t* const names[] = { L"HKEY_CLASSES_ROOT", L"HKEY_CURRENT_USER", L"HKEY_LOCAL_MACHINE", L"HKEY_USERS",
                                     L"HKEY_CURRENT_CONFIG" };
    return IsRoot(root) ? names[root - 1] : L"Invalid RootKey";
}

// Code units, low byte first, and the closing NUL.
void AppendString(std::vector<unsigned char>& data, const std::wstring& text)
{
    AppendUtf16LittleEndian(data, text, L'\0');
}

wchar_t CodeUnitAt(const std::vector<unsigned char>& data, std::size_t offset)
{
    return static_cast<wchar_t>(data[offset] | (data[offset + 1] << 8));
}

} // namespace

// Redundant in C++17 (constexpr members are inline) but not removable: these definitions are
// what makes the DLL export the constants.
constexpr std::uint64_t RegistryUtilities::s_m_HKeyClassesRoot;
constexpr std::uint64_t RegistryUtilities::s_m_HKeyCurrentUser;
constexpr std::uint64_t RegistryUtilities::s_m_HKeyLocalMachine;
constexpr std::uint64_t RegistryUtilities::s_m_HKeyUsers;
constexpr std::uint64_t RegistryUtilities::s_m_HKeyCurrentConfig;
constexpr std::uint32_t RegistryUtilities::s_m_RegKeyRead;
constexpr std::uint32_t RegistryUtilities::s_m_RegKeyWrite;
constexpr std::uint32_t RegistryUtilities::s_m_RegKeyAllAccess;
constexpr std::uint32_t RegistryUtilities::s_m_RegKeyQueryValue;
constexpr std::uint32_t RegistryUtilities::s_m_RegKeySetValue;
constexpr std::uint32_t RegistryUtilities::s_m_RegKeyWow64Key;
constexpr std::uint32_t RegistryUtilities::s_m_RegKeyWow32Key;
const std::wstring RegistryUtilities::m_s_binaryValueSeparator = L", ";
const std::wstring RegistryUtilities::m_s_multiStringSeparator = L"[endOfString]";

RegistryUtilities::RegistryUtilities() : m_root(static_cast<RegistryRootKey>(0)), m_is64BitView(false), m_key(0)
{
}

RegistryUtilities::~RegistryUtilities()
{
    RegistryCloseCurrentKey();
}

std::uint64_t RegistryUtilities::GetHandle() const
{
    return m_key;
}

void RegistryUtilities::RegistryOpenKey(RegistryRootKey root, const std::wstring& subKey,
                                        const RegistryDesiredAccess& access, bool is64BitView)
{
    const std::uint32_t mask = MaskFor(access) | ViewBit(is64BitView);
    const std::uint64_t rootHandle = SelectKey(root, subKey, is64BitView);
    Relocated(
        KELVO_SITE, [&] { ReplaceCurrentKey(HostApi::Registry::OpenKey(rootHandle, subKey, mask)); },
        [this](const Exception& e) { return CreateErrorMessageWithKeyInformation(e, L""); });
}

void RegistryUtilities::RegistryCreateKey(RegistryRootKey root, const std::wstring& subKey,
                                          const RegistryDesiredAccess& access, bool is64BitView,
                                          RegistryOptions options, HostApi::SecurityAttributes* security,
                                          RegistryDisposition* disposition)
{
    const std::uint32_t mask = MaskFor(access) | ViewBit(is64BitView);
    const std::uint64_t rootHandle = SelectKey(root, subKey, is64BitView);
    std::uint32_t created = 0;
    Relocated(
        KELVO_SITE,
        [&] { ReplaceCurrentKey(HostApi::Registry::CreateKey(rootHandle, subKey, options, mask, security, &created)); },
        [this](const Exception& e) { return CreateErrorMessageWithKeyInformation(e, L""); });
    if (created != 0 && disposition != nullptr)
    {
        *disposition = static_cast<RegistryDisposition>(created);
    }
}

void RegistryUtilities::RegistryCloseCurrentKey()
{
    const ScopedKey closing(std::exchange(m_key, 0));
}

void RegistryUtilities::RegistryGetValueFromCurrentKey(const std::wstring& valueName, std::vector<unsigned char>& data,
                                                       RegistryValueType& type) const
{
    std::uint32_t kind = 0;
    Relocated(
        KELVO_SITE, [&] { HostApi::Registry::QueryValue(m_key, valueName, kind, data); },
        [&](const Exception& e) { return CreateErrorMessageWithKeyInformation(e, valueName); });
    type = static_cast<RegistryValueType>(kind);
}

void RegistryUtilities::RegistrySetValueFromCurrentKey(const std::wstring& valueName,
                                                       const std::vector<unsigned char>& data,
                                                       RegistryValueType type) const
{
    Relocated(
        KELVO_SITE, [&] { HostApi::Registry::SetValue(m_key, valueName, type, data); },
        [&](const Exception& e) { return CreateErrorMessageWithKeyInformation(e, valueName); });
}

void RegistryUtilities::RegistryDeleteValueFromCurrentKey(const std::wstring& valueName) const
{
    Relocated(
        KELVO_SITE, [&] { HostApi::Registry::DeleteValue(m_key, valueName); },
        [&](const Exception& e) { return CreateErrorMessageWithKeyInformation(e, valueName); });
}

std::vector<std::wstring> RegistryUtilities::RegistryGetSubkeysFromCurrentKey() const
{
    return ListNames(true);
}

std::vector<std::wstring> RegistryUtilities::RegistryGetValuesFromCurrentKey() const
{
    return ListNames(false);
}

std::vector<std::wstring> RegistryUtilities::ListNames(bool subKeys) const
{
    std::vector<std::wstring> names;
    Relocated(
        KELVO_SITE,
        [&] {
            std::uint32_t subKeyCount = 0, longestSubKey = 0, valueCount = 0, longestValue = 0;
            HostApi::Registry::QueryInfoKey(m_key, subKeyCount, longestSubKey, valueCount, longestValue);
            const std::uint32_t count = subKeys ? subKeyCount : valueCount;
            const std::uint32_t capacity = (subKeys ? longestSubKey : longestValue) + 1;
            names.resize(count);
            for (std::uint32_t index = 0; index < count; ++index)
            {
                if (subKeys)
                {
                    HostApi::Registry::EnumerateKey(m_key, index, names[index], capacity);
                }
                else
                {
                    HostApi::Registry::EnumerateValue(m_key, index, names[index], capacity);
                }
            }
        },
        [this](const Exception& e) { return CreateErrorMessageWithKeyInformation(e, L""); });
    return names;
}

void RegistryUtilities::RegistryDeleteTree(RegistryRootKey root, const std::wstring& subKey, bool is64BitView)
{
    // A sub-key that names no key below the root would make the whole root the tree to delete.
    if (subKey.find_first_not_of(L'\\') == std::wstring::npos)
    {
        ThrowError(InvalidParameter, ERROR_INVALID_PARAMETER, KELVO_SITE);
    }
    const std::uint32_t mask = s_m_RegKeyAllAccess | ViewBit(is64BitView);
    const std::uint64_t rootHandle = SelectKey(root, subKey, is64BitView);
    const auto describe = [this](const Exception& e) { return CreateErrorMessageWithKeyInformation(e, L""); };

    // Breadth-first listing of (parent path, name); the list grows while it is walked.
    std::vector<std::pair<std::wstring, std::wstring>> keys{ { L"", subKey } };
    for (std::size_t i = 0; i < keys.size(); ++i)
    {
        std::wstring path = keys[i].first + L"\\" + keys[i].second;
        if (path[0] == L'\\')
        {
            path.erase(0, 1);
        }
        Relocated(
            KELVO_SITE,
            [&] {
                const ScopedKey key(HostApi::Registry::OpenKey(rootHandle, path, mask));
                std::uint32_t subKeyCount = 0, longestSubKey = 0, valueCount = 0, longestValue = 0;
                HostApi::Registry::QueryInfoKey(key.Get(), subKeyCount, longestSubKey, valueCount, longestValue);
                for (std::uint32_t index = 0; index < subKeyCount; ++index)
                {
                    std::wstring name;
                    HostApi::Registry::EnumerateKey(key.Get(), index, name, longestSubKey + 1);
                    keys.emplace_back(path, std::move(name));
                }
            },
            describe);
    }

    // Deepest keys last in the list, so the reverse walk deletes every key after its sub-keys.
    for (auto entry = keys.rbegin(); entry != keys.rend(); ++entry)
    {
        // Opened outside the rethrow on purpose: callers see a parent that cannot be opened as the
        // platform reported it, without the key message.
        const ScopedKey parent(HostApi::Registry::OpenKey(rootHandle, entry->first, mask));
        Relocated(
            KELVO_SITE, [&] { HostApi::Registry::DeleteKey(parent.Get(), entry->second, mask); }, describe);
    }
}

bool RegistryUtilities::KeyExists(RegistryRootKey root, const std::wstring& subKey)
{
    RegistryUtilities probe;
    try
    {
        probe.RegistryOpenKey(root, subKey, AccessRead, false);
    }
    catch (const Exception& e)
    {
        if (e.GetErrorCode() == ERROR_FILE_NOT_FOUND)
        {
            return false;
        }
        throw;
    }
    return true;
}

std::uint64_t RegistryUtilities::SelectKey(RegistryRootKey root, const std::wstring& subKey, bool is64BitView)
{
    const std::uint64_t rootHandle = GetRootKeyHandle(root);
    m_root = root;
    m_subKey = subKey;
    m_is64BitView = is64BitView;
    return rootHandle;
}

void RegistryUtilities::ReplaceCurrentKey(std::uint64_t key)
{
    const ScopedKey previous(std::exchange(m_key, key));
}

std::wstring RegistryUtilities::CreateErrorMessageWithKeyInformation(const Exception& caught,
                                                                     const std::wstring& valueName) const
{
    std::wstring message = caught.GetErrorMessage();
    message += L" RootKey: ";
    message += RootDisplayName(m_root);
    message += L" SubKey: ";
    message += m_subKey;
    if (!valueName.empty())
    {
        message += L" ValueName: ";
        message += valueName;
    }
    message += m_is64BitView ? L" (64 bit)" : L" (32 bit)";
    return message;
}

std::wstring RegistryUtilities::ConvertValueTypeToWideString(const RegistryValueType& type)
{
    if (type >= ValueTypeCount)
    {
        ThrowError(L"Cannot resolve registry value type to string", KELVO_SITE);
    }
    return ValueTypeNames[type];
}

RegistryValueType RegistryUtilities::ConvertWideStringToValueType(const std::wstring& text)
{
    for (std::uint32_t type = 0; type < ValueTypeCount; ++type)
    {
        if (text == ValueTypeNames[type])
        {
            return static_cast<RegistryValueType>(type);
        }
    }
    ThrowError(L"Cannot resolve string to registry value type: " + text, KELVO_SITE);
}

std::wstring RegistryUtilities::ConvertValueDataToWideString(const RegistryValueType& type,
                                                             const std::vector<unsigned char>& data)
{
    if (IsByteList(type))
    {
        return ConvertValueDataToBinaryTypes(data);
    }
    if (type == RegMultiSz)
    {
        return ConvertValueDataToMultiString(data);
    }
    if (IsString(type))
    {
        return ConvertValueDataToWideString(data);
    }
    ThrowError(CannotResolveData, KELVO_SITE);
}

std::vector<unsigned char> RegistryUtilities::ConvertWideStringToValueData(const RegistryValueType& type,
                                                                           const std::wstring& text)
{
    if (IsByteList(type))
    {
        std::vector<unsigned char> data = ConvertBinaryTypesToValueData(text);
        if (type != RegBinary && data.size() > GetDataBlockSize(type))
        {
            ThrowError(L"The parameter value data: \"" + text + L"\" does not match the expected data for type: \"" +
                           ConvertValueTypeToWideString(type) + L"\". (Parameter value data is too long)",
                       ERROR_INVALID_PARAMETER, KELVO_SITE);
        }
        NormalizeValueData(type, data);
        return data;
    }
    if (type == RegMultiSz)
    {
        return ConvertMultiStringToValueData(text);
    }
    if (IsString(type))
    {
        return ConvertWideStringToValueData(text);
    }
    ThrowError(CannotResolveData, KELVO_SITE);
}

unsigned int RegistryUtilities::ConvertValueDataToDWord(const RegistryValueType& type,
                                                        const std::vector<unsigned char>& data)
{
    if (data.size() != 4 || (type != RegDword && type != RegDwordBigEndian))
    {
        ThrowError(CannotResolveData, KELVO_SITE);
    }
    unsigned int value = 0;
    for (std::size_t i = 0; i < 4; ++i)
    {
        const std::size_t byte = type == RegDword ? 3 - i : i; // most significant first
        value = (value << 8) | data[byte];
    }
    return value;
}

RegistryRootKey RegistryUtilities::ConvertStringToRegRootKey(const std::wstring& text)
{
    const wchar_t* const handles[] = { L"0x80000000", L"0x80000001", L"0x80000002", L"0x80000003", L"0x80000005" };
    if (text.size() >= 10)
    {
        for (std::uint32_t i = 0; i < 5; ++i)
        {
            if (text == handles[i])
            {
                return static_cast<RegistryRootKey>(i + 1);
            }
        }
    }
    return RootLocalMachine;
}

void RegistryUtilities::NormalizeValueData(const RegistryValueType& type, std::vector<unsigned char>& data)
{
    const std::size_t block = GetDataBlockSize(type);
    if (data.size() % block != 0)
    {
        data.resize(data.size() + block - data.size() % block, 0);
    }
}

std::wstring RegistryUtilities::ConvertRegistryKeyToPath(const RegistryRootKey& root, std::wstring& subKey)
{
    const wchar_t* const prefixes[] = { L"CLASSES_ROOT", L"CURRENT_USER", L"MACHINE", L"USERS",
                                        L"MACHINE\\SYSTEM\\CurrentControlSet\\Hardware Profiles\\Current" };
    if (!IsRoot(root))
    {
        ThrowError(L"Invalid Registry Root key identifier", KELVO_SITE);
    }
    std::wstring path = prefixes[root - 1];
    if (!subKey.empty() && subKey[0] != L'\\')
    {
        path += L'\\';
    }
    return path + subKey;
}

unsigned char RegistryUtilities::GetDataBlockSize(const RegistryValueType& type)
{
    switch (type)
    {
    case RegDword:
    case RegDwordBigEndian:
        return 4;
    case RegQword:
        return 8;
    default:
        return 1;
    }
}

std::uint64_t RegistryUtilities::GetRootKeyHandle(RegistryRootKey root)
{
    const std::uint64_t handles[] = { s_m_HKeyClassesRoot, s_m_HKeyCurrentUser, s_m_HKeyLocalMachine, s_m_HKeyUsers,
                                      s_m_HKeyCurrentConfig };
    if (!IsRoot(root))
    {
        ThrowError(InvalidParameter, ERROR_INVALID_PARAMETER, KELVO_SITE);
    }
    return handles[root - 1];
}

std::vector<unsigned char> RegistryUtilities::ConvertBinaryTypesToValueData(const std::wstring& text)
{
    std::vector<unsigned char> data;
    std::size_t start = 0;
    for (std::size_t separator = text.find(m_s_binaryValueSeparator); separator != std::wstring::npos;
         separator = text.find(m_s_binaryValueSeparator, start))
    {
        data.push_back(ConvertHexValueToByteBlock(text.substr(start, separator - start)));
        start = separator + m_s_binaryValueSeparator.size();
    }
    if (start < text.size())
    {
        data.push_back(ConvertHexValueToByteBlock(text.substr(start)));
    }
    return data;
}

std::wstring RegistryUtilities::ConvertValueDataToBinaryTypes(const std::vector<unsigned char>& data)
{
    std::wstring text;
    text.reserve(data.size() * 4);
    for (std::size_t i = 0; i < data.size(); ++i)
    {
        if (i != 0)
        {
            text += m_s_binaryValueSeparator;
        }
        text += ToHexText<wchar_t>(&data[i], 1, HexCase::Upper);
    }
    return text;
}

unsigned char RegistryUtilities::ConvertHexValueToByteBlock(const std::wstring& twoDigits)
{
    if (twoDigits.size() != 2)
    {
        ThrowError(L"Not a hexadecimal byte", KELVO_SITE);
    }
    return static_cast<unsigned char>(GetValueOfHexCharacter(twoDigits[0]) * 16 + GetValueOfHexCharacter(twoDigits[1]));
}

unsigned char RegistryUtilities::GetValueOfHexCharacter(wchar_t digit)
{
    const wchar_t upper = (digit >= L'a' && digit <= L'f') ? static_cast<wchar_t>(digit - L'a' + L'A') : digit;
    if (upper >= L'0' && upper <= L'9')
    {
        return static_cast<unsigned char>(upper - L'0');
    }
    if (upper >= L'A' && upper <= L'F')
    {
        return static_cast<unsigned char>(upper - L'A' + 10);
    }
    ThrowError(L"Value is not hexadecimal", KELVO_SITE);
}

std::vector<unsigned char> RegistryUtilities::ConvertWideStringToValueData(const std::wstring& text)
{
    std::vector<unsigned char> data;
    data.reserve((text.size() + 1) * 2);
    AppendString(data, text);
    return data;
}

std::wstring RegistryUtilities::ConvertValueDataToWideString(const std::vector<unsigned char>& data)
{
    std::wstring text;
    for (std::size_t offset = 0; offset + 1 < data.size(); offset += 2)
    {
        const wchar_t unit = CodeUnitAt(data, offset);
        if (unit == L'\0')
        {
            break;
        }
        text += unit;
    }
    return text;
}

std::vector<unsigned char> RegistryUtilities::ConvertMultiStringToValueData(const std::wstring& text)
{
    std::vector<unsigned char> data;
    std::size_t start = 0;
    for (std::size_t separator = text.find(m_s_multiStringSeparator); separator != std::wstring::npos;
         separator = text.find(m_s_multiStringSeparator, start))
    {
        AppendString(data, text.substr(start, separator - start));
        start = separator + m_s_multiStringSeparator.size();
    }
    AppendString(data, text.substr(start));
    data.push_back(0);
    data.push_back(0);
    return data;
}

std::wstring RegistryUtilities::ConvertValueDataToMultiString(const std::vector<unsigned char>& data)
{
    std::wstring text;
    for (std::size_t offset = 0; offset + 1 < data.size(); offset += 2)
    {
        const wchar_t unit = CodeUnitAt(data, offset);
        if (unit != L'\0')
        {
            text += unit;
        }
        else if (offset + 1 + 4 >= data.size())
        {
            break; // the closing NULs
        }
        else
        {
            text += m_s_multiStringSeparator;
        }
    }
    return text;
}

} // namespace Utilities
} // namespace Kelvo

#include "HostApi/Registry.h"

#include "Internal/Failure.h"

namespace Kelvo {
namespace HostApi {

namespace {

// The predefined roots are sign-extended in a 64-bit process (HKEY_CURRENT_USER is
// 0xFFFFFFFF80000001 there), so their 32-bit numbers are widened the same way.
HKEY ToHandle(std::uint64_t key)
{
    if (key >= 0x80000000u && key <= 0x800000FFu)
    {
        return reinterpret_cast<HKEY>(static_cast<LONG_PTR>(static_cast<LONG>(static_cast<std::uint32_t>(key))));
    }
    return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(key));
}

std::uint64_t ToNumber(HKEY key)
{
    return static_cast<std::uint64_t>(reinterpret_cast<ULONG_PTR>(key));
}

// RegEnumKeyExW and RegEnumValueW share this shape; the buffer grows while the name does not fit.
template <typename Enumerate>
void EnumerateName(std::wstring& name, std::uint32_t capacity, const wchar_t* message, const ThrowSite& site,
                   Enumerate enumerate)
{
    std::wstring buffer(capacity == 0 ? 1 : capacity, L'\0');
    for (;;)
    {
        DWORD length = static_cast<DWORD>(buffer.size());
        const LSTATUS status = enumerate(&buffer[0], &length);
        if (status == ERROR_MORE_DATA && buffer.size() < 32768)
        {
            buffer.resize(buffer.size() * 2 < 32768 ? buffer.size() * 2 : 32768);
            continue;
        }
        CheckStatus(status, message, site);
        buffer.resize(length);
        name.swap(buffer);
        return;
    }
}

} // namespace

std::uint64_t Registry::OpenKey(std::uint64_t parent, const std::wstring& subKey, std::uint32_t access)
{
    HKEY key = nullptr;
    CheckStatus(::RegOpenKeyExW(ToHandle(parent), subKey.c_str(), 0, access, &key), L"RegOpenKeyExW failed",
                KELVO_SITE);
    return ToNumber(key);
}

std::uint64_t Registry::CreateKey(std::uint64_t parent, const std::wstring& subKey, std::uint32_t options,
                                  std::uint32_t access, SecurityAttributes* security, std::uint32_t* disposition)
{
    HKEY key = nullptr;
    DWORD created = 0;
    CheckStatus(
        ::RegCreateKeyExW(ToHandle(parent), subKey.c_str(), 0, nullptr, options, access, security, &key, &created),
        L"RegCreateKeyExW failed", KELVO_SITE);
    if (disposition != nullptr)
    {
        *disposition = created;
    }
    return ToNumber(key);
}

void Registry::CloseKey(std::uint64_t& key)
{
    if (key == 0)
    {
        return;
    }
    const LSTATUS status = ::RegCloseKey(ToHandle(key));
    key = 0;
    CheckStatus(status, L"RegCloseKey failed", KELVO_SITE);
}

void Registry::DeleteKey(std::uint64_t parent, const std::wstring& name, std::uint32_t access)
{
    // A name of no sub-key would make the platform delete the parent itself.
    if (name.find_first_not_of(L'\\') == std::wstring::npos)
    {
        ThrowError(L"RegDeleteKeyExW failed", ERROR_INVALID_PARAMETER, KELVO_SITE);
    }
    const REGSAM view = access & (KEY_WOW64_64KEY | KEY_WOW64_32KEY);
    CheckStatus(::RegDeleteKeyExW(ToHandle(parent), name.c_str(), view, 0), L"RegDeleteKeyExW failed", KELVO_SITE);
}

void Registry::DeleteValue(std::uint64_t key, const std::wstring& name)
{
    CheckStatus(::RegDeleteValueW(ToHandle(key), name.c_str()), L"RegDeleteValueW failed", KELVO_SITE);
}

void Registry::QueryValue(std::uint64_t key, const std::wstring& name, std::uint32_t& type,
                          std::vector<unsigned char>& data)
{
    std::vector<unsigned char> bytes;
    DWORD kind = 0;
    DWORD size = 0;
    LSTATUS status = ::RegQueryValueExW(ToHandle(key), name.c_str(), nullptr, &kind, nullptr, &size);
    // The value may grow between the two queries: ask again with the size it has now.
    while (status == ERROR_SUCCESS || status == ERROR_MORE_DATA)
    {
        bytes.resize(size);
        status = ::RegQueryValueExW(ToHandle(key), name.c_str(), nullptr, &kind, bytes.empty() ? nullptr : bytes.data(),
                                    &size);
        if (status == ERROR_SUCCESS)
        {
            bytes.resize(size);
            break;
        }
    }
    CheckStatus(status, L"RegQueryValueExW failed", KELVO_SITE);
    type = kind;
    data.swap(bytes);
}

void Registry::SetValue(std::uint64_t key, const std::wstring& name, std::uint32_t type,
                        const std::vector<unsigned char>& data)
{
    CheckStatus(::RegSetValueExW(ToHandle(key), name.c_str(), 0, type, data.empty() ? nullptr : data.data(),
                                 static_cast<DWORD>(data.size())),
                L"RegSetValueExW failed", KELVO_SITE);
}

void Registry::EnumerateKey(std::uint64_t key, std::uint32_t index, std::wstring& name, std::uint32_t capacity)
{
    EnumerateName(name, capacity, L"RegEnumKeyExW failed", KELVO_SITE, [&](wchar_t* buffer, DWORD* length) {
        return ::RegEnumKeyExW(ToHandle(key), index, buffer, length, nullptr, nullptr, nullptr, nullptr);
    });
}

void Registry::EnumerateValue(std::uint64_t key, std::uint32_t index, std::wstring& name, std::uint32_t capacity)
{
    EnumerateName(name, capacity, L"RegEnumValueW failed", KELVO_SITE, [&](wchar_t* buffer, DWORD* length) {
        return ::RegEnumValueW(ToHandle(key), index, buffer, length, nullptr, nullptr, nullptr, nullptr);
    });
}

void Registry::QueryInfoKey(std::uint64_t key, std::uint32_t& subKeyCount, std::uint32_t& longestSubKeyName,
                            std::uint32_t& valueCount, std::uint32_t& longestValueName)
{
    DWORD subKeys = 0, longestSubKey = 0, values = 0, longestValue = 0;
    CheckStatus(::RegQueryInfoKeyW(ToHandle(key), nullptr, nullptr, nullptr, &subKeys, &longestSubKey, nullptr, &values,
                                   &longestValue, nullptr, nullptr, nullptr),
                L"RegQueryInfoKeyW failed", KELVO_SITE);
    subKeyCount = subKeys;
    longestSubKeyName = longestSubKey;
    valueCount = values;
    longestValueName = longestValue;
}

} // namespace HostApi
} // namespace Kelvo

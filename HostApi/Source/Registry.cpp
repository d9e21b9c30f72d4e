//
// Registry.cpp
//
#include "HostApi/Registry.h"

#include "Failure.h"

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

void Check(LSTATUS status, const wchar_t* call)
{
    if (status != ERROR_SUCCESS)
    {
        ThrowFailure(call, static_cast<DWORD>(status), HOSTAPI_AT(Registry));
    }
}

// RegEnumKeyExW and RegEnumValueW share this shape; the buffer grows while the name does not fit.
template <typename Enumerate>
void EnumerateName(std::wstring& name, std::uint32_t capacity, const wchar_t* call, Enumerate enumerate)
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
        Check(status, call);
        buffer.resize(length);
        name.swap(buffer);
        return;
    }
}

} // namespace

std::uint64_t Registry::OpenKey(std::uint64_t parent, const std::wstring& subKey, std::uint32_t access)
{
    HKEY key = nullptr;
    Check(::RegOpenKeyExW(ToHandle(parent), subKey.c_str(), 0, access, &key), L"RegOpenKeyExW");
    return ToNumber(key);
}

std::uint64_t Registry::CreateKey(std::uint64_t parent, const std::wstring& subKey, std::uint32_t options,
                                  std::uint32_t access, SecurityAttributes* security, std::uint32_t* disposition)
{
    HKEY key = nullptr;
    DWORD created = 0;
    Check(::RegCreateKeyExW(ToHandle(parent), subKey.c_str(), 0, nullptr, options, access, security, &key, &created),
          L"RegCreateKeyExW");
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
    Check(status, L"RegCloseKey");
}

void Registry::DeleteKey(std::uint64_t parent, const std::wstring& name, std::uint32_t access)
{
    const REGSAM view = access & (KEY_WOW64_64KEY | KEY_WOW64_32KEY);
    Check(::RegDeleteKeyExW(ToHandle(parent), name.c_str(), view, 0), L"RegDeleteKeyExW");
}

void Registry::DeleteValue(std::uint64_t key, const std::wstring& name)
{
    Check(::RegDeleteValueW(ToHandle(key), name.c_str()), L"RegDeleteValueW");
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
        status = ::RegQueryValueExW(ToHandle(key), name.c_str(), nullptr, &kind, bytes.empty() ? nullptr : bytes.data(), &size);
        if (status == ERROR_SUCCESS)
        {
            bytes.resize(size);
            break;
        }
    }
    Check(status, L"RegQueryValueExW");
    type = kind;
    data.swap(bytes);
}

void Registry::SetValue(std::uint64_t key, const std::wstring& name, std::uint32_t type,
                        const std::vector<unsigned char>& data)
{
    Check(::RegSetValueExW(ToHandle(key), name.c_str(), 0, type, data.empty() ? nullptr : data.data(),
                           static_cast<DWORD>(data.size())),
          L"RegSetValueExW");
}

void Registry::EnumerateKey(std::uint64_t key, std::uint32_t index, std::wstring& name, std::uint32_t capacity)
{
    EnumerateName(name, capacity, L"RegEnumKeyExW", [&](wchar_t* buffer, DWORD* length) {
        return ::RegEnumKeyExW(ToHandle(key), index, buffer, length, nullptr, nullptr, nullptr, nullptr);
    });
}

void Registry::EnumerateValue(std::uint64_t key, std::uint32_t index, std::wstring& name, std::uint32_t capacity)
{
    EnumerateName(name, capacity, L"RegEnumValueW", [&](wchar_t* buffer, DWORD* length) {
        return ::RegEnumValueW(ToHandle(key), index, buffer, length, nullptr, nullptr, nullptr, nullptr);
    });
}

void Registry::QueryInfoKey(std::uint64_t key, std::uint32_t& subKeyCount, std::uint32_t& longestSubKeyName,
                            std::uint32_t& valueCount, std::uint32_t& longestValueName)
{
    DWORD subKeys = 0, longestSubKey = 0, values = 0, longestValue = 0;
    Check(::RegQueryInfoKeyW(ToHandle(key), nullptr, nullptr, nullptr, &subKeys, &longestSubKey, nullptr, &values,
                             &longestValue, nullptr, nullptr, nullptr),
          L"RegQueryInfoKeyW");
    subKeyCount = subKeys;
    longestSubKeyName = longestSubKey;
    valueCount = values;
    longestValueName = longestValue;
}

} // namespace HostApi
} // namespace Kelvo

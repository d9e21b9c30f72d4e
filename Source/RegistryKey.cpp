#include "RegistryKey.h"

#include "Internal/Failure.h"

namespace Kelvo {
namespace Utilities {

namespace {

// The predefined roots are sign-extended in a 64-bit process.
HKEY RootHandle(ERegistryBaseKey baseKey)
{
    return reinterpret_cast<HKEY>(static_cast<LONG_PTR>(static_cast<LONG>(baseKey)));
}

const char* const GetValueFailed = "RegGetValue failed.";

// Queries a value into data, growing it while the registry reports more data than it holds;
// returns the status. An empty data asks for the size first.
LSTATUS QueryInto(HKEY key, const std::wstring& name, std::vector<unsigned char>& data, DWORD& type)
{
    for (;;)
    {
        DWORD size = static_cast<DWORD>(data.size());
        const LSTATUS status =
            ::RegQueryValueExW(key, name.c_str(), nullptr, &type, data.empty() ? nullptr : data.data(), &size);
        const bool sizeOnly = status == ERROR_SUCCESS && data.empty() && size != 0;
        if (status != ERROR_MORE_DATA && !sizeOnly)
        {
            if (status == ERROR_SUCCESS)
            {
                data.resize(size);
            }
            return status;
        }
        data.resize(size);
    }
}

} // namespace

RegistryKey::RegistryKey(ERegistryBaseKey baseKey, const std::wstring& subKey) : m_subKey(subKey), m_baseKey(baseKey)
{
}

RegistryKey::RegistryKey(const RegistryKey& other)
    : IRegistryKey(other), m_subKey(other.m_subKey), m_baseKey(other.m_baseKey)
{
}

RegistryKey& RegistryKey::operator=(const RegistryKey& other)
{
    if (this != &other)
    {
        m_key.Reset();
        m_subKey = other.m_subKey;
        m_baseKey = other.m_baseKey;
    }
    return *this;
}

RegistryKey::~RegistryKey() = default;

long RegistryKey::TryOpen()
{
    if (m_key)
    {
        return ERROR_SUCCESS;
    }
    HKEY key = nullptr;
    const LSTATUS status = ::RegOpenKeyW(RootHandle(m_baseKey), m_subKey.c_str(), &key);
    if (status == ERROR_SUCCESS)
    {
        m_key.Reset(key);
    }
    return status;
}

void RegistryKey::Open()
{
    CheckWin32Status(TryOpen(), "RegOpenKey failed.");
}

bool RegistryKey::TryOpenForRead()
{
    const long status = TryOpen();
    if (status == ERROR_FILE_NOT_FOUND)
    {
        return false;
    }
    CheckWin32Status(status, "RegOpenKey failed.");
    return true;
}

std::wstring RegistryKey::GetStringValue(const std::wstring& name, const std::wstring& defaultValue)
{
    if (!TryOpenForRead())
    {
        return defaultValue;
    }
    std::vector<unsigned char> data;
    DWORD type = REG_NONE;
    const LSTATUS status = QueryInto(m_key.Get(), name, data, type);
    if (status == ERROR_FILE_NOT_FOUND)
    {
        return defaultValue;
    }
    CheckWin32Status(status, GetValueFailed);
    if (type != REG_SZ && type != REG_EXPAND_SZ)
    {
        return defaultValue;
    }
    std::wstring text(data.size() / sizeof(wchar_t), L'\0');
    std::copy(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(text.size() * sizeof(wchar_t)),
              reinterpret_cast<unsigned char*>(&text[0]));
    text.resize(std::char_traits<wchar_t>::length(text.c_str()));
    return text;
}

unsigned int RegistryKey::GetUint32Value(const std::wstring& name, unsigned int defaultValue)
{
    if (!TryOpenForRead())
    {
        return defaultValue;
    }
    // A value shorter than four bytes reads as its bytes, little-endian, with zeros above.
    DWORD value = 0;
    DWORD size = sizeof(value);
    const LSTATUS status =
        ::RegQueryValueExW(m_key.Get(), name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
    if (status == ERROR_FILE_NOT_FOUND)
    {
        return defaultValue;
    }
    CheckWin32Status(status, GetValueFailed);
    return value;
}

std::vector<unsigned char> RegistryKey::GetBinaryValue(const std::wstring& name)
{
    if (!TryOpenForRead())
    {
        return {};
    }
    std::vector<unsigned char> data(16);
    DWORD type = REG_NONE;
    const LSTATUS status = QueryInto(m_key.Get(), name, data, type);
    if (status == ERROR_FILE_NOT_FOUND)
    {
        return {};
    }
    CheckWin32Status(status, GetValueFailed);
    return data;
}

void RegistryKey::SetValue(const std::wstring& name, const std::vector<unsigned char>& bytes)
{
    Open();
    CheckWin32Status(
        ::RegSetValueExW(m_key.Get(), name.c_str(), 0, REG_BINARY, bytes.data(), static_cast<DWORD>(bytes.size())),
        "RegSetKeyValue failed.");
}

void RegistryKey::SetValue(const std::wstring& name, unsigned int value)
{
    Open();
    const DWORD number = value;
    CheckWin32Status(::RegSetValueExW(m_key.Get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                                      sizeof(number)),
                     "RegSetKeyValue failed.");
}

void RegistryKey::SetValue(const std::wstring& name, const std::wstring& text)
{
    Open();
    CheckWin32Status(::RegSetValueExW(m_key.Get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                      static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))),
                     "RegSetKeyValue failed.");
}

void RegistryKey::CreateSubKey(const std::wstring& name)
{
    Open();
    HostApi::UniqueRegistryKey created;
    CheckWin32Status(::RegCreateKeyW(m_key.Get(), name.c_str(), created.Put()), "RegCreateKey failed.");
}

void RegistryKey::DeleteSubKey(const std::wstring& name)
{
    // A name of no sub-key would make the platform delete this key itself.
    if (name.find_first_not_of(L'\\') == std::wstring::npos)
    {
        throw Win32Exception(ERROR_INVALID_PARAMETER, "RegDeleteKey failed.");
    }
    Open();
    const LSTATUS status = ::RegDeleteKeyW(m_key.Get(), name.c_str());
    if (status != ERROR_FILE_NOT_FOUND)
    {
        CheckWin32Status(status, "RegDeleteKey failed.");
    }
}

} // namespace Utilities
} // namespace Kelvo

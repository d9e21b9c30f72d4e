#include "Base64.h"

#include "StringUtilities.h"

#include <windows.h>
#include <wincrypt.h>

#include <limits>
#include <stdexcept>

namespace Kelvo {
namespace Utilities {

namespace {

// One line, no CR/LF: callers store the text in INI files and registry strings.
const DWORD EncodeFlags = CRYPT_STRING_BASE64 | CRYPT_STRING_NOCRLF;

// crypt32 counts in DWORDs; anything longer cannot be handed to it at all.
template <typename Container>
DWORD CheckedLength(const Container& data, const char* message)
{
    if (data.size() > std::numeric_limits<DWORD>::max())
    {
        throw std::runtime_error(message);
    }
    return static_cast<DWORD>(data.size());
}

} // namespace

std::wstring Base64::Encode(const std::wstring& text)
{
    if (text.empty())
    {
        return std::wstring();
    }
    static const char* const Failed = "Cannot encode base64 string";
    const std::vector<unsigned char> bytes = StringToUnsignedChar(WStringToString(text));
    if (bytes.empty())
    {
        // A text that starts with U+0000 converts to no bytes at all.
        return std::wstring();
    }
    const DWORD length = CheckedLength(bytes, Failed);
    DWORD size = 0;
    if (!::CryptBinaryToStringW(bytes.data(), length, EncodeFlags, nullptr, &size) || size == 0)
    {
        throw std::runtime_error(Failed);
    }
    std::wstring encoded(size, L'\0');
    if (!::CryptBinaryToStringW(bytes.data(), length, EncodeFlags, &encoded[0], &size))
    {
        throw std::runtime_error(Failed);
    }
    // On success size is the length without the terminating NUL.
    encoded.resize(size);
    return encoded;
}

std::wstring Base64::Decode(const std::wstring& base64)
{
    if (base64.empty())
    {
        return std::wstring();
    }
    static const char* const Failed = "Cannot decode base64 string";
    const DWORD length = CheckedLength(base64, Failed);
    DWORD size = 0;
    if (!::CryptStringToBinaryW(base64.data(), length, CRYPT_STRING_BASE64, nullptr, &size, nullptr, nullptr))
    {
        throw std::runtime_error(Failed);
    }
    std::vector<unsigned char> bytes(size);
    if (!::CryptStringToBinaryW(base64.data(), length, CRYPT_STRING_BASE64, bytes.data(), &size, nullptr, nullptr))
    {
        throw std::runtime_error(Failed);
    }
    bytes.resize(size);
    return StringToWString(UnsignedCharToString(bytes));
}

std::string Base64::WStringToString(const std::wstring& text)
{
    std::string utf8;
    StringUtilities::Utf16ToUtf8(text, utf8);
    return utf8;
}

std::vector<unsigned char> Base64::StringToUnsignedChar(const std::string& text)
{
    return std::vector<unsigned char>(text.begin(), text.end());
}

std::string Base64::UnsignedCharToString(const std::vector<unsigned char>& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

std::wstring Base64::StringToWString(const std::string& text)
{
    std::wstring wide;
    StringUtilities::Utf8ToUtf16(text, wide);
    return wide;
}

} // namespace Utilities
} // namespace Kelvo

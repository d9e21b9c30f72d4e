#pragma once

#include "UtilitiesExport.h"

#include <string>
#include <vector>

namespace Kelvo {
namespace Utilities {

/// Base64 text (RFC 4648 alphabet, "=" padding, one line) of the UTF-8 form of wide text, and
/// back. The coding itself is Windows' (crypt32), so Decode accepts what it accepts.
/// Static functions; owns nothing.
/// Example: Examples/text_and_time.cpp
class KELVO_UTILITIES_API Base64
{
public:
    /// Empty text gives empty text. Throws std::runtime_error "Cannot encode base64 string" when
    /// Windows cannot encode, std::range_error "bad conversion" for ill-formed UTF-16.
    static std::wstring Encode(const std::wstring& text);
    /// Empty text gives empty text. Throws std::runtime_error "Cannot decode base64 string" for
    /// text that is not Base64, std::range_error "bad conversion" when the bytes are not UTF-8.
    /// The text ends at the first zero byte of the decoded data.
    static std::wstring Decode(const std::wstring& base64);

private:
    static std::string WStringToString(const std::wstring& text);
    static std::vector<unsigned char> StringToUnsignedChar(const std::string& text);
    static std::string UnsignedCharToString(const std::vector<unsigned char>& bytes);
    static std::wstring StringToWString(const std::string& text);
};

} // namespace Utilities
} // namespace Kelvo

// Bytes as hexadecimal text, two digits per byte, high nibble first: the form of the cipher's key
// text and of the digests.
#pragma once

#include <cstddef>
#include <string>

namespace Kelvo {
namespace Utilities {

enum class HexCase
{
    Upper,
    Lower
};

template <typename Char>
std::basic_string<Char> ToHexText(const unsigned char* bytes, std::size_t count, HexCase letters)
{
    const char* const digits = letters == HexCase::Upper ? "0123456789ABCDEF" : "0123456789abcdef";
    std::basic_string<Char> text;
    text.reserve(2 * count);
    for (std::size_t i = 0; i < count; ++i)
    {
        text.push_back(static_cast<Char>(digits[bytes[i] >> 4]));
        text.push_back(static_cast<Char>(digits[bytes[i] & 0xF]));
    }
    return text;
}

} // namespace Utilities
} // namespace Kelvo

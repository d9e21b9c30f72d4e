// Bytes in a Windows code page as text, through the platform's converter (which puts its
// replacement character for what the code page cannot decode). The length is given, so NULs in
// the bytes stay.
#pragma once

#include <windows.h>

#include <climits>
#include <stdexcept>
#include <string>

namespace Kelvo {
namespace Utilities {

inline std::wstring CodePageText(UINT codePage, const std::string& bytes)
{
    if (bytes.size() > static_cast<std::size_t>(INT_MAX))
    {
        throw std::length_error("string too long"); // the converter counts in int
    }
    const int length = static_cast<int>(bytes.size());
    std::wstring text(static_cast<std::size_t>(::MultiByteToWideChar(codePage, 0, bytes.data(), length, nullptr, 0)),
                      L'\0');
    if (!text.empty())
    {
        ::MultiByteToWideChar(codePage, 0, bytes.data(), length, &text[0], static_cast<int>(text.size()));
    }
    return text;
}

} // namespace Utilities
} // namespace Kelvo

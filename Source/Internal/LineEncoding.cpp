#include "Internal/LineEncoding.h"

namespace Kelvo {
namespace Utilities {

void AppendEightBitLine(std::vector<unsigned char>& bytes, const std::wstring& line)
{
    for (wchar_t c : line)
    {
        if (c == L'\n')
        {
            bytes.push_back('\r');
        }
        bytes.push_back(static_cast<unsigned int>(c) <= 0xFF ? static_cast<unsigned char>(c) : '?');
    }
    bytes.push_back('\r');
    bytes.push_back('\n');
}

void AppendUtf16LittleEndian(std::vector<unsigned char>& bytes, const std::wstring& text, wchar_t terminator)
{
    const auto append = [&bytes](wchar_t c) {
        bytes.push_back(static_cast<unsigned char>(c & 0xFF));
        bytes.push_back(static_cast<unsigned char>((c >> 8) & 0xFF));
    };
    for (wchar_t c : text)
    {
        append(c);
    }
    append(terminator);
}

void AppendUnicodeLine(std::vector<unsigned char>& bytes, const std::wstring& line)
{
    AppendUtf16LittleEndian(bytes, line, L'\n');
}

std::vector<unsigned char> UnicodeLinesStart()
{
    return { 0xFF, 0xFE };
}

} // namespace Utilities
} // namespace Kelvo

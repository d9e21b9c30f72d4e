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

std::string TextModeBytes(const std::vector<unsigned char>& bytes)
{
    std::string kept;
    kept.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size() && bytes[i] != 0x1A; ++i)
    {
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
        {
            continue;
        }
        kept += static_cast<char>(bytes[i]);
    }
    return kept;
}

std::wstring Utf16Text(const std::vector<unsigned char>& bytes)
{
    std::size_t start = 0;
    bool littleEndian = false;
    if (bytes.size() >= 2 && ((bytes[0] == 0xFF && bytes[1] == 0xFE) || (bytes[0] == 0xFE && bytes[1] == 0xFF)))
    {
        littleEndian = bytes[0] == 0xFF;
        start = 2;
    }
    std::wstring text;
    text.reserve(bytes.size() / 2);
    for (std::size_t i = start; i + 1 < bytes.size(); i += 2)
    {
        text += static_cast<wchar_t>(littleEndian ? bytes[i] | (bytes[i + 1] << 8) : (bytes[i] << 8) | bytes[i + 1]);
    }
    return text;
}

std::vector<std::wstring> SplitLines(const std::wstring& text)
{
    std::vector<std::wstring> lines;
    std::size_t start = 0;
    for (std::size_t end = text.find(L'\n'); end != std::wstring::npos; end = text.find(L'\n', start))
    {
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    if (start < text.size())
    {
        lines.push_back(text.substr(start));
    }
    return lines;
}

} // namespace Utilities
} // namespace Kelvo

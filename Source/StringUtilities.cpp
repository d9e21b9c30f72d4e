#include "StringUtilities.h"

#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstdarg>
#include <cwctype>
#include <stdexcept>
#include <vector>

namespace Kelvo {
namespace Utilities {

namespace {

const char* const BadConversion = "bad conversion";

bool IsHighSurrogate(unsigned int unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool IsLowSurrogate(unsigned int unit)
{
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

bool EndsWith(const std::wstring& text, const std::wstring& suffix)
{
    return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// Knuth-Morris-Pratt matcher: scanning costs amortised constant time per character, so the
// replacements stay linear however the matches overlap or cascade.
class PatternMatcher
{
public:
    explicit PatternMatcher(const std::wstring& pattern) : m_pattern(pattern), m_fallback(pattern.size(), 0)
    {
        for (std::size_t i = 1, state = 0; i < pattern.size(); ++i)
        {
            state = Next(state, pattern[i]);
            m_fallback[i] = state;
        }
    }

    // The number of pattern characters matched after reading c in state.
    std::size_t Next(std::size_t state, wchar_t c) const
    {
        while (state > 0 && (state == m_pattern.size() || m_pattern[state] != c))
        {
            state = m_fallback[state - 1];
        }
        return m_pattern[state] == c ? state + 1 : 0;
    }

    std::size_t Length() const
    {
        return m_pattern.size();
    }

private:
    const std::wstring& m_pattern;
    std::vector<std::size_t> m_fallback;
};

// Membership in a set of UTF-16 code units in constant time, so that trimming with a large set
// stays linear.
class CharacterSet
{
public:
    explicit CharacterSet(const std::wstring& characters) : m_characters(characters)
    {
        if (characters.size() > SmallSet)
        {
            m_table.assign(0x10000, false);
            for (wchar_t c : characters)
            {
                m_table[static_cast<std::size_t>(c)] = true;
            }
        }
    }

    bool Contains(wchar_t c) const
    {
        return m_table.empty() ? m_characters.find(c) != std::wstring::npos : m_table[static_cast<std::size_t>(c)];
    }

private:
    static const std::size_t SmallSet = 16;
    const std::wstring& m_characters;
    std::vector<bool> m_table;
};

void MapCase(std::wstring& text, DWORD mapping)
{
    if (text.empty())
    {
        return;
    }
    if (text.size() > static_cast<std::size_t>(INT_MAX))
    {
        throw std::length_error("string too long");
    }
    const int length = static_cast<int>(text.size());
    std::wstring mapped(text.size(), L'\0');
    const int written = ::LCMapStringEx(LOCALE_NAME_USER_DEFAULT, mapping | LCMAP_LINGUISTIC_CASING, text.data(),
                                        length, &mapped[0], length, nullptr, nullptr, 0);
    // Case mapping keeps the length; anything else means the locale could not be used.
    if (written != length)
    {
        throw std::runtime_error("bad locale name");
    }
    text.swap(mapped);
}


// Decodes one UTF-8 sequence starting at input[i] (before end), advancing i. Rejects everything
// that is not well-formed UTF-8: stray continuation bytes, cut or broken sequences, overlong
// forms, encoded surrogates and code points above U+10FFFF.
char32_t DecodeUtf8(const std::string& input, std::size_t& i, std::size_t end)
{
    const unsigned char lead = static_cast<unsigned char>(input[i++]);
    if (lead < 0x80)
    {
        return lead;
    }
    std::size_t continuation;
    char32_t codePoint;
    char32_t minimum;
    if (lead >= 0xC2 && lead <= 0xDF)
    {
        continuation = 1, codePoint = lead & 0x1Fu, minimum = 0x80;
    }
    else if (lead >= 0xE0 && lead <= 0xEF)
    {
        continuation = 2, codePoint = lead & 0x0Fu, minimum = 0x800;
    }
    else if (lead >= 0xF0 && lead <= 0xF4)
    {
        continuation = 3, codePoint = lead & 0x07u, minimum = 0x10000;
    }
    else
    {
        throw std::range_error(BadConversion);
    }
    if (end - i < continuation)
    {
        throw std::range_error(BadConversion);
    }
    for (std::size_t k = 0; k < continuation; ++k)
    {
        const unsigned char next = static_cast<unsigned char>(input[i++]);
        if ((next & 0xC0u) != 0x80u)
        {
            throw std::range_error(BadConversion);
        }
        codePoint = (codePoint << 6) | (next & 0x3Fu);
    }
    if (codePoint < minimum || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
    {
        throw std::range_error(BadConversion);
    }
    return codePoint;
}

} // namespace

void StringUtilities::AddAtEndIfNotExists(std::wstring& text, const std::wstring& suffix)
{
    if (!EndsWith(text, suffix))
    {
        text += suffix;
    }
}

void StringUtilities::Replace(std::wstring& text, const std::wstring& search, const std::wstring& replacement)
{
    if (text.empty() || search.empty())
    {
        return;
    }
    // One pass over the original text: matching restarts behind each replaced occurrence,
    // which is where the in-place algorithm resumes (just behind the inserted text).
    const PatternMatcher matcher(search);
    std::wstring result;
    std::size_t copiedUpTo = 0;
    std::size_t state = 0;
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        state = matcher.Next(state, text[i]);
        if (state == matcher.Length())
        {
            const std::size_t start = i + 1 - search.size();
            result.append(text, copiedUpTo, start - copiedUpTo).append(replacement);
            copiedUpTo = i + 1;
            state = 0;
        }
    }
    if (copiedUpTo == 0)
    {
        return;
    }
    result.append(text, copiedUpTo, std::wstring::npos);
    text.swap(result);
}

void StringUtilities::ReplaceAll(std::wstring& text, const std::wstring& search, const std::wstring& replacement)
{
    if (text.empty())
    {
        return;
    }
    if (replacement.find(search) != std::wstring::npos)
    {
        throw std::runtime_error("Replace shouldn't contain the search string for replace all");
    }
    // Same result as "replace the first occurrence, search again from the start" until none is
    // left: done holds a prefix free of occurrences, and the first occurrence of the whole text
    // is the first one that completes while characters move from the input onto done. Its
    // replacement goes back in front of the input, since it may form new occurrences with
    // what follows or precedes it. Matching states are kept per character of done so that
    // removing an occurrence restores the state in front of it.
    const PatternMatcher matcher(search);
    std::wstring done;
    std::vector<std::size_t> states;
    std::wstring pending; // replacement characters still to be read, in reverse order
    std::size_t next = 0;
    done.reserve(text.size());
    states.reserve(text.size());
    while (!pending.empty() || next < text.size())
    {
        wchar_t c;
        if (!pending.empty())
        {
            c = pending.back();
            pending.pop_back();
        }
        else
        {
            c = text[next++];
        }
        const std::size_t state = matcher.Next(states.empty() ? 0 : states.back(), c);
        done.push_back(c);
        states.push_back(state);
        if (state == matcher.Length())
        {
            done.resize(done.size() - search.size());
            states.resize(states.size() - search.size());
            pending.append(replacement.rbegin(), replacement.rend());
        }
    }
    text.swap(done);
}

void StringUtilities::ReplaceAtBegin(std::wstring& text, const std::wstring& search, const std::wstring& replacement)
{
    if (text.empty() || search.empty())
    {
        return;
    }
    if (text.compare(0, search.size(), search) == 0)
    {
        text.replace(0, search.size(), replacement);
    }
}

void StringUtilities::ReplaceAtEnd(std::wstring& text, const std::wstring& search, const std::wstring& replacement)
{
    if (text.empty())
    {
        return;
    }
    if (EndsWith(text, search))
    {
        text.replace(text.size() - search.size(), search.size(), replacement);
    }
}

void StringUtilities::Trim(std::wstring& text, const std::wstring& characters)
{
    TrimLeft(text, characters);
    TrimRight(text, characters);
}

void StringUtilities::TrimLeft(std::wstring& text, const std::wstring& characters)
{
    if (characters.empty())
    {
        return;
    }
    const CharacterSet set(characters);
    const auto first = std::find_if(text.begin(), text.end(), [&set](wchar_t c) { return !set.Contains(c); });
    text.erase(text.begin(), first);
}

void StringUtilities::TrimRight(std::wstring& text, const std::wstring& characters)
{
    if (characters.empty())
    {
        return;
    }
    const CharacterSet set(characters);
    const auto last = std::find_if(text.rbegin(), text.rend(), [&set](wchar_t c) { return !set.Contains(c); });
    text.erase(last.base(), text.end());
}

void StringUtilities::ToLower(std::wstring& text)
{
    MapCase(text, LCMAP_LOWERCASE);
}

void StringUtilities::ToUpper(std::wstring& text)
{
    MapCase(text, LCMAP_UPPERCASE);
}

std::string StringUtilities::ToAscii(const std::wstring& text)
{
    std::string result;
    for (wchar_t c : text)
    {
        if (c == L'\0')
        {
            break;
        }
        if (static_cast<unsigned int>(c) > 0xFF)
        {
            throw std::range_error(BadConversion);
        }
        result.push_back(static_cast<char>(static_cast<unsigned char>(c)));
    }
    return result;
}

void StringUtilities::Utf16ToUtf8(const std::wstring& input, std::string& output)
{
    std::string result;
    result.reserve(input.size());
    for (std::size_t i = 0; i < input.size() && input[i] != L'\0'; ++i)
    {
        char32_t codePoint = static_cast<char16_t>(input[i]);
        if (IsHighSurrogate(codePoint))
        {
            if (i + 1 == input.size() || !IsLowSurrogate(static_cast<char16_t>(input[i + 1])))
            {
                throw std::range_error(BadConversion);
            }
            codePoint = 0x10000 + ((codePoint - 0xD800) << 10) + (static_cast<char16_t>(input[++i]) - 0xDC00u);
        }
        else if (IsLowSurrogate(codePoint))
        {
            throw std::range_error(BadConversion);
        }

        if (codePoint < 0x80)
        {
            result.push_back(static_cast<char>(codePoint));
        }
        else if (codePoint < 0x800)
        {
            result.push_back(static_cast<char>(0xC0 | (codePoint >> 6)));
            result.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
        }
        else if (codePoint < 0x10000)
        {
            result.push_back(static_cast<char>(0xE0 | (codePoint >> 12)));
            result.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
            result.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
        }
        else
        {
            result.push_back(static_cast<char>(0xF0 | (codePoint >> 18)));
            result.push_back(static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F)));
            result.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
            result.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
        }
    }
    output.swap(result);
}

void StringUtilities::Utf8ToUtf16(const std::string& input, std::wstring& output)
{
    const std::size_t end = std::min(input.find('\0'), input.size());
    std::wstring result;
    result.reserve(end);
    for (std::size_t i = 0; i < end;)
    {
        const char32_t codePoint = DecodeUtf8(input, i, end);
        if (codePoint < 0x10000)
        {
            result.push_back(static_cast<wchar_t>(codePoint));
        }
        else
        {
            result.push_back(static_cast<wchar_t>(0xD800 + ((codePoint - 0x10000) >> 10)));
            result.push_back(static_cast<wchar_t>(0xDC00 + ((codePoint - 0x10000) & 0x3FF)));
        }
    }
    output.swap(result);
}

wchar_t* StringUtilities::GetBuffer(std::wstring& text, unsigned int length)
{
    text.resize(length);
    return &text[0];
}

void StringUtilities::ReleaseBuffer(std::wstring& text)
{
    text.resize(std::char_traits<wchar_t>::length(text.c_str()));
}

std::wstring StringUtilities::Mid(const std::wstring& text, unsigned int start)
{
    if (start > text.size())
    {
        throw std::out_of_range("invalid string position");
    }
    return text.substr(start);
}

std::wstring StringUtilities::Left(const std::wstring& text, unsigned int count)
{
    return text.substr(0, count);
}

std::wstring StringUtilities::FormatMessageW(const wchar_t* format, ...)
{
    const DWORD capacity = 0x1000;
    if (format == nullptr)
    {
        return std::wstring();
    }
    std::wstring buffer(capacity, L'\0');
    va_list arguments;
    va_start(arguments, format);
    const DWORD written =
        ::FormatMessageW(FORMAT_MESSAGE_FROM_STRING, format, 0, 0, &buffer[0], capacity, &arguments);
    va_end(arguments);
    buffer.resize(written);
    return buffer;
}

bool StringUtilities::VerifyContainsOnlyHexNumbers(const std::wstring& text)
{
    return std::all_of(text.begin(), text.end(), [](wchar_t c) { return std::iswxdigit(c) != 0; });
}

bool StringUtilities::VerifyContainsOnlyNumbers(const std::wstring& text)
{
    return std::all_of(text.begin(), text.end(), [](wchar_t c) { return std::iswdigit(c) != 0; });
}

} // namespace Utilities
} // namespace Kelvo

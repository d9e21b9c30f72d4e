//
// StringUtilitiesTests.cpp
//
#include <StringUtilities.h>

#include <gtest/gtest.h>
#include <windows.h>

#include <random>
#include <stdexcept>
#include <string>

using Kelvo::Utilities::StringUtilities;

namespace {

// The replacement rules written the plain in-place way, as the oracle for the linear versions.
void NaiveReplace(std::wstring& text, const std::wstring& search, const std::wstring& replacement)
{
    for (auto p = text.find(search); p != std::wstring::npos; p = text.find(search, p + replacement.size()))
    {
        text.replace(p, search.size(), replacement);
    }
}

// Some rules never end (ab -> bbaa grows aab forever); the oracle gives up on those at 1,000
// characters and reports false.
bool NaiveReplaceAll(std::wstring& text, const std::wstring& search, const std::wstring& replacement)
{
    for (auto p = text.find(search); p != std::wstring::npos; p = text.find(search))
    {
        text.replace(p, search.size(), replacement);
        if (text.size() > 1000)
        {
            return false;
        }
    }
    return true;
}

std::wstring RandomText(std::mt19937& random, std::size_t maxLength)
{
    std::uniform_int_distribution<std::size_t> length(0, maxLength);
    std::uniform_int_distribution<int> letter(0, 2);
    std::wstring text(length(random), L'a');
    for (auto& c : text)
    {
        c = static_cast<wchar_t>(L'a' + letter(random));
    }
    return text;
}

template <typename Operation>
std::wstring Applied(std::wstring text, const std::wstring& search, const std::wstring& replacement, Operation op)
{
    op(text, search, replacement);
    return text;
}

std::string RuntimeErrorOf(std::wstring& text, const std::wstring& search, const std::wstring& replacement)
{
    try
    {
        StringUtilities::ReplaceAll(text, search, replacement);
    }
    catch (const std::runtime_error& e)
    {
        return e.what();
    }
    return "nothing thrown";
}

} // namespace

TEST(StringUtilities, AddAtEndIfNotExists)
{
    std::wstring text;
    StringUtilities::AddAtEndIfNotExists(text, L"\\");
    EXPECT_EQ(L"\\", text);
    StringUtilities::AddAtEndIfNotExists(text, L"\\");
    EXPECT_EQ(L"\\", text);
    text = L"a";
    StringUtilities::AddAtEndIfNotExists(text, L"ab");
    EXPECT_EQ(L"aab", text);
    StringUtilities::AddAtEndIfNotExists(text, L"");
    EXPECT_EQ(L"aab", text);
}

TEST(StringUtilities, ReplaceDoesNotSearchInsertedText)
{
    EXPECT_EQ(L"aaaaaa", Applied(L"aaa", L"a", L"aa", StringUtilities::Replace));
    EXPECT_EQ(L"aab", Applied(L"aabb", L"ab", L"a", StringUtilities::Replace));
    EXPECT_EQ(L"x-y-z", Applied(L"x, y, z", L", ", L"-", StringUtilities::Replace));
    EXPECT_EQ(L"", Applied(L"", L"a", L"b", StringUtilities::Replace));
    // An empty search text has no defined pass: it changes nothing (and must end).
    EXPECT_EQ(L"abc", Applied(L"abc", L"", L"X", StringUtilities::Replace));
}

TEST(StringUtilities, ReplaceAllRescansUntilNothingIsLeft)
{
    EXPECT_EQ(L"aa", Applied(L"aabb", L"ab", L"a", StringUtilities::ReplaceAll));
    EXPECT_EQ(L"", Applied(L"aaabbb", L"ab", L"", StringUtilities::ReplaceAll));
    EXPECT_EQ(L"abb", Applied(L"bab", L"ba", L"ab", StringUtilities::ReplaceAll));

    std::wstring text = L"x";
    EXPECT_EQ("Replace shouldn't contain the search string for replace all", RuntimeErrorOf(text, L"a", L"ab"));
    EXPECT_EQ(L"x", text);
    EXPECT_EQ("Replace shouldn't contain the search string for replace all", RuntimeErrorOf(text, L"", L"y"));
    EXPECT_EQ(L"x", text);
    // No check at all on an empty text.
    text.clear();
    EXPECT_EQ("nothing thrown", RuntimeErrorOf(text, L"a", L"ab"));
}

TEST(StringUtilities, ReplacementsAgreeWithThePlainAlgorithms)
{
    const unsigned seed = 20261206;
    std::mt19937 random(seed);
    for (int i = 0; i < 20000; ++i)
    {
        const std::wstring text = RandomText(random, 24);
        const std::wstring search = RandomText(random, 4);
        const std::wstring replacement = RandomText(random, 4);
        if (!search.empty())
        {
            ASSERT_EQ(Applied(text, search, replacement, NaiveReplace),
                      Applied(text, search, replacement, StringUtilities::Replace))
                << "seed " << seed << " case " << i;
        }
        std::wstring expected = text;
        if (!search.empty() && replacement.find(search) == std::wstring::npos &&
            NaiveReplaceAll(expected, search, replacement))
        {
            ASSERT_EQ(expected, Applied(text, search, replacement, StringUtilities::ReplaceAll))
                << "seed " << seed << " case " << i;
        }
    }
}

TEST(StringUtilities, ReplaceAtBeginAndEnd)
{
    EXPECT_EQ(L"Xc", Applied(L"abc", L"ab", L"X", StringUtilities::ReplaceAtBegin));
    EXPECT_EQ(L"bcd", Applied(L"bcd", L"ab", L"X", StringUtilities::ReplaceAtBegin));
    EXPECT_EQ(L"ab", Applied(L"ab", L"", L"X", StringUtilities::ReplaceAtBegin));
    EXPECT_EQ(L"", Applied(L"", L"", L"X", StringUtilities::ReplaceAtBegin));

    EXPECT_EQ(L"abX", Applied(L"ab", L"", L"X", StringUtilities::ReplaceAtEnd));
    EXPECT_EQ(L"a", Applied(L"a", L"ab", L"X", StringUtilities::ReplaceAtEnd));
    EXPECT_EQ(L"x", Applied(L"xab", L"ab", L"", StringUtilities::ReplaceAtEnd));
    EXPECT_EQ(L"", Applied(L"", L"", L"X", StringUtilities::ReplaceAtEnd));
}

TEST(StringUtilities, TrimBySet)
{
    auto trimmed = [](std::wstring text, const std::wstring& set, void (*trim)(std::wstring&, const std::wstring&)) {
        trim(text, set);
        return text;
    };
    EXPECT_EQ(L"a b", trimmed(L"  a b  ", L" ", StringUtilities::Trim));
    EXPECT_EQ(L"a b  ", trimmed(L"  a b  ", L" ", StringUtilities::TrimLeft));
    EXPECT_EQ(L"  a b", trimmed(L"  a b  ", L" ", StringUtilities::TrimRight));
    EXPECT_EQ(L"", trimmed(L"xxx", L"x", StringUtilities::Trim));
    EXPECT_EQ(L"", trimmed(L"xxx", L"x", StringUtilities::TrimLeft));
    EXPECT_EQ(L"", trimmed(L"xxx", L"x", StringUtilities::TrimRight));
    EXPECT_EQ(L" \tz\t ", trimmed(L" \tz\t ", L"", StringUtilities::Trim));
    EXPECT_EQ(L"z", trimmed(L"\r\n\t z \t\n\r", L"\t\n\r \t", StringUtilities::Trim));

    // A set larger than a handful of characters, with characters outside Latin-1 and a NUL.
    std::wstring set = L"0123456789abcdefghij";
    set += L'\0';
    set += L"\u4e2d\uffff";
    EXPECT_EQ(L"Z\u4e2dZ", trimmed(std::wstring(L"0\uffff\u4e2d\0aZ\u4e2dZ9j\0", 12), set, StringUtilities::Trim));
}

TEST(StringUtilities, CaseMappingKeepsTheLength)
{
    std::wstring text = L"Hello \u00c9\u00e9 \u0416\u0436 123 \u4e2d";
    StringUtilities::ToUpper(text);
    EXPECT_EQ(L"HELLO \u00c9\u00c9 \u0416\u0416 123 \u4e2d", text);
    StringUtilities::ToLower(text);
    EXPECT_EQ(L"hello \u00e9\u00e9 \u0436\u0436 123 \u4e2d", text);

    // German sharp s has no single upper-case character: it stays.
    std::wstring sharp = L"stra\u00dfe";
    StringUtilities::ToUpper(sharp);
    EXPECT_EQ(L"STRA\u00dfE", sharp);

    std::wstring empty;
    StringUtilities::ToLower(empty);
    EXPECT_EQ(L"", empty);
}

TEST(StringUtilities, ToAsciiKeepsLatin1AndRejectsTheRest)
{
    EXPECT_EQ("caf\xe9", StringUtilities::ToAscii(L"caf\u00e9"));
    EXPECT_EQ("ab", StringUtilities::ToAscii(std::wstring(L"ab\0cd", 5)));
    EXPECT_EQ("\xff", StringUtilities::ToAscii(L"\u00ff"));
    try
    {
        StringUtilities::ToAscii(L"price \u20ac");
        FAIL() << "nothing was thrown";
    }
    catch (const std::range_error& e)
    {
        EXPECT_STREQ("bad conversion", e.what());
    }
}

TEST(StringUtilities, Utf16ToUtf8)
{
    std::string out;
    StringUtilities::Utf16ToUtf8(L"A\u00e9\u20ac\U0001F600", out);
    EXPECT_EQ("A\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80", out);
    StringUtilities::Utf16ToUtf8(std::wstring(L"ab\0cd", 5), out);
    EXPECT_EQ("ab", out);
    StringUtilities::Utf16ToUtf8(L"", out);
    EXPECT_EQ("", out);

    // Lone surrogates anywhere are rejected and the output is left alone.
    for (const std::wstring& bad : { std::wstring(L"a\xd800" L"b"), std::wstring(L"a\xdc00"), std::wstring(L"\xd83d"),
                                     std::wstring(L"\xdc00\xd800") })
    {
        out = "kept";
        try
        {
            StringUtilities::Utf16ToUtf8(bad, out);
            ADD_FAILURE() << "nothing was thrown";
        }
        catch (const std::range_error& e)
        {
            EXPECT_STREQ("bad conversion", e.what());
        }
        EXPECT_EQ("kept", out);
    }
}

TEST(StringUtilities, Utf8ToUtf16)
{
    std::wstring out;
    StringUtilities::Utf8ToUtf16("A\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80\xf4\x8f\xbf\xbf", out);
    EXPECT_EQ(L"A\u00e9\u20ac\U0001F600\U0010FFFF", out);
    StringUtilities::Utf8ToUtf16("\xef\xbb\xbfx", out);
    EXPECT_EQ(L"\ufeffx", out);
    StringUtilities::Utf8ToUtf16(std::string("ab\0\xff", 4), out);
    EXPECT_EQ(L"ab", out);

    const char* const malformed[] = {
        "\x80",             // continuation byte where a sequence starts
        "a\xc3",            // cut off at the end
        "\xe2\x82",         // cut off at the end
        "\xc3(",            // not a continuation byte
        "\xf4\x90\x80\x80", // above U+10FFFF
        "\xf8\x88\x80\x80\x80",
        "\xc0\xaf",         // overlong '/'
        "\xe0\x80\xaf",     // overlong '/'
        "\xed\xa0\x80",     // encoded surrogate
        "\xff",
    };
    for (const char* bad : malformed)
    {
        out = L"kept";
        try
        {
            StringUtilities::Utf8ToUtf16(bad, out);
            ADD_FAILURE() << "nothing was thrown for " << ::testing::PrintToString(std::string(bad));
        }
        catch (const std::range_error& e)
        {
            EXPECT_STREQ("bad conversion", e.what());
        }
        EXPECT_EQ(L"kept", out);
    }

    // Every code point survives the round trip.
    std::wstring all;
    for (char32_t c = 1; c <= 0x10FFFF; c += (c < 0x800 ? 1 : 97))
    {
        if (c >= 0xD800 && c <= 0xDFFF)
        {
            continue;
        }
        if (c < 0x10000)
        {
            all += static_cast<wchar_t>(c);
        }
        else
        {
            all += static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
            all += static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        }
    }
    std::string utf8;
    StringUtilities::Utf16ToUtf8(all, utf8);
    StringUtilities::Utf8ToUtf16(utf8, out);
    EXPECT_EQ(all, out);
    // And agrees with Windows' own encoder.
    const int expected = ::WideCharToMultiByte(CP_UTF8, 0, all.data(), static_cast<int>(all.size()), nullptr, 0, nullptr, nullptr);
    std::string windows(static_cast<std::size_t>(expected), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, all.data(), static_cast<int>(all.size()), &windows[0], expected, nullptr, nullptr);
    EXPECT_EQ(windows, utf8);
}

TEST(StringUtilities, GetBufferAndReleaseBuffer)
{
    std::wstring text = L"something";
    StringUtilities::GetBuffer(text, 0);
    EXPECT_EQ(L"", text);

    wchar_t* buffer = StringUtilities::GetBuffer(text, 10);
    EXPECT_EQ(10u, text.size());
    buffer[0] = L'a';
    buffer[1] = L'b';
    buffer[2] = L'\0';
    StringUtilities::ReleaseBuffer(text);
    EXPECT_EQ(L"ab", text);

    text = L"abcdef";
    StringUtilities::GetBuffer(text, 3);
    EXPECT_EQ(L"abc", text);
    StringUtilities::ReleaseBuffer(text);
    EXPECT_EQ(L"abc", text);

    // The usual pair around a platform call.
    std::wstring directory;
    const UINT written = ::GetWindowsDirectoryW(StringUtilities::GetBuffer(directory, MAX_PATH), MAX_PATH);
    StringUtilities::ReleaseBuffer(directory);
    EXPECT_EQ(written, directory.size());
}

TEST(StringUtilities, MidAndLeft)
{
    EXPECT_EQ(L"cdef", StringUtilities::Mid(L"abcdef", 2));
    EXPECT_EQ(L"", StringUtilities::Mid(L"abc", 3));
    try
    {
        StringUtilities::Mid(L"abc", 4);
        FAIL() << "nothing was thrown";
    }
    catch (const std::out_of_range& e)
    {
        EXPECT_STREQ("invalid string position", e.what());
    }
    EXPECT_EQ(L"ab", StringUtilities::Left(L"abc", 2));
    EXPECT_EQ(L"abc", StringUtilities::Left(L"abc", 99));
    EXPECT_EQ(L"", StringUtilities::Left(L"abc", 0));
}

TEST(StringUtilities, FormatMessageW)
{
    EXPECT_EQ(L"Key HKCU\\Soft has 42 values", StringUtilities::FormatMessageW(L"Key %1 has %2!d! values", L"HKCU\\Soft", 42));
    EXPECT_EQ(L"b a 7", StringUtilities::FormatMessageW(L"%2 %1 %3!u!", L"a", L"b", 7u));
    EXPECT_EQ(L"plain", StringUtilities::FormatMessageW(L"plain"));
    // Longer than the 4096-character output: the formatter fails and the result is empty.
    const std::wstring longText(5000, L'x');
    EXPECT_EQ(L"", StringUtilities::FormatMessageW(L"%1", longText.c_str()));
    EXPECT_EQ(4095u, StringUtilities::FormatMessageW(L"%1", longText.substr(0, 4095).c_str()).size());
    EXPECT_EQ(L"", StringUtilities::FormatMessageW(nullptr));
}

TEST(StringUtilities, DigitChecks)
{
    EXPECT_TRUE(StringUtilities::VerifyContainsOnlyNumbers(L""));
    EXPECT_TRUE(StringUtilities::VerifyContainsOnlyNumbers(L"0123456789"));
    EXPECT_FALSE(StringUtilities::VerifyContainsOnlyNumbers(L"12a"));
    EXPECT_FALSE(StringUtilities::VerifyContainsOnlyNumbers(std::wstring(L"12\0" L"3", 4)));
    EXPECT_TRUE(StringUtilities::VerifyContainsOnlyHexNumbers(L""));
    EXPECT_TRUE(StringUtilities::VerifyContainsOnlyHexNumbers(L"0aF9"));
    EXPECT_FALSE(StringUtilities::VerifyContainsOnlyHexNumbers(L"0x1"));
    EXPECT_FALSE(StringUtilities::VerifyContainsOnlyHexNumbers(std::wstring(L"ab\0", 3)));
}

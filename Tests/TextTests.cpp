// Text: the string operations (against plain loops and Windows' own conversions), Base64
// against RFC 4648's vectors and large inputs, string tables read from resource-only modules
// built with the tests, and the language codes.
#include <KelvoUtilities.h>
#include <HostApi/OperatingSystem.h>

#include "TestSupport.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <random>
#include <stdexcept>
#include <tuple>
#include <type_traits>

using namespace Kelvo::Utilities;
using namespace TestSupport;

namespace {

using Edit = void (*)(std::wstring&, const std::wstring&, const std::wstring&);
using Trimmer = void (*)(std::wstring&, const std::wstring&);

std::wstring Applied(std::wstring text, const std::wstring& search, const std::wstring& replacement, Edit edit)
{
    return edit(text, search, replacement), text;
}

std::wstring Trimmed(std::wstring text, const std::wstring& set, Trimmer trim)
{
    return trim(text, set), text;
}

// The plain in-place loops, as the oracle for the linear versions. Some rules never end
// (ab -> bbaa grows aab forever): the ReplaceAll oracle gives up on them at 1,000 characters.
void NaiveReplace(std::wstring& text, const std::wstring& search, const std::wstring& replacement)
{
    for (auto p = text.find(search); p != std::wstring::npos; p = text.find(search, p + replacement.size()))
    {
        text.replace(p, search.size(), replacement);
    }
}

bool NaiveReplaceAll(std::wstring& text, const std::wstring& search, const std::wstring& replacement)
{
    for (auto p = text.find(search); p != std::wstring::npos && text.size() <= 1000; p = text.find(search))
    {
        text.replace(p, search.size(), replacement);
    }
    return text.find(search) == std::wstring::npos;
}

std::unique_ptr<void*, ModuleHandleDeleter> LoadAsData(const std::wstring& file)
{
    const HMODULE module = ::LoadLibraryExW(BesideTheTests(file).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    EXPECT_NE(nullptr, module) << "cannot load " << ::GetLastError();
    return std::unique_ptr<void*, ModuleHandleDeleter>(module);
}

} // namespace

TEST(StringUtilities, SuffixAndReplacementsAtTheEnds)
{
    std::wstring text;
    StringUtilities::AddAtEndIfNotExists(text, L"\\");
    StringUtilities::AddAtEndIfNotExists(text, L"\\");
    EXPECT_EQ(L"\\", text);
    text = L"a";
    StringUtilities::AddAtEndIfNotExists(text, L"ab");
    EXPECT_EQ(L"aab", text);

    EXPECT_EQ(L"Xc", Applied(L"abc", L"ab", L"X", StringUtilities::ReplaceAtBegin));
    EXPECT_EQ(L"bcd", Applied(L"bcd", L"ab", L"X", StringUtilities::ReplaceAtBegin));
    EXPECT_EQ(L"ab", Applied(L"ab", L"", L"X", StringUtilities::ReplaceAtBegin));
    EXPECT_EQ(L"abX", Applied(L"ab", L"", L"X", StringUtilities::ReplaceAtEnd));
    EXPECT_EQ(L"a", Applied(L"a", L"ab", L"X", StringUtilities::ReplaceAtEnd));
    EXPECT_EQ(L"x", Applied(L"xab", L"ab", L"", StringUtilities::ReplaceAtEnd));
    for (Edit edit : { StringUtilities::Replace, StringUtilities::ReplaceAll, StringUtilities::ReplaceAtBegin,
                       StringUtilities::ReplaceAtEnd })
    {
        EXPECT_EQ(L"", Applied(L"", L"", L"X", edit));
        EXPECT_EQ(L"", Applied(L"", L"a", L"ab", edit));
    }
}

TEST(StringUtilities, ReplaceAndReplaceAllAgreeWithThePlainLoopsOrRefuse)
{
    EXPECT_EQ(L"aaaaaa", Applied(L"aaa", L"a", L"aa", StringUtilities::Replace));
    EXPECT_EQ(L"aab", Applied(L"aabb", L"ab", L"a", StringUtilities::Replace));
    EXPECT_EQ(L"aa", Applied(L"aabb", L"ab", L"a", StringUtilities::ReplaceAll));
    // An empty search text changes nothing (and must end).
    EXPECT_EQ(L"abc", Applied(L"abc", L"", L"X", StringUtilities::Replace));

    std::mt19937 random(20261206);
    const auto randomText = [&random](std::size_t minLength, std::size_t maxLength) {
        std::wstring text(std::uniform_int_distribution<std::size_t>(minLength, maxLength)(random), L'a');
        for (auto& c : text)
        {
            c = static_cast<wchar_t>(L'a' + std::uniform_int_distribution<int>(0, 2)(random));
        }
        return text;
    };
    for (int i = 0; i < 20000; ++i)
    {
        const std::wstring text = randomText(0, 24), search = randomText(1, 4), replacement = randomText(0, 4);
        std::wstring expected = text;
        NaiveReplace(expected, search, replacement);
        ASSERT_EQ(expected, Applied(text, search, replacement, StringUtilities::Replace)) << "case " << i;
        expected = text;
        if (replacement.find(search) == std::wstring::npos && NaiveReplaceAll(expected, search, replacement))
        {
            ASSERT_EQ(expected, Applied(text, search, replacement, StringUtilities::ReplaceAll)) << "case " << i;
        }
    }

    // ReplaceAll refuses a replacement that holds the search text: it would never end.
    std::wstring text = L"x";
    for (const std::wstring search : { L"a", L"" })
    {
        EXPECT_EQ("Replace shouldn't contain the search string for replace all",
                  WhatOf<std::runtime_error>([&] { StringUtilities::ReplaceAll(text, search, L"ab"); }));
        EXPECT_EQ(L"x", text);
    }
}

TEST(StringUtilities, TrimBySet)
{
    EXPECT_EQ(L"a b", Trimmed(L"  a b  ", L" ", StringUtilities::Trim));
    EXPECT_EQ(L"a b  ", Trimmed(L"  a b  ", L" ", StringUtilities::TrimLeft));
    EXPECT_EQ(L"  a b", Trimmed(L"  a b  ", L" ", StringUtilities::TrimRight));
    for (Trimmer trim : { StringUtilities::Trim, StringUtilities::TrimLeft, StringUtilities::TrimRight })
    {
        EXPECT_EQ(L"", Trimmed(L"xxx", L"x", trim));
        EXPECT_EQ(L" z ", Trimmed(L" z ", L"", trim));
    }
    // A set larger than a handful of characters, with characters outside Latin-1 and a NUL.
    const std::wstring set(L"0123456789abcdefghij\0\u4e2d\uffff", 23);
    EXPECT_EQ(L"Z\u4e2dZ", Trimmed(std::wstring(L"0\uffff\u4e2d\0aZ\u4e2dZ9j\0", 12), set, StringUtilities::Trim));
}

TEST(StringUtilities, CaseMappingKeepsTheLength)
{
    std::wstring text = L"Hello \u00c9\u00e9 \u0416\u0436 stra\u00dfe 1 \u4e2d";
    StringUtilities::ToUpper(text);
    // Sharp s has no single upper-case character: it stays.
    EXPECT_EQ(L"HELLO \u00c9\u00c9 \u0416\u0416 STRA\u00dfE 1 \u4e2d", text);
    StringUtilities::ToLower(text);
    EXPECT_EQ(L"hello \u00e9\u00e9 \u0436\u0436 stra\u00dfe 1 \u4e2d", text);
}

TEST(StringUtilities, NarrowConversionsStopAtNulAndRejectWhatTheyCannotHold)
{
    EXPECT_EQ("caf\xe9\xff", StringUtilities::ToAscii(std::wstring(L"caf\u00e9\u00ff\0cd", 8)));
    EXPECT_EQ("bad conversion", WhatOf<std::range_error>([] { StringUtilities::ToAscii(L"price \u20ac"); }));

    std::string utf8;
    StringUtilities::Utf16ToUtf8(std::wstring(L"A\u00e9\u20ac\U0001F600\0cd", 8), utf8);
    EXPECT_EQ("A\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80", utf8);
    std::wstring utf16;
    StringUtilities::Utf8ToUtf16(std::string("\xef\xbb\xbf" "A\xc3\xa9\xf4\x8f\xbf\xbf\0\xff", 11), utf16);
    EXPECT_EQ(L"\ufeffA\u00e9\U0010FFFF", utf16);

    // Lone surrogates, and every kind of malformed UTF-8 (stray continuation byte, cut-off and
    // broken sequences, above U+10FFFF, overlong forms, encoded surrogates): output untouched.
    for (const std::wstring bad : { L"a\xd800" L"b", L"a\xdc00", L"\xd83d", L"\xdc00\xd800" })
    {
        EXPECT_EQ("bad conversion", WhatOf<std::range_error>([&] { StringUtilities::Utf16ToUtf8(bad, utf8); }));
    }
    EXPECT_EQ("A\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80", utf8);
    for (const char* bad : { "\x80", "a\xc3", "\xe2\x82", "\xc3(", "\xf4\x90\x80\x80", "\xf8\x88\x80\x80\x80", "\xc0\xaf",
                             "\xe0\x80\xaf", "\xed\xa0\x80", "\xff" })
    {
        EXPECT_EQ("bad conversion", WhatOf<std::range_error>([&] { StringUtilities::Utf8ToUtf16(bad, utf16); })) << bad;
    }
    EXPECT_EQ(L"\ufeffA\u00e9\U0010FFFF", utf16);
}

TEST(StringUtilities, Utf8RoundTripOfAllCodePointsMatchesWindows)
{
    std::wstring all;
    for (char32_t c = 1; c <= 0x10FFFF; c += (c < 0x800 ? 1 : 97))
    {
        if (c < 0xD800 || (c > 0xDFFF && c < 0x10000))
        {
            all += static_cast<wchar_t>(c);
        }
        else if (c >= 0x10000)
        {
            all += static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
            all += static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        }
    }
    std::string utf8;
    StringUtilities::Utf16ToUtf8(all, utf8);
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, all.data(), static_cast<int>(all.size()), nullptr, 0, nullptr, nullptr);
    std::string windows(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, all.data(), static_cast<int>(all.size()), &windows[0], size, nullptr, nullptr);
    EXPECT_EQ(windows, utf8);
    std::wstring back;
    StringUtilities::Utf8ToUtf16(utf8, back);
    EXPECT_EQ(all, back);
}

TEST(StringUtilities, BuffersAndSubstrings)
{
    std::wstring text = L"something";
    StringUtilities::GetBuffer(text, 0);
    EXPECT_EQ(L"", text);
    wchar_t* buffer = StringUtilities::GetBuffer(text, 10);
    EXPECT_EQ(10u, text.size());
    wcscpy(buffer, L"ab");
    StringUtilities::ReleaseBuffer(text);
    EXPECT_EQ(L"ab", text);
    text = L"abcdef";
    StringUtilities::GetBuffer(text, 3);
    StringUtilities::ReleaseBuffer(text);
    EXPECT_EQ(L"abc", text);

    EXPECT_EQ(L"cdef", StringUtilities::Mid(L"abcdef", 2));
    EXPECT_EQ(L"", StringUtilities::Mid(L"abc", 3));
    EXPECT_EQ("invalid string position", WhatOf<std::out_of_range>([] { StringUtilities::Mid(L"abc", 4); }));
    EXPECT_EQ(L"ab", StringUtilities::Left(L"abc", 2));
    EXPECT_EQ(L"abc", StringUtilities::Left(L"abc", 99));
}

TEST(StringUtilities, FormatMessageW)
{
    EXPECT_EQ(L"Key HKCU\\Soft has 42 values", StringUtilities::FormatMessageW(L"Key %1 has %2!d! values", L"HKCU\\Soft", 42));
    EXPECT_EQ(L"b a 7", StringUtilities::FormatMessageW(L"%2 %1 %3!u!", L"a", L"b", 7u));
    // The output holds 4096 characters with its NUL; longer results fail and come back empty.
    const std::wstring longText(4096, L'x');
    EXPECT_EQ(longText.substr(1), StringUtilities::FormatMessageW(L"%1", longText.c_str() + 1));
    EXPECT_EQ(L"", StringUtilities::FormatMessageW(L"%1", longText.c_str()));
    EXPECT_EQ(L"", StringUtilities::FormatMessageW(nullptr));
}

TEST(StringUtilities, DigitChecks)
{
    EXPECT_TRUE(StringUtilities::VerifyContainsOnlyNumbers(L""));
    EXPECT_TRUE(StringUtilities::VerifyContainsOnlyNumbers(L"0123456789"));
    EXPECT_FALSE(StringUtilities::VerifyContainsOnlyNumbers(std::wstring(L"12\0" L"3", 4)));
    EXPECT_TRUE(StringUtilities::VerifyContainsOnlyHexNumbers(L""));
    EXPECT_TRUE(StringUtilities::VerifyContainsOnlyHexNumbers(L"0aF9"));
    EXPECT_FALSE(StringUtilities::VerifyContainsOnlyHexNumbers(L"0x1"));
}

TEST(Base64, Rfc4648VectorsUtf8BothWaysAndExactFailures)
{
    const std::pair<std::wstring, std::wstring> cases[] = {
        { L"", L"" },          { L"f", L"Zg==" },         { L"fo", L"Zm8=" },         { L"foo", L"Zm9v" },
        { L"foob", L"Zm9vYg==" }, { L"fooba", L"Zm9vYmE=" }, { L"foobar", L"Zm9vYmFy" }, { L"abc", L"YWJj" },
        { L"\u00E9", L"w6k=" },
        { L"Gr\u00FC\u00DFe \u20AC \U0001F600", L"R3LDvMOfZSDigqwg8J+YgA==" },
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(c.second, Base64::Encode(c.first));
        EXPECT_EQ(c.first, Base64::Decode(c.second));
    }
    // The text ends at U+0000 both ways: a leading one leaves nothing to encode.
    EXPECT_EQ(L"YQ==", Base64::Encode(std::wstring(L"a\0b", 3)));
    EXPECT_EQ(L"", Base64::Encode(std::wstring(L"\0b", 2)));
    EXPECT_EQ(L"a", Base64::Decode(L"YQBi"));

    // Long text too is one line: 600,000 bytes give exactly 800,000 characters.
    const std::wstring text(300000, L'\u00FF');
    const std::wstring encoded = Base64::Encode(text);
    EXPECT_EQ(800000u, encoded.size());
    EXPECT_EQ(L"w7/Dv8O/", encoded.substr(0, 8));
    EXPECT_EQ(text, Base64::Decode(encoded));

    EXPECT_EQ("Cannot decode base64 string", WhatOf<std::runtime_error>([] { Base64::Decode(L"YW*j"); }));
    EXPECT_EQ("Cannot decode base64 string", WhatOf<std::runtime_error>([] { Base64::Decode(L"\u00E9\u00E9\u00E9\u00E9"); }));
    // Base64 of bytes that are not UTF-8, and ill-formed UTF-16 to encode.
    EXPECT_EQ("bad conversion", WhatOf<std::range_error>([] { Base64::Decode(L"/w=="); }));
    EXPECT_EQ("bad conversion", WhatOf<std::range_error>([] { Base64::Encode(L"a\xD800z"); }));

    // Line breaks and blanks are skipped; text of nothing else decodes to nothing.
    EXPECT_EQ(L"foobar", Base64::Decode(L"Zm9v\r\nYmFy"));
    EXPECT_EQ(L"", Base64::Decode(L" \r\n\t"));
}

// The interface's slots hold its two operations only: deleting through it must not compile.
static_assert(!std::is_destructible_v<IStringResourceReader>);

TEST(StringResourceReader, ReadsEveryBlockWithGapsAndNothingElseAndFreesItsModule)
{
    auto module = LoadAsData(L"StringTables.dll");
    // A data-file module's handle is its mapped image with the low bits set.
    const void* image = reinterpret_cast<const void*>(reinterpret_cast<ULONG_PTR>(module.get()) & ~ULONG_PTR(3));
    const auto isMapped = [image] {
        return Kelvo::HostApi::OperatingSystem::VirtualQuery(::GetCurrentProcess(), image).State != MEM_FREE;
    };
    {
        StringResourceReader reader(std::move(module));
        const std::map<int, std::wstring> expected = {
            { 0, L"zero" },          { 5, L"Gr\u00FC\u00DFe \u20AC" }, { 7, L"say \"hi\"" }, { 16, L"sixteen" },
            { 31, L"thirty-one" }, { 1000, L"one thousand" },         { 65535, L"last" },
        };
        EXPECT_EQ(expected, reader.GetAllStrings());
        EXPECT_EQ(expected, reader.GetAllStrings());
        for (const int id : { 0, 6, 65535, -1 })
        {
            // A plain std::exception: handlers for runtime_error and logic_error let it pass.
            EXPECT_EQ("Not implemented yet", WhatOf<std::exception>([&] {
                          try { reader.GetString(id); } catch (const std::runtime_error&) { } catch (const std::logic_error&) { }
                      }));
        }
        EXPECT_TRUE(isMapped());
    }
    EXPECT_FALSE(isMapped());

    EXPECT_TRUE(StringResourceReader(LoadAsData(L"NoStringTables.dll")).GetAllStrings().empty());
    // An empty reader has no module, not the executable's.
    EXPECT_TRUE(StringResourceReader(std::unique_ptr<void*, ModuleHandleDeleter>()).GetAllStrings().empty());

    StringResourceReader damaged(LoadAsData(L"DamagedStringTable.dll"));
    EXPECT_EQ("String table is damaged", WhatOf<std::runtime_error>([&] { damaged.GetAllStrings(); }));
}

TEST(Language, CodesOfTheTableAndTheChineseRule)
{
    // Identifier, its code in lower case and with upperCase true; "--" is the caller's text,
    // left alone for languages without a code. Sub-languages other than Chinese ones do not
    // matter, and Chinese codes stay in lower case.
    const std::tuple<unsigned short, const wchar_t*, const wchar_t*> cases[] = {
        { 0x0407, L"de", L"DE" },     { 0x0C07, L"de", L"DE" },     { 0xFC07, L"de", L"DE" },
        { 0x0416, L"ptbr", L"PTBR" }, { 0x0816, L"ptbr", L"PTBR" }, { 0x0401, L"ar", L"AR" },
        { 0x0419, L"ru", L"RU" },     { 0x041F, L"tr", L"TR" },     { 0x0404, L"zhtw", L"zhtw" },
        { 0x0C04, L"zhtw", L"zhtw" }, { 0x1404, L"zhtw", L"zhtw" }, { 0x0804, L"zhcn", L"zhcn" },
        { 0x1004, L"zhcn", L"zhcn" }, { 0x0408, L"--", L"--" },     { 0x0307, L"--", L"--" },
    };
    const Language language;
    const ILanguage& asInterface = language;
    for (const auto& [id, lower, upper] : cases)
    {
        std::wstring code = L"--";
        asInterface.IdToISO3166(id, code, false);
        EXPECT_EQ(lower, code) << std::hex << id;
        code = L"--";
        language.IdToISO3166(id, code, true);
        EXPECT_EQ(upper, code) << std::hex << id;
    }
    // Every code of the table, by primary language.
    const std::pair<unsigned short, std::wstring> table[] = {
        { 0x01, L"ar" }, { 0x05, L"cz" }, { 0x06, L"dk" }, { 0x07, L"de" },   { 0x09, L"en" }, { 0x0A, L"es" }, { 0x0B, L"fi" },
        { 0x0C, L"fr" }, { 0x0E, L"hu" }, { 0x10, L"it" }, { 0x11, L"jp" },   { 0x12, L"ko" }, { 0x13, L"nl" }, { 0x14, L"no" },
        { 0x15, L"pl" }, { 0x16, L"ptbr" }, { 0x18, L"ro" }, { 0x19, L"ru" }, { 0x1D, L"se" }, { 0x1F, L"tr" },
    };
    for (const auto& [primary, expected] : table)
    {
        std::wstring code;
        language.IdToISO3166(static_cast<unsigned short>(0x0400 | primary), code, false);
        EXPECT_EQ(expected, code) << std::hex << primary;
    }
}

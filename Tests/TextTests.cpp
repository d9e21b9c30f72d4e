// Base64 against RFC 4648's vectors and large inputs, string tables read from resource-only
// modules built with the tests, and the language codes.
#include <KelvoUtilities.h>
#include <HostApi/OperatingSystem.h>

#include <TestSupport.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <random>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <vector>

using namespace Kelvo::Utilities;
using namespace TestSupport;

namespace {

// The what() of an exception that is neither a runtime_error nor a logic_error.
template <typename Call>
std::string PlainWhatOf(Call call)
{
    const std::string what = WhatOf<std::exception>(call);
    EXPECT_EQ(what, WhatOf<std::exception>([&] {
                  try { call(); } catch (const std::runtime_error&) { } catch (const std::logic_error&) { }
              }));
    return what;
}

std::wstring Utf16(const std::string& utf8)
{
    std::wstring text;
    StringUtilities::Utf8ToUtf16(utf8, text);
    return text;
}

std::unique_ptr<void*, ModuleHandleDeleter> LoadAsData(const std::wstring& file)
{
    const HMODULE module = ::LoadLibraryExW(BesideTheTests(file).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    EXPECT_NE(nullptr, module) << "cannot load " << ::GetLastError();
    return std::unique_ptr<void*, ModuleHandleDeleter>(module);
}

bool IsMapped(const void* address)
{
    return Kelvo::HostApi::OperatingSystem::VirtualQuery(::GetCurrentProcess(), address).State != MEM_FREE;
}

} // namespace

TEST(Base64, Rfc4648VectorsAndUtf8BothWays)
{
    const std::pair<std::wstring, std::wstring> cases[] = {
        { L"", L"" },          { L"f", L"Zg==" },         { L"fo", L"Zm8=" },         { L"foo", L"Zm9v" },
        { L"foob", L"Zm9vYg==" }, { L"fooba", L"Zm9vYmE=" }, { L"foobar", L"Zm9vYmFy" }, { L"abc", L"YWJj" },
        { L"\u00E9", L"w6k=" },
        { Utf16("Gr\xc3\xbc\xc3\x9f" "e \xe2\x82\xac \xf0\x9f\x98\x80"), L"R3LDvMOfZSDigqwg8J+YgA==" },
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
}

TEST(Base64, OneMebibyteIsOneLineAndRoundTrips)
{
    // ASCII, two-, three- and four-byte UTF-8 characters mixed.
    const std::wstring pieces[] = { L"a", L"\u00E9", L"\u20AC", L"\U0001F600", L"z9+/" };
    std::mt19937 random(42);
    std::wstring text;
    while (text.size() < (1u << 20))
    {
        text += pieces[random() % 5];
    }
    std::string utf8;
    StringUtilities::Utf16ToUtf8(text, utf8);

    const std::wstring encoded = Base64::Encode(text);
    EXPECT_EQ(std::wstring::npos, encoded.find_first_of(L"\r\n"));
    EXPECT_EQ((utf8.size() + 2) / 3 * 4, encoded.size());
    EXPECT_EQ(std::wstring::npos, encoded.find_first_not_of(
                                      L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/="));
    EXPECT_EQ(text, Base64::Decode(encoded));

    const std::wstring ones(1u << 20, L'\x7F');
    EXPECT_EQ(std::wstring::npos, Base64::Encode(ones).find_first_of(L"\r\n"));
    EXPECT_EQ(ones, Base64::Decode(Base64::Encode(ones)));
}

TEST(Base64, GarbageIsRefusedWithTheExactMessages)
{
    EXPECT_EQ("Cannot decode base64 string", WhatOf<std::runtime_error>([] { Base64::Decode(L"YW*j"); }));
    EXPECT_EQ("Cannot decode base64 string", WhatOf<std::runtime_error>([] { Base64::Decode(L"\u00E9\u00E9\u00E9\u00E9"); }));
    // Base64 of bytes that are not UTF-8, and ill-formed UTF-16 to encode.
    EXPECT_EQ("bad conversion", WhatOf<std::range_error>([] { Base64::Decode(L"/w=="); }));
    EXPECT_EQ("bad conversion", WhatOf<std::range_error>([] { Base64::Encode(L"a\xD800z"); }));

    // Random text: either text comes back or one of the two failures above; nothing else.
    std::mt19937 random(7);
    const std::wstring alphabet = L"ABCxyz019+/=*-_ \r\n\t.\u00E9";
    for (int round = 0; round < 2000; ++round)
    {
        std::wstring garbage(random() % 40 + 1, L' ');
        for (wchar_t& c : garbage)
        {
            c = alphabet[random() % alphabet.size()];
        }
        try
        {
            Base64::Decode(garbage);
        }
        catch (const std::runtime_error& e) // range_error is one
        {
            EXPECT_TRUE(std::string(e.what()) == "bad conversion" || std::string(e.what()) == "Cannot decode base64 string");
        }
    }
}

// The interface's slots hold its two operations only: deleting through it must not compile.
static_assert(!std::is_destructible_v<IStringResourceReader>);

TEST(StringResourceReader, ReadsEveryBlockWithGapsAndNothingElse)
{
    StringResourceReader reader(LoadAsData(L"StringTables.dll"));
    const std::map<int, std::wstring> expected = {
        { 0, L"zero" },          { 5, L"Gr\u00FC\u00DFe \u20AC" }, { 7, L"say \"hi\"" }, { 16, L"sixteen" },
        { 31, L"thirty-one" }, { 1000, L"one thousand" },         { 65535, L"last" },
    };
    EXPECT_EQ(expected, reader.GetAllStrings());
    EXPECT_EQ(expected, reader.GetAllStrings());

    for (const int id : { 0, 6, 65535, -1 })
    {
        EXPECT_EQ("Not implemented yet", PlainWhatOf([&] { reader.GetString(id); }));
    }

    EXPECT_TRUE(StringResourceReader(LoadAsData(L"NoStringTables.dll")).GetAllStrings().empty());
    // An empty reader has no module, not the executable's.
    EXPECT_TRUE(StringResourceReader(std::unique_ptr<void*, ModuleHandleDeleter>()).GetAllStrings().empty());

    StringResourceReader damaged(LoadAsData(L"DamagedStringTable.dll"));
    EXPECT_EQ("String table is damaged", WhatOf<std::runtime_error>([&] { damaged.GetAllStrings(); }));
}

TEST(StringResourceReader, DestroyingTheReaderFreesItsModule)
{
    auto module = LoadAsData(L"StringTables.dll");
    // A data-file module's handle is its mapped image with the low bits set.
    const void* image = reinterpret_cast<const void*>(reinterpret_cast<ULONG_PTR>(module.get()) & ~ULONG_PTR(3));
    ASSERT_TRUE(IsMapped(image));
    {
        StringResourceReader reader(std::move(module));
        EXPECT_EQ(nullptr, module.get());
        EXPECT_TRUE(IsMapped(image));
    }
    EXPECT_FALSE(IsMapped(image));
}

TEST(Language, CodesOfTheTableAndTheChineseRule)
{
    const wchar_t* const table[] = { L"ar", L"cz", L"dk", L"de", L"en", L"es", L"fi", L"fr", L"hu", L"it",
                                     L"jp", L"ko", L"nl", L"no", L"pl", L"ptbr", L"ro", L"ru", L"se", L"tr" };
    const unsigned short primaries[] = { 0x01, 0x05, 0x06, 0x07, 0x09, 0x0A, 0x0B, 0x0C, 0x0E, 0x10,
                                         0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x18, 0x19, 0x1D, 0x1F };
    std::map<unsigned short, std::wstring> codes = { { 0x0404, L"zhtw" }, { 0x0C04, L"zhtw" }, { 0x1404, L"zhtw" },
                                                     { 0x0804, L"zhcn" }, { 0x1004, L"zhcn" }, { 0x7C04, L"zhcn" } };
    for (std::size_t i = 0; i < 20; ++i)
    {
        for (const int sub : { 0, 1, 2, 63 })
        {
            codes[static_cast<unsigned short>(sub << 10 | primaries[i])] = table[i];
        }
    }
    codes[0x0408] = codes[0x0000] = codes[0x03FF] = L"--"; // Greek, neutral, beyond: left alone

    const Language language;
    const ILanguage& asInterface = language;
    for (const auto& c : codes)
    {
        std::wstring lower = L"--", upper = L"--";
        asInterface.IdToISO3166(c.first, lower, false);
        language.IdToISO3166(c.first, upper, true);
        EXPECT_EQ(c.second, lower) << std::hex << c.first;
        // Upper case applies to the table's codes only.
        std::wstring capitals = c.second;
        for (wchar_t& letter : capitals)
        {
            letter = c.second[0] == L'z' && c.second[1] == L'h' ? letter : static_cast<wchar_t>(std::towupper(letter));
        }
        EXPECT_EQ(capitals, upper) << std::hex << c.first;
    }
}

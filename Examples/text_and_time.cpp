// Text and time: string helpers, UTF-8 and Base64, Windows message formatting, and KelvoTime
// with its constructors and its two text forms.
#include "Console.h"

#include <cstdint>
#include <stdexcept>

using namespace Kelvo::Utilities;

int main()
{
    return RunExample([] {
        // Strings are UTF-16 (std::wstring) throughout; the helpers change their argument in place.
        std::wstring folder = L"C:\\Program Files";
        StringUtilities::AddAtEndIfNotExists(folder, L"\\");
        Print("AddAtEndIfNotExists", folder);
        std::wstring list = L"  one, two, three  ";
        StringUtilities::Trim(list, L" ");
        StringUtilities::Replace(list, L", ", L" + ");
        StringUtilities::ToUpper(list);
        Print("Trim, Replace, ToUpper", list);
        Print("FormatMessageW", StringUtilities::FormatMessageW(L"%1 has %2!d! items", L"The list", 3));

        // UTF-8 at the edges (files, the network, this console), UTF-16 inside.
        std::wstring greeting;
        StringUtilities::Utf8ToUtf16("Gr\xc3\xbc\xc3\x9f" "e \xe2\x82\xac", greeting);
        Print("UTF-16 code units of \"Gr\xc3\xbc\xc3\x9f" "e \xe2\x82\xac\"", greeting.size());
        // Base64 codes the UTF-8 form of the text.
        const std::wstring base64 = Base64::Encode(greeting);
        Print("Base64::Encode", base64);
        Print("Base64::Decode", Base64::Decode(base64));
        try
        {
            StringUtilities::ToAscii(greeting); // the euro sign has no single byte
        }
        catch (const std::range_error& e)
        {
            Print("ToAscii refuses U+20AC, std::range_error", e.what());
        }

        // Unix seconds: SetTime takes them. (KelvoTime(std::int64_t) by value is a count of
        // 100-ns ticks since 1601, and the by-reference Unix-seconds constructor is ambiguous
        // with it for a plain variable, so use SetTime.)
        const std::int64_t unixSeconds = 1700000000;
        KelvoTime fromUnix;
        fromUnix.SetTime(unixSeconds);
        Print("SetTime(1700000000) (Unix seconds)", fromUnix.ToString());
        Print("KelvoTime(1700000000LL) (ticks)", KelvoTime(1700000000LL).ToString());
        Print("ticks since 1601", fromUnix.GetTime());

        // Two text forms: ToString/FromString (whole seconds), ToHexString/the string constructor.
        const std::wstring hex = fromUnix.ToHexString();
        Print("ToHexString", hex);
        Print("KelvoTime(hex) == original", KelvoTime(hex) == fromUnix ? L"true" : L"false");
        KelvoTime parsed;
        parsed.FromString(L"2015-03-12T14:05:09");
        Print("FromString, AddDays(-1)", parsed.AddDays(-1).ToString());
        Print("AddMilliseconds(61500)", parsed.AddMilliseconds(61500).ToString());
        Print("six-field constructor", KelvoTime(2024, 2, 29, 23, 59, 59).ToString());
        Print("2024-01-01 later than 2015-03-12", KelvoTime(2024, 1, 1, 0, 0, 0) > parsed ? L"true" : L"false");

        // The value records no zone: Now() is local time; GetUtcTime() converts it.
        const KelvoTime now = KelvoTime::Now();
        Print("Now", now.ToString());
        Print("short date picture of the user's locale", KelvoTime::GetShortDateFormat());
        try
        {
            parsed.FromString(L"2015-03-12"); // too short: the value stays as it was
        }
        catch (const std::out_of_range&)
        {
            Print("FromString of a short text throws std::out_of_range, value kept", parsed.ToString());
        }
    });
}

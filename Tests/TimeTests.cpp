// KelvoTime: every way in and out, the whole calendar range, arithmetic and comparison, the
// clock, local time in the zone of the process (CTest runs the TimeZones tests again under other
// TZ values), and the regional settings, changed for the test and put back.
#include <KelvoUtilities.h>

#include <TestSupport.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

using namespace Kelvo::Utilities;
using namespace TestSupport;

namespace {

const wchar_t* const InvalidDate = L"Invalid parameter!|87|Source\\KelvoTime";

KelvoTime Raw(std::uint64_t ticks)
{
    return KelvoTime(static_cast<std::int64_t>(ticks));
}

} // namespace

TEST(KelvoTime, ConstructorsTheHexadecimalFormAndTheTwoSixtyFourBitForms)
{
    EXPECT_EQ(L"0000000000000000", KelvoTime().ToHexString());
    EXPECT_EQ(L"0000000000000000", KelvoTime(NoTime).ToHexString());
    EXPECT_EQ(0u, KelvoTime(static_cast<TimeInit>(3)).GetTime());

    // A 64-bit number by value is a raw tick count.
    EXPECT_EQ(L"1601-01-01T00:00:00", KelvoTime(0).ToString());

    const KelvoTime fields(2015, 3, 12, 14, 5, 9);
    EXPECT_EQ(L"2015-03-12T14:05:09", fields.ToString());
    unsigned int all[6];
    fields.GetTime(all[0], all[1], all[2], all[3], all[4], all[5]);
    EXPECT_EQ((std::vector<unsigned int>{ 2015, 3, 12, 14, 5, 9 }), std::vector<unsigned int>(all, all + 6));
    EXPECT_EQ((std::vector<unsigned int>{ 2015, 3, 12, 14, 5, 9 }),
              (std::vector<unsigned int>{ fields.GetYear(), fields.GetMonth(), fields.GetDay(), fields.GetHour(),
                                          fields.GetMinute(), fields.GetSecond() }));

    FILETIME fileTime{ 0x12345678, 0x01D05C8A };
    SYSTEMTIME systemTime{ 2015, 3, 6 /* wrong day of week: ignored */, 12, 14, 5, 9, 500 };
    EXPECT_EQ(0x01D05C8A12345678u, KelvoTime(fileTime).GetTime());
    EXPECT_EQ(fields.AddMilliseconds(500), KelvoTime(systemTime));
    EXPECT_EQ(4, KelvoTime(systemTime).GetSystemTimeFromTime().wDayOfWeek); // a Thursday
    KelvoTime assigned;
    EXPECT_EQ(0x01D05C8A12345678u, (assigned = fileTime).GetTime());
    EXPECT_EQ(KelvoTime(systemTime), assigned = systemTime);

    EXPECT_EQ(L"01d05c8a12345678", Raw(0x01D05C8A12345678).ToHexString());
    EXPECT_EQ(L"ffffffffffffffff", Raw(~0ull).ToHexString());
    const std::pair<std::wstring, std::uint64_t> parsed[] = {
        { L"01D05C8A12345678", 0x01D05C8A12345678 }, { L"", 0 }, { L"xyz", 0 }, { L"01d05c8a", 0x01D05C8A00000000 },
        { L"01d05c8a1234", 0x01D05C8A00001234 },     { L"01d05c8a12345678ff", 0x01D05C8A12345678 },
    };
    for (const auto& c : parsed)
    {
        EXPECT_EQ(c.second, KelvoTime(c.first).GetTime()) << c.first.c_str();
    }
}

TEST(KelvoTime, TextFormAndInvalidDates)
{
    KelvoTime parsed;
    parsed.FromString(KelvoTime(2015, 3, 12, 14, 5, 9).AddMilliseconds(999).ToString());
    EXPECT_EQ(KelvoTime(2015, 3, 12, 14, 5, 9), parsed);
    const std::pair<std::wstring, std::wstring> cases[] = {
        { L"2015/03/12 14.05.09", L"2015-03-12T14:05:09" }, // separators are not examined
        { L"2015-03-12T14:05:", L"2015-03-12T14:05:00" },   // 17 characters
        { L"2015-03-12T14:05:7", L"2015-03-12T14:05:07" },  // 18 characters
        { L"2015-3-12T14:05:09", L"2015-03-02T04:05:09" },  // by position: "3-", "2T", "4:", "5:", "9"
        { L"30827-12-31T23:59:59", L"30827-12-31T23:59:59" }, // the first and last dates, and leap days
        { L"1601-01-01T00:00:00", L"1601-01-01T00:00:00" },   { L"2016-02-29T23:59:59", L"2016-02-29T23:59:59" },
        { L"2000-02-29T00:00:00", L"2000-02-29T00:00:00" },
    };
    for (const auto& c : cases)
    {
        parsed.FromString(c.first);
        EXPECT_EQ(c.second, parsed.ToString()) << c.first.c_str();
    }

    // Too short: out_of_range; not a date: Exception 87. Either way the value stays.
    const KelvoTime before = parsed;
    EXPECT_EQ("invalid string position", WhatOf<std::out_of_range>([&] { parsed.FromString(L"2015-03-12T14:05"); }));
    for (const wchar_t* text : { L"2015-13-12T14:05:09", L"2015-02-29T14:05:09", L"2015-03-12T24:05:09",
                                 L"1600-12-31T23:59:59", L"2015--3-12T14:05:09", L"2015-01-01T00:60:00",
                                 L"1900-02-29T00:00:00", L"2015-01-00T00:00:00", L"2015-01-01T00:00:60" })
    {
        EXPECT_EQ(InvalidDate, FailureOf([&] { parsed.FromString(text); })) << text;
    }
    EXPECT_EQ(InvalidDate, FailureOf([&] { parsed.SetTime(2015, 0x10001, 1, 0, 0, 0); }));
    EXPECT_EQ(InvalidDate, FailureOf([&] { parsed.SetTime(30828, 1, 1, 0, 0, 0); }));
    SYSTEMTIME invalid{ 2015, 4, 0, 31, 0, 0, 0, 0 };
    EXPECT_EQ(InvalidDate, FailureOf([&] { parsed = invalid; }));
    EXPECT_EQ(before, parsed);
}

TEST(KelvoTime, UnixSecondsOverTheWholeSixtyFourBitRange)
{
    const std::pair<std::int64_t, std::wstring> cases[] = {
        { -1, L"1969-12-31T23:59:59" },          { 2147483648, L"2038-01-19T03:14:08" },
        { 4294967296, L"2106-02-07T06:28:16" },  { -2147483649, L"1901-12-13T20:45:51" },
        { 910670515199, L"30827-12-31T23:59:59" }, { -11644473600, L"1601-01-01T00:00:00" },
    };
    for (const auto& c : cases)
    {
        KelvoTime time;
        time.SetTime(c.first);
        EXPECT_EQ(c.second, time.ToString()) << c.first;
    }
    // The last second whose ticks fit 64 bits; beyond either end nothing changes.
    KelvoTime time;
    time.SetTime(std::int64_t(1833029933770));
    EXPECT_EQ(18446744073700000000u, time.GetTime());
    for (const std::int64_t outside : { std::int64_t(1833029933771), std::int64_t(-11644473601), INT64_MAX, INT64_MIN })
    {
        EXPECT_EQ(InvalidDate, FailureOf([&] { time.SetTime(outside); }));
    }
    EXPECT_EQ(18446744073700000000u, time.GetTime());
    // Ticks from 2^63 on have no calendar date and no text.
    EXPECT_EQ(L"Can't convert file time to system time|87|Source\\KelvoTime", FailureOf([&] { time.ToString(); }));
    EXPECT_EQ(L"Can't convert file time to system time|87|Source\\KelvoTime", FailureOf([&] { time.GetDay(); }));
}

TEST(KelvoTime, ArithmeticAndComparison)
{
    const KelvoTime second(1970, 1, 2, 12, 34, 56);
    EXPECT_EQ(L"1970-01-01T12:34:56", second.AddDays(-1).ToString());
    EXPECT_EQ(L"4338-11-29T00:00:00", Raw(0).AddDays(1000000).ToString());
    EXPECT_EQ(57u, second.AddMilliseconds(1000).GetSecond());
    // A negative count passed as unsigned goes back, as it always did.
    EXPECT_EQ(L"1970-01-02T12:34:55", second.AddMilliseconds(static_cast<std::uint64_t>(-1000)).ToString());
    // Results before 1601 or past the 64-bit tick range would wrap round to a wrong date: refused,
    // and the value stays as it was. The last tick and the first are still reached.
    const std::function<KelvoTime()> outOfRange[] = {
        [&] { return second.AddDays(INT32_MIN); },         [] { return Raw(0).AddDays(INT32_MAX); },
        [] { return Raw(0).AddDays(-1); },
        [] { return Raw(~0ull).AddDays(1); },              [] { return Raw(~0ull).AddMilliseconds(1); },
        [&] { return second.AddMilliseconds(1ull << 62); }, [] { return Raw(9999).AddMilliseconds(~0ull); },
    };
    for (const auto& add : outOfRange)
    {
        EXPECT_EQ(L"Invalid parameter! (ErrorCode: 87)", Caught<Exception>(add).GetFullMessage());
    }
    EXPECT_EQ(L"1970-01-02T12:34:56", second.ToString());
    EXPECT_EQ(~0ull, Raw(~0ull - 10000).AddMilliseconds(1).GetTime());
    EXPECT_EQ(0u, Raw(10000).AddMilliseconds(~0ull).GetTime());
    EXPECT_EQ(0u, Raw(864000000000).AddDays(-1).GetTime());

    const KelvoTime same = second, later = second.AddMilliseconds(1);
    EXPECT_TRUE(same == second && same <= second && same >= second);
    EXPECT_FALSE(same != second || same < second || same > second);
    EXPECT_TRUE(second < later && later > second && second <= later && later >= second && second != later);
    EXPECT_TRUE(Raw(0x8000000000000000) > Raw(0x7FFFFFFFFFFFFFFF)); // unsigned, not negative

    FILETIME own = second.GetFileTimeFromTime(), top{ 0, 0x80000000 };
    EXPECT_EQ(0, second.CompareToFileTime(own));
    EXPECT_EQ(1, later.CompareToFileTime(own));
    EXPECT_EQ(-1, second.CompareToFileTime(top));
}

TEST(TimeZones, ClockAndLocalTimeFollowTheZoneOfTheProcess)
{
    SYSTEMTIME local, utc;
    ::GetLocalTime(&local);
    ::GetSystemTime(&utc);
    const auto seconds = [](SYSTEMTIME& from, const KelvoTime& to) {
        return (static_cast<double>(to.GetTime()) - static_cast<double>(KelvoTime(from).GetTime())) / 1e7;
    };
    EXPECT_LT(std::abs(seconds(local, KelvoTime::Now())), 1.0);
    EXPECT_LT(std::abs(seconds(local, KelvoTime(LocalTime))), 1.0);
    EXPECT_LT(std::abs(seconds(utc, KelvoTime(SystemTime))), 1.0);

    // Minutes east of UTC, in winter and summer, of the zones CTest runs this test in.
    const std::map<std::string, std::pair<int, int>> zones = {
        { "Asia/Kolkata", { 330, 330 } }, { "America/New_York", { -300, -240 } }, { "UTC", { 0, 0 } } };
    TIME_ZONE_INFORMATION zone;
    const DWORD which = ::GetTimeZoneInformation(&zone);
    const long offset = -(zone.Bias + (which == TIME_ZONE_ID_DAYLIGHT ? zone.DaylightBias : zone.StandardBias));
    const char* tz = std::getenv("TZ");
    if (tz != nullptr && zones.count(tz) != 0)
    {
        EXPECT_TRUE(offset == zones.at(tz).first || offset == zones.at(tz).second) << offset;
    }
    // The conversions apply the current offset, whatever the date.
    for (const KelvoTime& time : { KelvoTime(2015, 1, 15, 12, 0, 0), KelvoTime(2015, 7, 15, 12, 0, 0) })
    {
        EXPECT_EQ(static_cast<std::int64_t>(time.GetTime()) + offset * 600000000ll,
                  static_cast<std::int64_t>(time.GetLocalTime().GetTime()));
        EXPECT_EQ(time, time.GetLocalTime().GetUtcTime());
    }
}

TEST(RegionalSettings, ReadTheUsersLocaleWithGrowingBuffers)
{
    for (const auto& [format, meridian] : { std::pair<std::wstring, bool>{ L"HH:mm:ss", false }, { L"h:mm:ss tt", true } })
    {
        const ScopedLocaleItem longTime(LOCALE_STIMEFORMAT, format);
        EXPECT_EQ(format, KelvoTime::GetLongTimeFormat());
        EXPECT_EQ(meridian, KelvoTime::IsMerdian());
    }
    // Longer than the separator's first buffer of 8 characters: it doubles until the text fits.
    // (Wine refuses the other items longer than 80 characters, so their 128 never fills.)
    const std::wstring decimal(20, L'#');
    const ScopedLocaleItem separator(LOCALE_SDECIMAL, decimal);
    const ScopedLocaleItem firstDay(LOCALE_IFIRSTDAYOFWEEK, L"6");
    const ScopedLocaleItem shortTime(LOCALE_SSHORTTIME, L"H.mm");
    const ScopedLocaleItem longDate(LOCALE_SLONGDATE, L"dddd d. MMMM yyyy");
    const ScopedLocaleItem shortDate(LOCALE_SSHORTDATE, L"dd.MM.yyyy");
    EXPECT_EQ(decimal, KelvoTime::GetDecimalSeperator());
    EXPECT_EQ(Sunday, KelvoTime::GetFirstDayOfWeek());
    EXPECT_EQ(L"H.mm", KelvoTime::GetShortTimeFormat());
    EXPECT_EQ(L"dddd d. MMMM yyyy", KelvoTime::GetLongDateFormat());
    EXPECT_EQ(L"dd.MM.yyyy", KelvoTime::GetShortDateFormat());
}

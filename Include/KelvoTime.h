#pragma once

#include "UtilitiesExport.h"

#include <HostApi/WindowsTypes.h>

#include <cstdint>
#include <string>

namespace Kelvo {
namespace Utilities {

/// The starting value of KelvoTime(TimeInit); any other number starts at 0.
enum TimeInit
{
    /// 0 (1601-01-01 00:00:00).
    NoTime = 0,
    /// The current local time.
    LocalTime = 1,
    /// The current UTC time.
    SystemTime = 2
};

/// Numbered as Windows numbers the first day of the week.
enum WeekDays
{
    ///@{
    /// A day of the week.
    Monday = 0,
    Tuesday = 1,
    Wednesday = 2,
    Thursday = 3,
    Friday = 4,
    Saturday = 5,
    Sunday = 6
///@}
};

/// A point in time as 100-nanosecond ticks since 1601-01-01 00:00:00 (the value of a FILETIME),
/// with conversions to and from the Windows time structures, Unix seconds, the text form
/// yyyy-MM-ddTHH:mm:ss and a 16-digit hexadecimal form; arithmetic, comparison, local/UTC
/// conversion, and the user's regional settings for dates and times. Whether a value is local
/// time or UTC is the caller's convention.
/// A plain value: owns nothing. Throws Exception with the Windows error code where a value cannot
/// be converted to calendar fields, Exception "Invalid parameter!" (87) for fields or results
/// outside the tick range, Win32Exception from Now, std::out_of_range from FromString, and
/// std::runtime_error where the user's regional settings cannot be read.
/// Example: Examples/text_and_time.cpp (and the guide's section on time values)
class KELVO_UTILITIES_API KelvoTime
{
public:
    /// 0, that is 1601-01-01 00:00:00.
    KelvoTime();
    /// 0, the current local time or the current UTC time (see TimeInit).
    KelvoTime(TimeInit init);
    /// The value of fileTime.
    KelvoTime(FILETIME& fileTime);
    /// The value of systemTime, as SetTime does it.
    KelvoTime(SYSTEMTIME& systemTime);
    /// Raw ticks: KelvoTime(0) is 1601-01-01.
    KelvoTime(std::int64_t ticks);
    /// Unix seconds. For a modifiable variable the two forms are equally good, so a call with one
    /// does not compile, and constants and temporaries reach the raw form: this form is there for
    /// the programs built against it; new code sets Unix seconds with SetTime.
    KelvoTime(std::int64_t& unixSeconds);
    /// The date and time from its fields, as SetTime does it.
    KelvoTime(unsigned int year, unsigned int month, unsigned int day, unsigned int hour, unsigned int minute,
              unsigned int second);
    /// The hexadecimal form of ToHexString (not the text form of ToString).
    KelvoTime(const std::wstring& hexadecimal);

    ///@{
    /// Fields that do not form a date (month 13, day 32, year 1600, ...) and Unix seconds whose
    /// ticks fall outside 0 to 2^64 - 1 (before 1601 or after the year 60055) throw Exception
    /// "Invalid parameter!" with code 87 and leave the value unchanged. Unix seconds count from
    /// 1970-01-01 00:00:00.
    void SetTime(const FILETIME& fileTime);
    void SetTime(const SYSTEMTIME& systemTime);
    void SetTime(const std::int64_t& unixSeconds);
    void SetTime(unsigned int year, unsigned int month, unsigned int day, unsigned int hour, unsigned int minute,
                 unsigned int second);
    ///@}
    ///@{
    /// As SetTime.
    KelvoTime& operator=(const FILETIME& fileTime);
    KelvoTime& operator=(const SYSTEMTIME& systemTime);
    ///@}
    /// Copies other's value.
    KelvoTime& operator=(const KelvoTime& other);
    /// Copies other's value.
    KelvoTime(const KelvoTime& other);

    /// Reads yyyy-MM-ddTHH:mm:ss by position (the separators are not examined; a five-digit year
    /// moves the other fields one place right). Shorter than 17 characters: std::out_of_range.
    void FromString(const std::wstring& text);
    /// The current local time; throws Win32Exception "GetTimeZoneInformation failed" when the time
    /// zone cannot be read.
    static KelvoTime Now();

    /// The raw tick count.
    std::uint64_t GetTime() const;
    ///@{
    /// The calendar fields; these and GetSystemTimeFromTime throw Exception "Can't convert file
    /// time to system time" for values of 0x8000000000000000 and above.
    void GetTime(unsigned int& year, unsigned int& month, unsigned int& day, unsigned int& hour, unsigned int& minute,
                 unsigned int& second) const;
    unsigned int GetYear() const;
    unsigned int GetMonth() const;
    unsigned int GetDay() const;
    unsigned int GetHour() const;
    unsigned int GetMinute() const;
    unsigned int GetSecond() const;
    ///@}
    /// The value as a FILETIME.
    FILETIME GetFileTimeFromTime() const;
    /// The value as a SYSTEMTIME; throws as GetTime with six fields.
    SYSTEMTIME GetSystemTimeFromTime() const;
    /// yyyy-MM-ddTHH:mm:ss, 24-hour clock, whole seconds.
    std::wstring ToString() const;
    /// 16 lower-case hexadecimal digits, high half first.
    std::wstring ToHexString() const;
    /// -1, 0 or 1: this value earlier than, equal to or later than fileTime.
    int CompareToFileTime(FILETIME& fileTime) const;

    ///@{
    /// Compare the tick counts.
    bool operator==(const KelvoTime& other) const;
    bool operator!=(const KelvoTime& other) const;
    bool operator<(const KelvoTime& other) const;
    bool operator>(const KelvoTime& other) const;
    bool operator<=(const KelvoTime& other) const;
    bool operator>=(const KelvoTime& other) const;
    ///@}

    /// A negative count goes back. A result before 1601 or beyond the 64-bit tick range throws
    /// Exception "Invalid parameter!" (87).
    KelvoTime AddDays(int days) const;
    /// The count is read as signed: a negative number passed as unsigned goes back. Out of range as
    /// for AddDays.
    KelvoTime AddMilliseconds(std::uint64_t milliseconds) const;
    ///@{
    /// Local time to UTC (GetUtcTime) and UTC to local time (GetLocalTime) with the current time
    /// zone; 0 when Windows cannot convert.
    KelvoTime GetUtcTime() const;
    KelvoTime GetLocalTime() const;
    ///@}

    ///@{
    /// The user's regional settings; each throws std::runtime_error naming the setting when
    /// Windows cannot give it.
    static WeekDays GetFirstDayOfWeek();
    static std::wstring GetLongTimeFormat();
    static std::wstring GetShortTimeFormat();
    static std::wstring GetLongDateFormat();
    static std::wstring GetShortDateFormat();
    static std::wstring GetDecimalSeperator();
    ///@}
    /// Whether the long time format shows AM/PM (holds the picture letter t).
    static bool IsMerdian();

private:
    // Unix seconds to ticks; false when the result lies outside the unsigned 64-bit range.
    static bool TimeToFileTime(std::int64_t unixSeconds, FILETIME* fileTime);

    std::uint64_t m_time;
};

} // namespace Utilities
} // namespace Kelvo

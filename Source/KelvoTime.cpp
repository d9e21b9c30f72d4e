#include "KelvoTime.h"

#include "Internal/Failure.h"
#include "OSInfo.h"
#include "StringUtilities.h"
#include "Win32Exception.h"

#include <cwctype>
#include <limits>
#include <stdexcept>
#include <vector>

namespace Kelvo {
namespace Utilities {

namespace {

const std::uint64_t TicksPerSecond = 10000000;
const std::uint64_t TicksPerMillisecond = 10000;
const std::uint64_t TicksPerDay = 864000000000;
// 1970-01-01 00:00:00 is this many seconds after 1601-01-01 00:00:00.
const std::int64_t UnixEpochSeconds = 11644473600;

std::uint64_t FromFileTime(const FILETIME& fileTime)
{
    return (static_cast<std::uint64_t>(fileTime.dwHighDateTime) << 32) | fileTime.dwLowDateTime;
}

FILETIME ToFileTime(std::uint64_t ticks)
{
    FILETIME fileTime;
    fileTime.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    fileTime.dwLowDateTime = static_cast<DWORD>(ticks);
    return fileTime;
}

const wchar_t* const InvalidParameter = L"Invalid parameter!";

// ticks + count * unit when that is a tick count; a result before 1601 or beyond the 64-bit
// tick range would wrap round to a date of no meaning, so it is refused.
std::uint64_t Advanced(std::uint64_t ticks, std::int64_t count, std::uint64_t unit, const ThrowSite& site)
{
    const std::uint64_t magnitude =
        count < 0 ? 0 - static_cast<std::uint64_t>(count) : static_cast<std::uint64_t>(count);
    const bool fits =
        magnitude <= std::numeric_limits<std::uint64_t>::max() / unit &&
        (count < 0 ? magnitude * unit <= ticks : magnitude * unit <= std::numeric_limits<std::uint64_t>::max() - ticks);
    if (!fits)
    {
        ThrowError(InvalidParameter, ERROR_INVALID_PARAMETER, site);
    }
    return count < 0 ? ticks - magnitude * unit : ticks + magnitude * unit;
}

bool IsLeapYear(unsigned int year)
{
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

// Checked here rather than left to SystemTimeToFileTime: some Windows implementations roll
// 29 February of a common year or minute 60 over into the next day or hour.
bool IsDate(const SYSTEMTIME& fields)
{
    static const unsigned int DaysInMonth[] = { 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31 };
    if (fields.wYear < 1601 || fields.wYear > 30827 || fields.wMonth < 1 || fields.wMonth > 12 || fields.wDay < 1)
    {
        return false;
    }
    const unsigned int days = DaysInMonth[fields.wMonth - 1] + (fields.wMonth == 2 && IsLeapYear(fields.wYear) ? 1 : 0);
    return fields.wDay <= days && fields.wHour < 24 && fields.wMinute < 60 && fields.wSecond < 60 &&
           fields.wMilliseconds < 1000;
}

// The ticks of a calendar date; throws for fields that do not form one.
std::uint64_t TicksOf(const SYSTEMTIME& systemTime)
{
    SYSTEMTIME fields = systemTime;
    fields.wDayOfWeek = 0;
    FILETIME fileTime;
    if (!IsDate(fields) || !::SystemTimeToFileTime(&fields, &fileTime))
    {
        ThrowError(InvalidParameter, ERROR_INVALID_PARAMETER, KELVO_SITE);
    }
    return FromFileTime(fileTime);
}

// Six calendar fields as a SYSTEMTIME; a field beyond 16 bits is no date at all.
SYSTEMTIME FieldsOf(unsigned int year, unsigned int month, unsigned int day, unsigned int hour, unsigned int minute,
                    unsigned int second)
{
    for (const unsigned int field : { year, month, day, hour, minute, second })
    {
        if (field > 0xFFFF)
        {
            ThrowError(InvalidParameter, ERROR_INVALID_PARAMETER, KELVO_SITE);
        }
    }
    SYSTEMTIME fields{};
    fields.wYear = static_cast<WORD>(year);
    fields.wMonth = static_cast<WORD>(month);
    fields.wDay = static_cast<WORD>(day);
    fields.wHour = static_cast<WORD>(hour);
    fields.wMinute = static_cast<WORD>(minute);
    fields.wSecond = static_cast<WORD>(second);
    return fields;
}

// A field of the text form as _wtoi reads it (0 when there is no number).
unsigned int FieldAt(const std::wstring& text, std::size_t position, std::size_t length)
{
    const int value = ::_wtoi(text.substr(position, length).c_str());
    if (value < 0 || value > 0xFFFF)
    {
        ThrowError(InvalidParameter, ERROR_INVALID_PARAMETER, KELVO_SITE);
    }
    return static_cast<unsigned int>(value);
}

// Reads up to 8 hexadecimal digits after blanks at position; false when there is none.
bool ReadHexHalf(const std::wstring& text, std::size_t& position, DWORD& half)
{
    while (position < text.size() && std::iswspace(text[position]))
    {
        ++position;
    }
    DWORD value = 0;
    std::size_t digits = 0;
    for (; digits < 8 && position < text.size(); ++digits, ++position)
    {
        const wchar_t c = text[position];
        unsigned int digit;
        if (c >= L'0' && c <= L'9')
        {
            digit = static_cast<unsigned int>(c - L'0');
        }
        else if (c >= L'a' && c <= L'f')
        {
            digit = static_cast<unsigned int>(c - L'a' + 10);
        }
        else if (c >= L'A' && c <= L'F')
        {
            digit = static_cast<unsigned int>(c - L'A' + 10);
        }
        else
        {
            break;
        }
        value = (value << 4) | digit;
    }
    if (digits == 0)
    {
        return false;
    }
    half = value;
    return true;
}

// Asks for a locale item of the user's default locale, doubling the buffer while it is too small.
std::wstring UserLocaleItem(LCTYPE item, std::size_t initialSize, const char* failure)
{
    std::vector<wchar_t> buffer(initialSize);
    for (;;)
    {
        if (::GetLocaleInfoW(LOCALE_USER_DEFAULT, item, buffer.data(), static_cast<int>(buffer.size())) != 0)
        {
            return std::wstring(buffer.data());
        }
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER ||
            buffer.size() > static_cast<std::size_t>(std::numeric_limits<int>::max()) / 2)
        {
            throw std::runtime_error(failure);
        }
        buffer.resize(buffer.size() * 2);
    }
}

const char* const LongTimeFormatFailure = "Failed to get the long time format";
const std::size_t LocaleBufferSize = 128;

} // namespace

KelvoTime::KelvoTime() : m_time(0)
{
}

KelvoTime::KelvoTime(TimeInit init) : m_time(0)
{
    SYSTEMTIME now;
    switch (init)
    {
    case LocalTime:
        ::GetLocalTime(&now);
        SetTime(now);
        break;
    case SystemTime:
        ::GetSystemTime(&now);
        SetTime(now);
        break;
    default:
        break;
    }
}

KelvoTime::KelvoTime(FILETIME& fileTime) : m_time(FromFileTime(fileTime))
{
}

KelvoTime::KelvoTime(SYSTEMTIME& systemTime) : m_time(TicksOf(systemTime))
{
}

KelvoTime::KelvoTime(std::int64_t ticks) : m_time(static_cast<std::uint64_t>(ticks))
{
}

KelvoTime::KelvoTime(std::int64_t& unixSeconds) : m_time(0)
{
    SetTime(static_cast<const std::int64_t&>(unixSeconds));
}

KelvoTime::KelvoTime(unsigned int year, unsigned int month, unsigned int day, unsigned int hour, unsigned int minute,
                     unsigned int second)
    : m_time(TicksOf(FieldsOf(year, month, day, hour, minute, second)))
{
}

KelvoTime::KelvoTime(const std::wstring& hexadecimal) : m_time(0)
{
    DWORD high = 0, low = 0;
    std::size_t position = 0;
    if (ReadHexHalf(hexadecimal, position, high))
    {
        ReadHexHalf(hexadecimal, position, low);
    }
    m_time = (static_cast<std::uint64_t>(high) << 32) | low;
}

KelvoTime::KelvoTime(const KelvoTime& other) = default;

void KelvoTime::SetTime(const FILETIME& fileTime)
{
    m_time = FromFileTime(fileTime);
}

void KelvoTime::SetTime(const SYSTEMTIME& systemTime)
{
    m_time = TicksOf(systemTime);
}

void KelvoTime::SetTime(const std::int64_t& unixSeconds)
{
    FILETIME fileTime;
    if (!TimeToFileTime(unixSeconds, &fileTime))
    {
        ThrowError(InvalidParameter, ERROR_INVALID_PARAMETER, KELVO_SITE);
    }
    SetTime(fileTime);
}

void KelvoTime::SetTime(unsigned int year, unsigned int month, unsigned int day, unsigned int hour,
                        unsigned int minute, unsigned int second)
{
    SetTime(FieldsOf(year, month, day, hour, minute, second));
}

KelvoTime& KelvoTime::operator=(const FILETIME& fileTime)
{
    SetTime(fileTime);
    return *this;
}

KelvoTime& KelvoTime::operator=(const SYSTEMTIME& systemTime)
{
    SetTime(systemTime);
    return *this;
}

KelvoTime& KelvoTime::operator=(const KelvoTime& other) = default;

void KelvoTime::FromString(const std::wstring& text)
{
    // Years from 10000 on take five digits and move every later field one place.
    const std::size_t shift = text.size() > 4 && text[4] >= L'0' && text[4] <= L'9' ? 1 : 0;
    if (text.size() < 17 + shift)
    {
        throw std::out_of_range("invalid string position");
    }
    SetTime(FieldAt(text, 0, 4 + shift), FieldAt(text, 5 + shift, 2), FieldAt(text, 8 + shift, 2),
            FieldAt(text, 11 + shift, 2), FieldAt(text, 14 + shift, 2), FieldAt(text, 17 + shift, 2));
}

KelvoTime KelvoTime::Now()
{
    SYSTEMTIME utc, local;
    ::GetSystemTime(&utc);
    TIME_ZONE_INFORMATION zone;
    if (::GetTimeZoneInformation(&zone) == TIME_ZONE_ID_INVALID)
    {
        throw Win32Exception("GetTimeZoneInformation failed");
    }
    if (!::SystemTimeToTzSpecificLocalTime(&zone, &utc, &local))
    {
        throw Win32Exception("SystemTimeToTzSpecificLocalTime failed");
    }
    KelvoTime now;
    now.SetTime(local);
    return now;
}

std::uint64_t KelvoTime::GetTime() const
{
    return m_time;
}

void KelvoTime::GetTime(unsigned int& year, unsigned int& month, unsigned int& day, unsigned int& hour,
                        unsigned int& minute, unsigned int& second) const
{
    const SYSTEMTIME fields = GetSystemTimeFromTime();
    year = fields.wYear;
    month = fields.wMonth;
    day = fields.wDay;
    hour = fields.wHour;
    minute = fields.wMinute;
    second = fields.wSecond;
}

unsigned int KelvoTime::GetYear() const
{
    return GetSystemTimeFromTime().wYear;
}

unsigned int KelvoTime::GetMonth() const
{
    return GetSystemTimeFromTime().wMonth;
}

unsigned int KelvoTime::GetDay() const
{
    return GetSystemTimeFromTime().wDay;
}

unsigned int KelvoTime::GetHour() const
{
    return GetSystemTimeFromTime().wHour;
}

unsigned int KelvoTime::GetMinute() const
{
    return GetSystemTimeFromTime().wMinute;
}

unsigned int KelvoTime::GetSecond() const
{
    return GetSystemTimeFromTime().wSecond;
}

FILETIME KelvoTime::GetFileTimeFromTime() const
{
    return ToFileTime(m_time);
}

SYSTEMTIME KelvoTime::GetSystemTimeFromTime() const
{
    const FILETIME fileTime = ToFileTime(m_time);
    SYSTEMTIME fields;
    if (!::FileTimeToSystemTime(&fileTime, &fields))
    {
        ThrowLastError(L"Can't convert file time to system time", KELVO_SITE);
    }
    return fields;
}

std::wstring KelvoTime::ToString() const
{
    const SYSTEMTIME fields = GetSystemTimeFromTime();
    wchar_t date[255], time[255];
    if (::GetDateFormatW(0, 0, &fields, L"yyyy'-'MM'-'dd", date, 255) == 0 ||
        ::GetTimeFormatW(0, 0, &fields, L"HH:mm:ss", time, 255) == 0)
    {
        // No half-made text: a value the formatter rejects cannot be shown.
        ThrowLastError(L"Can't convert file time to system time", KELVO_SITE);
    }
    return std::wstring(date) + L"T" + time;
}

std::wstring KelvoTime::ToHexString() const
{
    static const wchar_t Digits[] = L"0123456789abcdef";
    std::wstring text(16, L'0');
    for (std::size_t i = 0; i < 16; ++i)
    {
        text[15 - i] = Digits[(m_time >> (4 * i)) & 0xF];
    }
    return text;
}

int KelvoTime::CompareToFileTime(FILETIME& fileTime) const
{
    const FILETIME mine = ToFileTime(m_time);
    return static_cast<int>(::CompareFileTime(&mine, &fileTime));
}

bool KelvoTime::operator==(const KelvoTime& other) const
{
    return m_time == other.m_time;
}

bool KelvoTime::operator!=(const KelvoTime& other) const
{
    return m_time != other.m_time;
}

bool KelvoTime::operator<(const KelvoTime& other) const
{
    return m_time < other.m_time;
}

bool KelvoTime::operator>(const KelvoTime& other) const
{
    return m_time > other.m_time;
}

bool KelvoTime::operator<=(const KelvoTime& other) const
{
    return m_time <= other.m_time;
}

bool KelvoTime::operator>=(const KelvoTime& other) const
{
    return m_time >= other.m_time;
}

KelvoTime KelvoTime::AddDays(int days) const
{
    return KelvoTime(static_cast<std::int64_t>(Advanced(m_time, days, TicksPerDay, KELVO_SITE)));
}

KelvoTime KelvoTime::AddMilliseconds(std::uint64_t milliseconds) const
{
    // Read as signed, so that a count that went round to subtract (-1000 passed as unsigned)
    // still goes back, as it did in the arithmetic modulo 2^64.
    return KelvoTime(static_cast<std::int64_t>(
        Advanced(m_time, static_cast<std::int64_t>(milliseconds), TicksPerMillisecond, KELVO_SITE)));
}

KelvoTime KelvoTime::GetUtcTime() const
{
    const FILETIME local = ToFileTime(m_time);
    FILETIME utc{};
    ::LocalFileTimeToFileTime(&local, &utc);
    return KelvoTime(static_cast<std::int64_t>(FromFileTime(utc)));
}

KelvoTime KelvoTime::GetLocalTime() const
{
    const FILETIME utc = ToFileTime(m_time);
    FILETIME local{};
    ::FileTimeToLocalFileTime(&utc, &local);
    return KelvoTime(static_cast<std::int64_t>(FromFileTime(local)));
}

WeekDays KelvoTime::GetFirstDayOfWeek()
{
    const std::wstring day = UserLocaleItem(LOCALE_IFIRSTDAYOFWEEK, LocaleBufferSize, "Failed to get the first day of week");
    return static_cast<WeekDays>(::_wtoi(day.c_str()));
}

std::wstring KelvoTime::GetLongTimeFormat()
{
    return UserLocaleItem(LOCALE_STIMEFORMAT, LocaleBufferSize, LongTimeFormatFailure);
}

std::wstring KelvoTime::GetShortTimeFormat()
{
    if (OSInfo().IsAtLeastWindows7())
    {
        return UserLocaleItem(LOCALE_SSHORTTIME, LocaleBufferSize, "Failed to get the short time format");
    }
    // Older systems have no short time format: the long one without seconds.
    std::wstring format = GetLongTimeFormat();
    StringUtilities::Replace(format, L":ss", L"");
    return format;
}

std::wstring KelvoTime::GetLongDateFormat()
{
    return UserLocaleItem(LOCALE_SLONGDATE, LocaleBufferSize, "Failed to get the long date format");
}

std::wstring KelvoTime::GetShortDateFormat()
{
    return UserLocaleItem(LOCALE_SSHORTDATE, LocaleBufferSize, "Failed to get the short date format");
}

std::wstring KelvoTime::GetDecimalSeperator()
{
    return UserLocaleItem(LOCALE_SDECIMAL, 8, "Failed to get the decimal point seperator");
}

bool KelvoTime::IsMerdian()
{
    return GetLongTimeFormat().find(L't') != std::wstring::npos;
}

bool KelvoTime::TimeToFileTime(std::int64_t unixSeconds, FILETIME* fileTime)
{
    // Ticks are unsigned 64-bit: seconds before 1601 or too far after it have no value.
    const std::int64_t highest = static_cast<std::int64_t>(std::numeric_limits<std::uint64_t>::max() / TicksPerSecond);
    if (unixSeconds < -UnixEpochSeconds || unixSeconds > highest - UnixEpochSeconds)
    {
        return false;
    }
    *fileTime = ToFileTime(static_cast<std::uint64_t>(unixSeconds + UnixEpochSeconds) * TicksPerSecond);
    return true;
}

} // namespace Utilities
} // namespace Kelvo

#pragma once

#include "UtilitiesExport.h"

#include <string>

namespace Kelvo {
namespace Utilities {

/// Static operations on wide (UTF-16) and narrow strings: suffixes, four kinds of
/// search-and-replace, trimming by a set of characters, case mapping in the user's locale,
/// UTF-16/UTF-8/single-byte conversions, buffer-style access, substrings, Windows message
/// formatting and digit checks. Positions and lengths count UTF-16 code units.
///
/// Every operation runs in time linear in the length of its text (ReplaceAll: linear in the
/// text plus the text its replacements insert). Static functions; owns nothing.
/// Example: Examples/text_and_time.cpp (and the guide's section on text and encodings)
class KELVO_UTILITIES_API StringUtilities
{
public:
    StringUtilities() = delete;

    /// Appends suffix unless text already ends with it.
    static void AddAtEndIfNotExists(std::wstring& text, const std::wstring& suffix);

    /// Replaces every occurrence in one left-to-right pass; inserted text is not searched again.
    /// An empty search text changes nothing.
    static void Replace(std::wstring& text, const std::wstring& search, const std::wstring& replacement);
    /// Replaces until no occurrence is left, including occurrences that arise where a replacement
    /// meets its neighbours. Throws std::runtime_error when replacement contains search.
    static void ReplaceAll(std::wstring& text, const std::wstring& search, const std::wstring& replacement);
    /// Replaces search when text begins with it (an empty search changes nothing).
    static void ReplaceAtBegin(std::wstring& text, const std::wstring& search, const std::wstring& replacement);
    /// Replaces search when text ends with it (an empty search appends replacement).
    static void ReplaceAtEnd(std::wstring& text, const std::wstring& search, const std::wstring& replacement);

    /// Remove the characters of the set from both ends, the start or the end.
    static void Trim(std::wstring& text, const std::wstring& characters);
    ///@{
    /// Remove the characters of the set from the start (TrimLeft) or the end (TrimRight).
    static void TrimLeft(std::wstring& text, const std::wstring& characters);
    static void TrimRight(std::wstring& text, const std::wstring& characters);
    ///@}

    /// Case mapping in the user's default locale; the length never changes.
    static void ToLower(std::wstring& text);
    /// As ToLower, to upper case.
    static void ToUpper(std::wstring& text);

    /// U+0000..U+00FF become the byte of the same value; anything else throws std::range_error.
    static std::string ToAscii(const std::wstring& text);
    /// Both stop at the first NUL, throw std::range_error "bad conversion" on ill-formed input
    /// and then leave output unchanged.
    static void Utf16ToUtf8(const std::wstring& input, std::string& output);
    /// As Utf16ToUtf8, from UTF-8 to UTF-16.
    static void Utf8ToUtf16(const std::string& input, std::wstring& output);

    /// Makes text exactly length characters long and returns its storage for a platform call to fill.
    static wchar_t* GetBuffer(std::wstring& text, unsigned int length);
    /// Cuts text at the first NUL in its storage.
    static void ReleaseBuffer(std::wstring& text);

    /// The characters from start on; start beyond the end throws std::out_of_range.
    static std::wstring Mid(const std::wstring& text, unsigned int start);
    /// The first count characters, or all of them.
    static std::wstring Left(const std::wstring& text, unsigned int count);

    /// Formats with the Windows message formatter (inserts %1, %2!d!, ...); the result holds at
    /// most 4096 characters, and is empty when the formatter fails.
    static std::wstring FormatMessageW(const wchar_t* format, ...);

    /// Whether every character is a hexadecimal digit (true for empty text).
    static bool VerifyContainsOnlyHexNumbers(const std::wstring& text);
    /// Whether every character is a decimal digit (true for empty text).
    static bool VerifyContainsOnlyNumbers(const std::wstring& text);
};

} // namespace Utilities
} // namespace Kelvo

#include "Language.h"

#include <algorithm>

namespace Kelvo {
namespace Utilities {

namespace {

const unsigned short PrimaryChinese = 0x04;

} // namespace

Language::Language()
    : m_codes{ { 0x01, L"ar" }, { 0x05, L"cz" }, { 0x06, L"dk" }, { 0x07, L"de" }, { 0x09, L"en" },
               { 0x0A, L"es" }, { 0x0B, L"fi" }, { 0x0C, L"fr" }, { 0x0E, L"hu" }, { 0x10, L"it" },
               { 0x11, L"jp" }, { 0x12, L"ko" }, { 0x13, L"nl" }, { 0x14, L"no" }, { 0x15, L"pl" },
               { 0x16, L"ptbr" }, { 0x18, L"ro" }, { 0x19, L"ru" }, { 0x1D, L"se" }, { 0x1F, L"tr" } }
{
}

Language::~Language() = default;

void Language::IdToISO3166(unsigned short languageId, std::wstring& code, bool upperCase) const
{
    const auto primary = static_cast<unsigned short>(languageId & 0x3FF);
    const auto subLanguage = static_cast<unsigned short>(languageId >> 10);
    const auto found = m_codes.find(primary);
    if (found != m_codes.end())
    {
        std::wstring result = found->second;
        if (upperCase)
        {
            // The codes are plain ASCII letters.
            std::transform(result.begin(), result.end(), result.begin(),
                           [](wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c; });
        }
        code = result;
    }
    else if (primary == PrimaryChinese)
    {
        // Taiwan, Hong Kong and Macao write the traditional script.
        const bool traditional = subLanguage == 1 || subLanguage == 3 || subLanguage == 5;
        code = traditional ? L"zhtw" : L"zhcn";
    }
}

} // namespace Utilities
} // namespace Kelvo

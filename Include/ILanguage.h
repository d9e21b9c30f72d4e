#pragma once

#include "UtilitiesExport.h"

#include <string>

namespace Kelvo {
namespace Utilities {

/// Maps Windows language identifiers to the product line's short language codes; an abstract
/// class so that callers can be tested with a fake.
/// Implemented by Language. Example: Examples/text_and_time.cpp
class KELVO_UTILITIES_API ILanguage
{
public:
    ///@{
    /// Interfaces hold no state: constructing, copying and assigning do nothing.
    ILanguage() = default;
    ILanguage(const ILanguage&) = default;
    ILanguage& operator=(const ILanguage&) = default;
    ///@}
    virtual ~ILanguage();

    /// Writes the code of languageId into code; leaves code alone for a language without one.
    virtual void IdToISO3166(unsigned short languageId, std::wstring& code, bool upperCase) const = 0;
};

} // namespace Utilities
} // namespace Kelvo

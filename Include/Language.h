#pragma once

#include "ILanguage.h"
#include "UtilitiesExport.h"

#include <map>
#include <string>

namespace Kelvo {
namespace Utilities {

/// The language codes of the product line's resources: "de" for every German, "ptbr" for every
/// Portuguese, "zhtw"/"zhcn" for traditional/simplified Chinese, and the codes it has always
/// used ("cz", "dk", "jp", "se") rather than ISO 639's.
/// Owns its table; throws nothing. Example: Examples/text_and_time.cpp
class KELVO_UTILITIES_API Language : public ILanguage
{
public:
    /// The product line's table of codes.
    Language();
    ~Language() override;

    /// upperCase applies to the table's codes only; the Chinese codes stay in lower case.
    void IdToISO3166(unsigned short languageId, std::wstring& code, bool upperCase) const override;

private:
    // Primary language number -> code.
    std::map<unsigned short, std::wstring> m_codes;
};

} // namespace Utilities
} // namespace Kelvo

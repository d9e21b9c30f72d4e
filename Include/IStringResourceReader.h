#pragma once

#include "UtilitiesExport.h"

#include <map>
#include <string>

namespace Kelvo {
namespace Utilities {

/// Reads the string-table resources of a module; an abstract class so that callers can be
/// tested with a fake.
/// Implemented by StringResourceReader. Example: Examples/text_and_time.cpp
class KELVO_UTILITIES_API IStringResourceReader
{
public:
    ///@{
    /// Interfaces hold no state: constructing, copying and assigning do nothing.
    IStringResourceReader() = default;
    IStringResourceReader(const IStringResourceReader&) = default;
    IStringResourceReader& operator=(const IStringResourceReader&) = default;
///@}

    /// Every non-empty string of every string table, by string id.
    virtual std::map<int, std::wstring> GetAllStrings() = 0;
    /// The string id.
    virtual std::wstring GetString(int id) = 0;

protected:
    /// Not virtual: the interface's slots hold its operations only. Protected, so that deleting
    /// through the interface does not compile (it could not reach the implementation's destructor).
    ~IStringResourceReader();
};

} // namespace Utilities
} // namespace Kelvo

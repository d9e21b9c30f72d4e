#pragma once

#include "Enumerator.h"
#include "UtilitiesExport.h"

#include <string>

namespace Kelvo {
namespace Utilities {

/// Walks the entries of one directory lazily; an abstract class so that callers can be tested
/// with a fake.
/// Implemented by EnumeratorFolder. Example: Examples/files_ini_logs.cpp
class KELVO_UTILITIES_API IEnumeratorFolder
{
public:
    ///@{
    /// Interfaces hold no state: constructing, copying and assigning do nothing.
    IEnumeratorFolder() = default;
    IEnumeratorFolder(const IEnumeratorFolder&) = default;
    IEnumeratorFolder& operator=(const IEnumeratorFolder&) = default;
    ///@}
    virtual ~IEnumeratorFolder();

    /// The names of path's sub-directories, one at a time.
    virtual Enumerator GetSubfolders(const std::wstring& path) = 0;
    /// The names of path's files, one at a time.
    virtual Enumerator GetFiles(const std::wstring& path) = 0;
};

} // namespace Utilities
} // namespace Kelvo

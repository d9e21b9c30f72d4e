#pragma once

#include "Enumerator.h"
#include "UtilitiesExport.h"

#include <string>

namespace Kelvo {
namespace Utilities {

/// Walks the entries of one directory lazily; an abstract class so that callers can be tested
/// with a fake.
class KELVO_UTILITIES_API IEnumeratorFolder
{
public:
    IEnumeratorFolder() = default;
    IEnumeratorFolder(const IEnumeratorFolder&) = default;
    IEnumeratorFolder& operator=(const IEnumeratorFolder&) = default;
    virtual ~IEnumeratorFolder();

    virtual Enumerator GetSubfolders(const std::wstring& path) = 0;
    virtual Enumerator GetFiles(const std::wstring& path) = 0;
};

} // namespace Utilities
} // namespace Kelvo

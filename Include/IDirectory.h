#pragma once

#include "UtilitiesExport.h"

#include <string>
#include <vector>

namespace Kelvo {
namespace Utilities {

/// Lists the entries of one directory at once; an abstract class so that callers can be tested
/// with a fake.
class KELVO_UTILITIES_API IDirectory
{
public:
    IDirectory() = default;
    IDirectory(const IDirectory&) = default;
    IDirectory& operator=(const IDirectory&) = default;
    virtual ~IDirectory();

    virtual std::vector<std::wstring> GetFolders(const std::wstring& path) = 0;
    virtual std::vector<std::wstring> GetFiles(const std::wstring& path, const std::wstring& pattern) = 0;
    virtual std::vector<std::wstring> GetFiles(const std::wstring& path) = 0;
};

} // namespace Utilities
} // namespace Kelvo

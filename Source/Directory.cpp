#include "Directory.h"

#include "Path.h"
#include "Win32Exception.h"

#include <HostApi/UniqueHandle.h>

#include <windows.h>

namespace Kelvo {
namespace Utilities {

Directory::~Directory() = default;

std::vector<std::wstring> Directory::GetFolders(const std::wstring& path)
{
    return GetItemsWithAttributes(path, L"*", FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::wstring> Directory::GetFiles(const std::wstring& path, const std::wstring& pattern)
{
    return GetItemsWithAttributes(path, pattern,
                                  FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NORMAL | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
}

std::vector<std::wstring> Directory::GetFiles(const std::wstring& path)
{
    return GetFiles(path, L"*");
}

std::vector<std::wstring> Directory::GetItemsWithAttributes(const std::wstring& path, const std::wstring& pattern,
                                                            unsigned int attributes)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW entry;
    const HostApi::UniqueFindHandle search(::FindFirstFileW(Path::Combine(path, pattern).c_str(), &entry));
    if (!search)
    {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND)
        {
            return names;
        }
        throw Win32Exception(error, "FindFirstFile failed.");
    }
    do
    {
        if ((entry.dwFileAttributes & attributes) != 0)
        {
            names.emplace_back(entry.cFileName);
        }
    } while (::FindNextFileW(search.Get(), &entry));
    return names;
}

} // namespace Utilities
} // namespace Kelvo

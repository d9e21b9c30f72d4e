#include "Internal/SystemLibrary.h"

#include <windows.h>

#include <string>

namespace Kelvo {

HostApi::UniqueModule LoadSystemLibrary(const wchar_t* name)
{
    HostApi::UniqueModule module(::LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
    if (module || ::GetLastError() != ERROR_INVALID_PARAMETER)
    {
        return module;
    }
    // Windows 7 without its update KB2533623 knows no LOAD_LIBRARY_SEARCH_ flags: the full path
    // instead, with the search for its imports starting in the system folder.
    std::wstring path(::GetSystemDirectoryW(nullptr, 0), L'\0');
    path.resize(::GetSystemDirectoryW(&path[0], static_cast<UINT>(path.size())));
    if (path.empty())
    {
        return module;
    }
    path += L'\\';
    path += name;
    module.Reset(::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    return module;
}

} // namespace Kelvo

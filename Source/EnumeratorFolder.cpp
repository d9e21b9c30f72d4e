#include "EnumeratorFolder.h"

#include "IteratorFolder.h"
#include "Internal/Failure.h"

#include <windows.h>
#include <shlwapi.h>

#include <memory>

namespace Kelvo {
namespace Utilities {

namespace {

// The longest path that Windows can take, in characters, with its terminating NUL.
const std::size_t LongestPath = 32767;

Enumerator Enumerate(const std::wstring& path, bool folders)
{
    if (path.empty())
    {
        ThrowError(L"Path should not be empty", ERROR_INVALID_PARAMETER, KELVO_SITE);
    }
    // PathCombineW writes up to MAX_PATH characters whatever the inputs and resolves "." and
    // "..", but fails for longer paths. Those are joined here instead: the platform resolves "."
    // and ".." in them when it opens the search, except after \\?\, which asks it not to.
    std::wstring pattern(MAX_PATH, L'\0');
    if (::PathCombineW(&pattern[0], path.c_str(), L"*.*") != nullptr)
    {
        pattern.resize(std::char_traits<wchar_t>::length(pattern.c_str()));
    }
    else
    {
        pattern = path + (path.back() == L'\\' ? L"*.*" : L"\\*.*");
    }
    // No Windows path is longer: such a folder cannot be listed at all, which is not the same as
    // a missing one.
    if (pattern.size() >= LongestPath)
    {
        ThrowError(L"Path is too long", ERROR_FILENAME_EXCED_RANGE, KELVO_SITE);
    }
    std::unique_ptr<IteratorFolder> begin(new IteratorFolder(pattern, folders));
    std::unique_ptr<IteratorFolder> end(new IteratorFolder());
    return Enumerator(begin.release(), end.release());
}

} // namespace

EnumeratorFolder::~EnumeratorFolder() = default;

Enumerator EnumeratorFolder::GetSubfolders(const std::wstring& path)
{
    return Enumerate(path, true);
}

Enumerator EnumeratorFolder::GetFiles(const std::wstring& path)
{
    return Enumerate(path, false);
}

} // namespace Utilities
} // namespace Kelvo

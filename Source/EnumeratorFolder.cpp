//
// EnumeratorFolder.cpp
//
#include "EnumeratorFolder.h"

#include "Internal/Failure.h"
#include "IteratorFolder.h"

#include <windows.h>
#include <shlwapi.h>

#include <algorithm>
#include <memory>

namespace Kelvo {
namespace Utilities {

namespace {

Enumerator Enumerate(const std::wstring& path, bool folders)
{
    if (path.empty())
    {
        ThrowError(L"Path should not be empty", ERROR_INVALID_PARAMETER, KELVO_SITE);
    }
    // PathCombineW may write up to MAX_PATH characters whatever the inputs, and resolves "."
    // and ".."; when it fails the pattern stays empty and so does the sequence.
    std::wstring pattern(std::max<std::size_t>(MAX_PATH, path.size() + 10), L'\0');
    ::PathCombineW(&pattern[0], path.c_str(), L"*.*");
    pattern.resize(std::char_traits<wchar_t>::length(pattern.c_str()));
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

#include "Path.h"

#include "Internal/ModuleFileName.h"

#include <windows.h>

namespace Kelvo {
namespace Utilities {

namespace {

// The position of the extension's full stop, or npos when the last full stop is not behind the
// last backslash.
std::size_t ExtensionStart(const std::wstring& path)
{
    const std::size_t dot = path.rfind(L'.');
    const std::size_t backslash = path.rfind(L'\\');
    if (dot == std::wstring::npos || (backslash != std::wstring::npos && dot < backslash))
    {
        return std::wstring::npos;
    }
    return dot;
}

} // namespace

bool Path::IsAbsolutePath(const std::wstring& path)
{
    if (path.size() < 3)
    {
        return false;
    }
    return (path[0] == L'\\' && path[1] == L'\\') || (path[1] == L':' && path[2] == L'\\');
}

std::wstring Path::MakeFullPath(const std::wstring& path)
{
    return IsAbsolutePath(path) ? path : Combine(GetModuleDirectory(), path);
}

std::wstring Path::Combine(const std::wstring& first, const std::wstring& second)
{
    std::wstring combined = first;
    if (!combined.empty() && combined.back() != L'\\')
    {
        combined += L'\\';
    }
    combined.append(second, !second.empty() && second[0] == L'\\' ? 1 : 0, std::wstring::npos);
    return combined;
}

std::wstring Path::GetModuleDirectory()
{
    return GetDirectory(ModuleFileName(ThisModule()));
}

std::wstring Path::GetDirectory(const std::wstring& path)
{
    const std::size_t backslash = path.rfind(L'\\');
    return backslash == std::wstring::npos ? std::wstring() : path.substr(0, backslash);
}

std::wstring Path::GetFileName(const std::wstring& path)
{
    const std::size_t backslash = path.rfind(L'\\');
    return backslash == std::wstring::npos ? path : path.substr(backslash + 1);
}

std::wstring Path::RemoveExtension(const std::wstring& path)
{
    return path.substr(0, ExtensionStart(path));
}

std::wstring Path::GetExtension(const std::wstring& path)
{
    const std::size_t dot = ExtensionStart(path);
    return dot == std::wstring::npos ? std::wstring() : path.substr(dot);
}

std::wstring Path::InsertBeforeExtension(const std::wstring& path, wchar_t separator, const std::wstring& text)
{
    return RemoveExtension(path) + separator + text + GetExtension(path);
}

std::wstring Path::InsertBeforeExtension(const std::wstring& path, wchar_t separator, int number)
{
    return InsertBeforeExtension(path, separator, std::to_wstring(number));
}

} // namespace Utilities
} // namespace Kelvo

#include "FileSystemUtilities.h"

#include "Internal/Failure.h"
#include "StringUtilities.h"

#include <cstdlib>
#include <vector>

namespace Kelvo {
namespace Utilities {

namespace {

using Search = HostApi::FileSystemOperation;

// Calls visit(name, attributes) for every entry of the directory but "." and "..".
template <typename Visit>
void VisitEntries(const std::wstring& path, Visit visit)
{
    if (!Search::PathOrFileExists(path))
    {
        ThrowError(L"Path is invalid!", ERROR_FILE_NOT_FOUND, KELVO_SITE);
    }
    std::wstring pattern = path;
    StringUtilities::AddAtEndIfNotExists(pattern, L"\\");
    pattern += L"*";
    HostApi::_Win32FindData entry{};
    HostApi::UniqueFindHandle search = Search::FindFirst(pattern, entry);
    do
    {
        if (::_wcsicmp(entry.cFileName, L".") != 0 && ::_wcsicmp(entry.cFileName, L"..") != 0)
        {
            visit(entry.cFileName, entry.dwFileAttributes);
        }
    } while (Search::FindNext(search.Get(), entry));
    Search::FindCloseHandle(search);
}

bool IsDirectoryBit(DWORD attributes)
{
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// The text's fields between full stops: a number each, "0" being the only way to write zero.
std::vector<int> VersionFields(const std::wstring& text)
{
    std::vector<int> fields;
    std::size_t start = 0;
    for (;;)
    {
        const std::size_t stop = text.find(L'.', start);
        const std::wstring field = text.substr(start, stop == std::wstring::npos ? std::wstring::npos : stop - start);
        const int value = ::_wtoi(field.c_str());
        if (value == 0 && field != L"0")
        {
            ThrowError(L"The input parameter is not a version string: " + text, KELVO_SITE);
        }
        fields.push_back(value);
        if (stop == std::wstring::npos)
        {
            return fields;
        }
        start = stop + 1;
    }
}

} // namespace

std::map<std::wstring, bool> FileSystemUtilities::GetSubitemsOfDirectory(const std::wstring& path)
{
    std::map<std::wstring, bool> items;
    VisitEntries(path, [&](const wchar_t* name, DWORD attributes) { items.emplace(name, IsDirectoryBit(attributes)); });
    return items;
}

std::map<std::wstring, bool> FileSystemUtilities::EnumerateDirectoryTree(const std::wstring& root)
{
    std::map<std::wstring, bool> tree;
    std::wstring rootKey = root;
    StringUtilities::ReplaceAtEnd(rootKey, L"\\", L"");
    tree.emplace(rootKey, true);

    std::vector<std::wstring> directories{ root };
    StringUtilities::AddAtEndIfNotExists(directories.front(), L"\\");
    // By index: the list grows while it is walked.
    for (std::size_t next = 0; next < directories.size(); ++next)
    {
        // A copy: appending may move the list's strings.
        const std::wstring directory = directories[next];
        // Names in map order, as a directory map gives them.
        std::map<std::wstring, DWORD> entries;
        VisitEntries(directory, [&](const wchar_t* name, DWORD attributes) { entries.emplace(name, attributes); });
        for (const auto& entry : entries)
        {
            const std::wstring full = directory + entry.first;
            const bool isDirectory = IsDirectoryBit(entry.second);
            if (isDirectory && (entry.second & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
            {
                directories.push_back(full + L"\\");
            }
            tree.emplace(full, isDirectory);
        }
    }
    return tree;
}

void FileSystemUtilities::GetFileVersion(const std::wstring& path, _FileVersion& version)
{
    if (path.empty())
    {
        return;
    }
    const DWORD size = Search::GetSizeOfFileVersionInfo(path);
    std::vector<unsigned char> block;
    Search::GetVersionInfoOfFile(path, size, block);
    VS_FIXEDFILEINFO record{};
    Search::GetVersionQueryValue(block, L"\\", record);
    version.Major = static_cast<std::int32_t>(record.dwFileVersionMS >> 16);
    version.Minor = static_cast<std::int32_t>(record.dwFileVersionMS & 0xFFFF);
    version.Build = static_cast<std::int32_t>(record.dwFileVersionLS >> 16);
    version.Revision = static_cast<std::int32_t>(record.dwFileVersionLS & 0xFFFF);
}

void FileSystemUtilities::ConvertStringToFileVersion(const std::wstring& text, _FileVersion& version)
{
    std::vector<int> fields = VersionFields(text);
    if (fields.size() < 2 || fields.size() > 4)
    {
        ThrowError(L"The input parameter is not a valid version string: " + text, KELVO_SITE);
    }
    // A build or revision left out is 0.
    fields.resize(4);
    version.Major = fields[0];
    version.Minor = fields[1];
    version.Build = fields[2];
    version.Revision = fields[3];
}

std::uint64_t FileSystemUtilities::ConvertFileTimeToPosix(const HostApi::_fileTime& time)
{
    const std::uint64_t ticks = (static_cast<std::uint64_t>(time.HighDateTime) << 32) + time.LowDateTime;
    return (ticks - 116444736000000000ull) / 10000000ull;
}

void FileSystemUtilities::RemoveAttribute(const std::wstring& path, const HostApi::FileAttributes& attributes)
{
    const HostApi::FileAttributes current = Search::GetAttributesOfFileOrDirectory(path);
    if ((current & attributes) != 0)
    {
        Search::SetAttributesOfFileOrDirectory(path, current & ~attributes);
    }
}

bool FileSystemUtilities::IsDirectory(const std::wstring& path)
{
    return IsDirectoryBit(Search::GetAttributesOfFileOrDirectory(path));
}

std::wstring FileSystemUtilities::GetApplicationDirectoryWithBackSlash()
{
    std::wstring name;
    Search::GetFileNameOfModule(name, nullptr);
    const std::size_t backslash = name.rfind(L'\\');
    return backslash == std::wstring::npos ? L".\\" : name.substr(0, backslash + 1);
}

} // namespace Utilities
} // namespace Kelvo

#include "HostApi/FileSystemOperation.h"

#include "Internal/Failure.h"

#include <cstring>

namespace Kelvo {
namespace HostApi {

void FileSystemOperation::FileRead(HANDLE file, std::vector<unsigned char>& buffer, DWORD bytesToRead, DWORD& bytesRead)
{
    if (bytesToRead > buffer.size())
    {
        ThrowError(L"ReadFile failed", ERROR_INVALID_PARAMETER, KELVO_SITE);
    }
    DWORD read = 0;
    if (!::ReadFile(file, buffer.data(), bytesToRead, &read, nullptr))
    {
        ThrowLastError(L"ReadFile failed", KELVO_SITE);
    }
    bytesRead = read;
}

DWORD FileSystemOperation::GetSizeOfFileVersionInfo(const std::wstring& path)
{
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0)
    {
        ThrowLastError(L"GetFileVersionInfoSizeW failed", KELVO_SITE);
    }
    return size;
}

void FileSystemOperation::GetVersionInfoOfFile(const std::wstring& path, DWORD size, std::vector<unsigned char>& block)
{
    std::vector<unsigned char> read(size);
    if (!::GetFileVersionInfoW(path.c_str(), 0, size, read.data()))
    {
        ThrowLastError(L"GetFileVersionInfoW failed", KELVO_SITE);
    }
    block.swap(read);
}

void FileSystemOperation::GetVersionQueryValue(std::vector<unsigned char> block, const std::wstring& subBlock,
                                               VS_FIXEDFILEINFO& record)
{
    void* value = nullptr;
    UINT length = 0;
    // VerQueryValueW sets no error of its own.
    if (block.empty() || !::VerQueryValueW(block.data(), subBlock.c_str(), &value, &length) ||
        length < sizeof(VS_FIXEDFILEINFO))
    {
        ThrowError(L"VerQueryValueW failed", ERROR_RESOURCE_DATA_NOT_FOUND, KELVO_SITE);
    }
    std::memcpy(&record, value, sizeof(record));
}

void FileSystemOperation::GetFileNameOfModule(std::wstring& name, HMODULE module)
{
    // A name that fills the buffer may have been cut: try again with twice the room.
    std::wstring text(MAX_PATH, L'\0');
    for (;;)
    {
        const DWORD length = ::GetModuleFileNameW(module, &text[0], static_cast<DWORD>(text.size()));
        if (length == 0)
        {
            ThrowLastError(L"GetModuleFileNameW failed", KELVO_SITE);
        }
        if (length < text.size())
        {
            text.resize(length);
            name.swap(text);
            return;
        }
        text.resize(text.size() * 2);
    }
}

bool FileSystemOperation::PathOrFileExists(const std::wstring& path)
{
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

UniqueFindHandle FileSystemOperation::FindFirst(const std::wstring& pattern, _Win32FindData& entry)
{
    UniqueFindHandle search(::FindFirstFileW(pattern.c_str(), &entry));
    if (!search)
    {
        ThrowLastError(L"FindFirstFileW failed", KELVO_SITE);
    }
    return search;
}

bool FileSystemOperation::FindNext(HANDLE search, _Win32FindData& entry)
{
    if (::FindNextFileW(search, &entry))
    {
        return true;
    }
    const DWORD error = ::GetLastError();
    if (error != ERROR_NO_MORE_FILES)
    {
        ThrowError(L"FindNextFileW failed", error, KELVO_SITE);
    }
    return false;
}

void FileSystemOperation::FindCloseHandle(UniqueFindHandle& search)
{
    if (search && !::FindClose(search.Release()))
    {
        ThrowLastError(L"FindClose failed", KELVO_SITE);
    }
}

FileAttributes FileSystemOperation::GetAttributesOfFileOrDirectory(const std::wstring& path)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
    {
        ThrowLastError(L"GetFileAttributesW failed", KELVO_SITE);
    }
    return attributes;
}

void FileSystemOperation::SetAttributesOfFileOrDirectory(const std::wstring& path, FileAttributes attributes)
{
    if (!::SetFileAttributesW(path.c_str(), attributes))
    {
        ThrowLastError(L"SetFileAttributesW failed", KELVO_SITE);
    }
}

} // namespace HostApi
} // namespace Kelvo

#include "File.h"

#include "FileSystemException.h"
#include "Path.h"
#include "Win32Exception.h"
#include "Internal/FileProbes.h"
#include "Internal/LineEncoding.h"
#include "Internal/WholeWrite.h"

#include <HostApi/UniqueHandle.h>

#include <windows.h>

#include <algorithm>

namespace Kelvo {
namespace Utilities {

namespace {

using FileHandle = HostApi::UniqueFileHandle;

FileHandle OpenForReading(const std::wstring& path)
{
    return FileHandle(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
}

// The rest of the file from its current position, for the line readers: false when a read fails.
bool ReadRest(HANDLE file, std::vector<unsigned char>& bytes)
{
    unsigned char block[65536];
    for (;;)
    {
        DWORD read = 0;
        if (!::ReadFile(file, block, sizeof(block), &read, nullptr))
        {
            return false;
        }
        if (read == 0)
        {
            return true;
        }
        bytes.insert(bytes.end(), block, block + read);
    }
}

std::vector<unsigned char> ReadForLines(const std::wstring& path)
{
    std::vector<unsigned char> bytes;
    const FileHandle file = OpenForReading(path);
    if (!file || !ReadRest(file.Get(), bytes))
    {
        bytes.clear();
    }
    return bytes;
}

// Writes everything or nothing is said: the line writers report no failures.
void WriteQuietly(const std::wstring& path, const std::vector<unsigned char>& bytes)
{
    const FileHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file)
    {
        WriteWhole(file.Get(), bytes.data(), bytes.size());
    }
}

} // namespace

std::vector<unsigned char> File::ReadAllBytes(const std::wstring& path)
{
    const FileHandle file = OpenForReading(path);
    if (!file)
    {
        throw FileSystemException("CreateFile failed.", path);
    }
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.Get(), &size))
    {
        throw FileSystemException("Could not read, all bytes.", path);
    }
    // One read of a 32-bit size: a larger file would come back cut. The message says why, since
    // not every system has a description of the code.
    if (size.QuadPart > static_cast<LONGLONG>(MAXDWORD))
    {
        ::SetLastError(ERROR_FILE_TOO_LARGE);
        throw FileSystemException("Could not read, all bytes. The file is too large.", path);
    }
    std::vector<unsigned char> bytes(static_cast<std::size_t>(size.QuadPart));
    DWORD read = 0;
    if (!::ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
        read != bytes.size())
    {
        throw FileSystemException("Could not read, all bytes.", path);
    }
    return bytes;
}

void File::WriteAllBytes(const std::wstring& path, std::vector<unsigned char> bytes)
{
    const FileHandle file(
        ::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr));
    if (!file)
    {
        throw FileSystemException("CreateFile failed.", path);
    }
    if (!WriteWhole(file.Get(), bytes.data(), bytes.size()))
    {
        throw FileSystemException("Could not write all bytes. FileName:", path);
    }
}

std::vector<std::wstring> File::ReadAllLines(const std::wstring& path)
{
    // Each byte is the character of that value.
    const std::string kept = TextModeBytes(ReadForLines(path));
    std::wstring text(kept.size(), L'\0');
    std::transform(kept.begin(), kept.end(), text.begin(),
                   [](char byte) { return static_cast<wchar_t>(static_cast<unsigned char>(byte)); });
    return SplitLines(text);
}

void File::WriteAllLines(const std::wstring& path, std::vector<std::wstring> lines)
{
    std::vector<unsigned char> bytes;
    for (const std::wstring& line : lines)
    {
        AppendEightBitLine(bytes, line);
    }
    WriteQuietly(path, bytes);
}

std::vector<std::wstring> File::ReadAllUnicodeLines(const std::wstring& path)
{
    return SplitLines(Utf16Text(ReadForLines(path)));
}

void File::WriteAllUnicodeLines(const std::wstring& path, std::vector<std::wstring> lines)
{
    std::vector<unsigned char> bytes = UnicodeLinesStart();
    for (const std::wstring& line : lines)
    {
        AppendUnicodeLine(bytes, line);
    }
    WriteQuietly(path, bytes);
}

std::wstring File::GetTempFileNameW()
{
    wchar_t directory[MAX_PATH + 1] = {};
    if (::GetTempPathW(MAX_PATH, directory) == 0)
    {
        throw Win32Exception("GetTempPath failed.");
    }
    wchar_t name[MAX_PATH + 1] = {};
    if (::GetTempFileNameW(directory, L"", 0, name) == 0)
    {
        throw Win32Exception("GetTempFileName failed.");
    }
    return name;
}

std::uint64_t File::GetSize(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
    {
        return 0;
    }
    return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

void File::Delete(const std::wstring& path)
{
    if (!::DeleteFileW(path.c_str()) && ::GetLastError() != ERROR_FILE_NOT_FOUND)
    {
        throw FileSystemException("DeleteFile failed.", path);
    }
}

void File::Move(const std::wstring& source, std::wstring destination)
{
    if (!::MoveFileW(source.c_str(), destination.c_str()))
    {
        throw FileSystemException("CopyFile failed.", source, destination);
    }
}

void File::Move(const std::wstring& source, std::wstring destination, FileOperationFlags flags)
{
    const DWORD moveFlags = flags == FileOperationReplaceExisting ? MOVEFILE_REPLACE_EXISTING : 0;
    if (!::MoveFileExW(source.c_str(), destination.c_str(), moveFlags))
    {
        throw FileSystemException("CopyFile failed.", source, destination);
    }
}

bool File::Exists(const std::wstring& path)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::wstring File::GenerateNewFileName(const std::wstring& directory, const std::wstring& extension,
                                       unsigned int length)
{
    return FileProbes::DrawNewFileName(directory, extension, length, Exists);
}

bool File::IsWritePermissonAvailable(const std::wstring& filename)
{
    return FileProbes::IsWritable(filename, Exists);
}

bool File::IsCreatePermissonAvailable(const std::wstring& folder)
{
    return FileProbes::CanCreateIn(
        folder, [](const std::wstring& in) { return GenerateNewFileName(in, L".tmp", 8); });
}

} // namespace Utilities
} // namespace Kelvo
